// Conversions of the field value between text, numbers and date-times, independent of the
// locale.
#include "codec/variant.h"

#include <gtest/gtest.h>

#include <clocale>
#include <string>

#include "codec/number_text.h"

namespace meridox::codec {
namespace {

TEST(DateTimeTest, KnownDayNumbers) {
  EXPECT_EQ(DateTime::FromParts(1899, 12, 30)->value, 0.0);
  EXPECT_EQ(DateTime::FromParts(1900, 1, 1)->value, 2.0);
  EXPECT_EQ(DateTime::FromParts(2016, 12, 13)->value, 42717.0);
  EXPECT_EQ(DateTime::FromParts(2016, 12, 13, 18)->value, 42717.75);
  EXPECT_EQ(DateTime::FromParts(1899, 12, 29, 6)->value, -1.25);
}

TEST(DateTimeTest, PartsInvertFromParts) {
  for (const auto& [y, mo, d, h, mi, s, ms] :
       {std::tuple{2016, 12, 13, 14, 5, 9, 0}, std::tuple{2000, 2, 29, 23, 59, 59, 999},
        std::tuple{1899, 12, 30, 0, 0, 0, 0}, std::tuple{1850, 6, 1, 12, 30, 0, 0},
        std::tuple{9999, 12, 31, 23, 59, 59, 0}, std::tuple{1, 1, 1, 0, 0, 1, 0}}) {
    const DateTime moment = DateTime::FromParts(y, mo, d, h, mi, s, ms).value();
    const DateTimeParts p = moment.Parts();
    EXPECT_EQ(std::tuple(p.year, p.month, p.day, p.hour, p.minute, p.second, p.millisecond),
              std::tuple(y, mo, d, h, mi, s, ms));
  }
}

TEST(DateTimeTest, RejectsImpossibleParts) {
  EXPECT_FALSE(DateTime::FromParts(2016, 13, 1));
  EXPECT_FALSE(DateTime::FromParts(2016, 4, 31));
  EXPECT_FALSE(DateTime::FromParts(2017, 2, 29));
  EXPECT_FALSE(DateTime::FromParts(1900, 2, 29));
  EXPECT_TRUE(DateTime::FromParts(2000, 2, 29));
  EXPECT_FALSE(DateTime::FromParts(2016, 1, 1, 24));
  EXPECT_FALSE(DateTime::FromParts(2016, 1, 1, 0, 60));
  EXPECT_FALSE(DateTime::FromParts(0, 1, 1));
}

TEST(DateTimeTest, TextForm) {
  EXPECT_EQ(DateTime::FromParts(2016, 12, 13, 14, 5, 9)->ToText(), "2016-12-13 14:05:09");
  EXPECT_EQ(DateTime::FromText(" 2016-12-13 14:05:09 "),
            DateTime::FromParts(2016, 12, 13, 14, 5, 9));
  EXPECT_EQ(DateTime::FromText("2016-12-13T14:05"), DateTime::FromParts(2016, 12, 13, 14, 5));
  EXPECT_EQ(DateTime::FromText("2016-12-13"), DateTime::FromParts(2016, 12, 13));
  EXPECT_EQ(DateTime::FromText("2016-12-13 14:05:09.250"),
            DateTime::FromParts(2016, 12, 13, 14, 5, 9, 250));
  for (const char* bad : {"", "13.12.2016", "2016-13-01", "2016-12-13 14", "2016-12-13 1:05",
                          "2016-12-13 14:05:09x", "42717"})
    EXPECT_FALSE(DateTime::FromText(bad)) << bad;
}

struct NumberCase {
  const char* text;
  std::optional<double> number;
};

class ParseDecimalTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(ParseDecimalTest, ReadsDotDecimals) {
  EXPECT_EQ(ParseDecimal(GetParam().text), GetParam().number) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseDecimalTest,
    ::testing::Values(NumberCase{"12.5", 12.5}, NumberCase{" -1.25 ", -1.25}, NumberCase{"+3", 3.0},
                      NumberCase{".5", 0.5}, NumberCase{"5.", 5.0}, NumberCase{"1e3", 1000.0},
                      NumberCase{"007", 7.0}, NumberCase{"12,5", std::nullopt},
                      NumberCase{"1,000", std::nullopt}, NumberCase{"", std::nullopt},
                      NumberCase{"-", std::nullopt}, NumberCase{"+-1", std::nullopt},
                      NumberCase{"inf", std::nullopt}, NumberCase{"nan", std::nullopt},
                      NumberCase{"0x10", std::nullopt}, NumberCase{"1 2", std::nullopt},
                      NumberCase{"e5", std::nullopt}));

TEST(NumberTextTest, IntegersAndFormatting) {
  EXPECT_EQ(ParseInteger(" 42 "), 42);
  EXPECT_EQ(ParseInteger("-9223372036854775808"), INT64_MIN);
  EXPECT_EQ(ParseInteger("9223372036854775808"), std::nullopt);
  EXPECT_EQ(ParseInteger("+-1"), std::nullopt);
  EXPECT_EQ(ParseInteger("1.0"), std::nullopt);
  EXPECT_EQ(FormatDecimal(1.5), "1.5");
  EXPECT_EQ(FormatDecimal(100.0), "100");
  EXPECT_EQ(FormatDecimal(0.1 + 0.2), "0.3");
  EXPECT_EQ(FormatDecimal(-0.0), "0");
  EXPECT_EQ(FormatDecimal(-1234.5678), "-1234.5678");
  EXPECT_EQ(FormatInteger(-17), "-17");
}

TEST(NumberTextTest, CommaLocaleDoesNotChangeTheSeparator) {
  const std::string previous = std::setlocale(LC_ALL, nullptr);
  bool switched = false;
  for (const char* name : {"de_DE.UTF-8", "el_GR.UTF-8", "fr_FR.UTF-8", "German_Germany.1252"})
    if (std::setlocale(LC_ALL, name)) {
      switched = true;
      break;
    }
  const auto parsed = ParseDecimal("12.5");
  const std::string text = FormatDecimal(12.5);
  std::setlocale(LC_ALL, previous.c_str());
  if (!switched)
    GTEST_SKIP() << "no locale with a comma decimal mark installed";
  EXPECT_EQ(parsed, 12.5);
  EXPECT_EQ(text, "12.5");
}

TEST(VariantTest, ConversionsBetweenForms) {
  EXPECT_EQ(Variant().ToText(), "");
  EXPECT_EQ(Variant(42).ToText(), "42");
  EXPECT_EQ(Variant(2.25).ToText(), "2.25");
  EXPECT_EQ(Variant(DateTime::FromParts(2016, 12, 13).value()).ToText(), "2016-12-13 00:00:00");
  EXPECT_EQ(Variant("2.25").ToNumber(), 2.25);
  EXPECT_EQ(Variant("abc").ToNumber(), std::nullopt);
  EXPECT_EQ(Variant(7).ToNumber(), 7.0);
  EXPECT_EQ(Variant(DateTime{42717.5}).ToNumber(), 42717.5);
  EXPECT_EQ(Variant(42717).ToDateTime(), DateTime::FromParts(2016, 12, 13));
  EXPECT_EQ(Variant("2016-12-13").ToDateTime(), DateTime::FromParts(2016, 12, 13));
  EXPECT_EQ(Variant("soon").ToDateTime(), std::nullopt);
}

TEST(VariantTest, TypesAreKept) {
  EXPECT_EQ(Variant("1").type(), Variant::Type::kText);
  EXPECT_EQ(Variant(std::uint8_t{1}).type(), Variant::Type::kInteger);
  EXPECT_EQ(Variant(1.0).type(), Variant::Type::kFloat);
  EXPECT_EQ(Variant(DateTime{}).type(), Variant::Type::kDateTime);
  EXPECT_NE(Variant("1"), Variant(1));
  EXPECT_NE(Variant(1), Variant(1.0));
}

}  // namespace
}  // namespace meridox::codec

#include "packing/packer.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "codec/field_codec.h"
#include "hex_bytes.h"
#include "packing/command.h"

namespace meridox::packing {
namespace {

using testing::Hex;
using testing::ToHex;

struct Request {
  std::uint32_t command;
  const char* hex;
};

struct Step {
  std::string line;
  bool ok;
  std::vector<Request> requests;
};

// Lines packed one after the other by one packer, so sale numbers run on across them.
struct Scenario {
  const char* name;
  TDecimalType decimal;
  std::vector<Step> steps;
  std::uint8_t sale_num_after;
};

std::string Repeat(const std::string& text, int times) {
  std::string out;
  for (int i = 0; i < times; ++i) {
    out += text;
  }
  return out;
}

class PackerScenarioTest : public ::testing::TestWithParam<Scenario> {};

TEST_P(PackerScenarioTest, PacksEveryLineByteExact) {
  const Scenario& s = GetParam();
  const codec::TccEncode codec;
  TPacker packer(codec);
  packer.SetDecimalType(s.decimal);
  for (const Step& step : s.steps) {
    const TCommandData command = TCommand::FetchCommand(step.line, "/");
    // Left-overs of an earlier call must never survive.
    TPackedDatas packed{TPackedData{99, {1, 2, 3}}};
    EXPECT_EQ(packer.PackData(command, packed), step.ok) << step.line;
    ASSERT_EQ(packed.size(), step.requests.size()) << step.line;
    for (std::size_t i = 0; i < packed.size(); ++i) {
      EXPECT_EQ(packed[i].Command, step.requests[i].command) << step.line << " #" << i;
      EXPECT_EQ(ToHex(packed[i].Data), ToHex(Hex(step.requests[i].hex))) << step.line << " #" << i;
    }
  }
  EXPECT_EQ(packer.SaleNum(), s.sale_num_after);
}

constexpr TDecimalType kComma = TDecimalType::dtComma;
constexpr TDecimalType kDot = TDecimalType::dtDot;

INSTANTIATE_TEST_SUITE_P(
    Lines, PackerScenarioTest,
    ::testing::Values(
        Scenario{"Receipt",
                 kComma,
                 {
                     {"SL/COLA//2/1,20/5",
                      true,
                      {{10004,
                        "01 53 00 00 00 00 01 00 00 00 07 D0 00 00 00 00 78 43 4F 4C 41 00*34 "
                        "00*7 00 00 00 00 78 05 00 00"}}},
                     {"DE/0,50", true, {{10004, "02 44 00 00 00 00 32"}}},
                     {"D%/10", true, {{10004, "03 4D 00 00 03 E8"}}},
                     {"TE/1,00", true, {{10004, "04 42"}, {10004, "05 44 00 00 00 00 64"}}},
                     {"T%/5", true, {{10004, "06 42"}, {10004, "07 4D 00 00 01 F4"}}},
                     // A payment without a type fails and takes no number.
                     {"CR//5,00", false, {}},
                     {"CR/1/5,00", true, {{10004, "08 46 01 00 00 00 01 F4 00*16"}}},
                     {"ER", true, {{10004, "09 46 01 00*5 00*16"}}},
                 },
                 10},
        Scenario{"RefundAndVoid",
                 kComma,
                 {
                     {"RF/COLA//1/1/1",
                      true,
                      {{10004,
                        "01 52 00 00 00 00 01 00 00 00 03 E8 00 00 00 00 64 43 4F 4C 41 00*34 "
                        "00*7 00 00 00 00 64 01 00 00"}}},
                     {"CL", true, {{10004, "02 43"}}},
                     {"CL/x/y", true, {{10004, "03 43"}}},
                 },
                 4},
        Scenario{
            "PaymentTypes",
            kComma,
            {
                {"CR/7/10,00", true, {{10004, "01 46 05 00 00 00 03 E8 00*16"}}},
                {"CR/2/10,00", true, {{10004, "02 46 04 00 00 00 03 E8 00*16"}}},
                {"CR/x/10,00", true, {{10004, "03 46 01 00 00 00 03 E8 00*16"}}},
                {"CR/5/10,00", true, {{10004, "04 46 05 00 00 00 03 E8 00*16"}}},
                {"CR/0/10,00", true, {{10004, "05 46 00 00 00 00 03 E8 00*16"}}},
                {"CR/3,0/1", true, {{10004, "06 46 01 00 00 00 00 64 00*16"}}},
                {"CR/-1/1,00", true, {{10004, "07 46 81 00 00 00 00 64 00*16"}}},
                {"CR/1/5,00/visa", true, {{10004, "08 46 01 00 00 00 01 F4 56 49 53 41 00*12"}}},
                {"CR/1/1/VISA electron card",
                 true,
                 {{10004,
                   "09 46 01 00 00 00 00 64 56 49 53 41 20 45 4C 45 43 54 52 4F 4E 20 43 41"}}},
                {"CR", false, {}},
                {"CR/", false, {}},
                {"ER/3/99,00/card", true, {{10004, "0A 46 01 00*5 43 41 52 44 00*12"}}},
                {"ER/3/99,00/card/more", true, {{10004, "0B 46 01 00*5 43 41 52 44 00*12"}}},
                {"ER/x", true, {{10004, "0C 46 01 00*5 00*16"}}},
            },
            13},
        Scenario{"CommaNumbers",
                 kComma,
                 {
                     {"SL/X//1,5/2,30/1",
                      true,
                      {{10004,
                        "01 53 00 00 00 00 01 00 00 00 05 DC 00 00 00 00 E6 58 00*37 00*7 "
                        "00 00 00 00 E6 01 00 00"}}},
                     {"SL/X//1.5/2.30/1",
                      true,
                      {{10004, "02 53 00 00 00 00 02 00*5 00*5 58 00*37 00*7 00*5 01 00 00"}}},
                     {"SL/X//1/1.000,00/1",
                      true,
                      {{10004,
                        "03 53 00 00 00 00 03 00 00 00 03 E8 00*5 58 00*37 00*7 00*5 01 "
                        "00 00"}}},
                     {"DE/0.50", true, {{10004, "04 44 00*5"}}},
                     {"DE/-0,50", true, {{10004, "05 44 80 00 00 00 32"}}},
                     {"D%/12,34", true, {{10004, "06 4D 00 00 04 D2"}}},
                     {"SL/X//x/y/1,0",
                      true,
                      {{10004, "07 53 00 00 00 00 07 00*5 00*5 58 00*37 00*7 00*5 00 00 00"}}},
                     // Rounded to the field's two decimals, ties to even.
                     {"DE/0,375", true, {{10004, "08 44 00 00 00 00 26"}}},
                     {"DE/0,125", true, {{10004, "09 44 00 00 00 00 0C"}}},
                 },
                 10},
        Scenario{"DotNumbers",
                 kDot,
                 {
                     {"SL/X//1,5/2,30/1",
                      true,
                      {{10004, "01 53 00 00 00 00 01 00*5 00*5 58 00*37 00*7 00*5 01 00 00"}}},
                     {"SL/X//1.5/2.30/1",
                      true,
                      {{10004,
                        "02 53 00 00 00 00 02 00 00 00 05 DC 00 00 00 00 E6 58 00*37 00*7 "
                        "00 00 00 00 E6 01 00 00"}}},
                     {"SL/X//1/1.000,00/1",
                      true,
                      {{10004,
                        "03 53 00 00 00 00 03 00 00 00 03 E8 00*5 58 00*37 00*7 00*5 01 "
                        "00 00"}}},
                     {"DE/0.50", true, {{10004, "04 44 00 00 00 00 32"}}},
                     {"DE/0,50", true, {{10004, "05 44 00*5"}}},
                     {"CR/1/5.00", true, {{10004, "06 46 01 00 00 00 01 F4 00*16"}}},
                     {"CR/2.0/5,00", true, {{10004, "07 46 01 00*5 00*16"}}},
                 },
                 8},
        Scenario{"ItemTexts",
                 kComma,
                 {
                     // Kappa, alpha, lambda, eta with tonos in the ECR's code.
                     {"SL/\u039A\u03B1\u03BB\u03AE//1/1/1",
                      true,
                      {{10004,
                        "01 53 00 00 00 00 01 00 00 00 03 E8 00 00 00 00 64 CA E1 EB DE "
                        "00*34 00*7 00 00 00 00 64 01 00 00"}}},
                     // Cut to 38 characters, not bytes: Greek letters take two in UTF-8.
                     {"SL/" + Repeat("\u0391", 40) + "//0/0/0",
                      true,
                      {{10004, "02 53 00 00 00 00 02 00*5 00*5 C1*38 00*7 00*5 00 00 00"}}},
                     {"SL/" + Repeat("A", 37) + "BCD//0/0/0",
                      true,
                      {{10004, "03 53 00 00 00 00 03 00*5 00*5 41*37 42 00*7 00*5 00 00 00"}}},
                     {"SL/X/0012345/0/0/0",
                      true,
                      {{10004,
                        "04 53 00 00 00 00 04 00*5 00*5 58 00*37 00 00 00 0F F1 23 45 "
                        "00*5 00 00 00"}}},
                     {"SL/X/12345678901234/0/0/0",
                      true,
                      {{10004,
                        "05 53 00 00 00 00 05 00*5 00*5 58 00*37 12 34 56 78 90 12 34 "
                        "00*5 00 00 00"}}},
                     {"SL/X/0/0/0/200",
                      true,
                      {{10004, "06 53 00 00 00 00 06 00*5 00*5 58 00*37 00*6 0F 00*5 C8 00 00"}}},
                 },
                 7},
        Scenario{"FreeTextAndTail",
                 kComma,
                 {
                     {"CM/A", true, {{10011, "41 20*65"}}},
                     {"CM/A/B/C/D", true, {{10011, "41 20*21 42 20*21 43 20*21"}}},
                     {"CM/" + Repeat("Z", 25), true, {{10011, "5A*22 20*44"}}},
                     {"CM//" + Repeat("\u03A9", 25), true, {{10011, "20*22 D9*22 20*22"}}},
                     {"CM", true, {{10011, "20*66"}}},
                     {"HL/A", true, {{10013, "41 00*95"}}},
                     {"HL/A/B/C/D", true, {{10013, "41 00*31 42 00*31 43 00*31"}}},
                     {"HL//B", true, {{10013, "00*32 42 00*63"}}},
                     {"HL/" + Repeat("Y", 33), true, {{10013, "59*32 00*64"}}},
                 },
                 0},
        Scenario{"Invoice",
                 kComma,
                 {
                     {"INV/X", true, {{10014, "00*6 58 00*238"}}},
                     {"INV/1/2/3/4/5/6/7/8/9",
                      true,
                      {{10014,
                        "00*6 31 00*8 32 00*39 33 00*39 34 00*39 35 00*39 36 00*29 37 "
                        "00*29 38 00*9"}}},
                     {"INV/" + Repeat("9", 10) + "/" + Repeat("4", 41),
                      true,
                      {{10014, "00*6 39*9 34*40 00*190"}}},
                     {"INV", true, {{10014, "00*245"}}},
                 },
                 0},
        Scenario{"TablesClerkAndOthers",
                 kComma,
                 {
                     {"TBL", true, {{10017, "00 00"}}},
                     {"TBL/12", true, {{10017, "00 0C"}}},
                     {"TCL/300", true, {{10016, "01 2C"}}},
                     {"TMP/x", true, {{10018, "00 00"}}},
                     {"TMP/7", true, {{10018, "00 07"}}},
                     {"TTR/3/7", true, {{10015, "00 03 00 07"}}},
                     {"TTR/3", true, {{10015, "00 03 00 00"}}},
                     {"TTR//7/9", true, {{10015, "00 00 00 07"}}},
                     {"11/2/5", true, {{10002, "00 02 00 00 00 05"}}},
                     {"11/2", true, {{10002, "00 02 00 00 00 00"}}},
                     {"11/3/1,5", true, {{10002, "00 03 00 00 00 00"}}},
                     {"11/1/123456", true, {{10002, "00 01 00 01 E2 40"}}},
                     {"11", true, {{10002, "00*6"}}},
                     {"QQ", true, {{10012, "64"}}},
                     {"QQ/x", true, {{10012, "64"}}},
                     {"CN", true, {{10000, ""}}},
                     {"DN/1", true, {{10001, ""}}},
                     {"ZZ", true, {{0, ""}}},
                     {"XX/1", true, {{0, ""}}},
                     {"UNSUPPORT", true, {}},
                     {" ZZ", true, {}},
                 },
                 0}),
    [](const ::testing::TestParamInfo<Scenario>& p) { return std::string(p.param.name); });

TEST(PackerTest, SaleNumberRunsOneTo255AndNeverZero) {
  const codec::TccEncode codec;
  TPacker packer(codec);
  const TCommandData void_line = TCommand::FetchCommand("CL", "/");
  for (int i = 0; i < 600; ++i) {
    TPackedDatas packed;
    ASSERT_TRUE(packer.PackData(void_line, packed));
    ASSERT_EQ(packed.size(), 1u);
    ASSERT_EQ(packed[0].Data.size(), 2u);
    EXPECT_EQ(packed[0].Data[0], i % 255 + 1) << "request " << i;
  }
}

TEST(PackerTest, TwoStepDiscountAfterWrapTakesConsecutiveNumbers) {
  const codec::TccEncode codec;
  TPacker packer(codec);
  TPackedDatas packed;
  for (int i = 0; i < 254; ++i) {
    ASSERT_TRUE(packer.PackData(TCommand::FetchCommand("CL", "/"), packed));
  }
  ASSERT_TRUE(packer.PackData(TCommand::FetchCommand("TE/1", "/"), packed));
  ASSERT_EQ(packed.size(), 2u);
  EXPECT_EQ(packed[0].Data[0], 255);
  EXPECT_EQ(packed[1].Data[0], 1);
  EXPECT_EQ(packer.SaleNum(), 2);
}

TEST(PackerTest, DirectOperationsClearTheirOutput) {
  const codec::TccEncode codec;
  TPacker packer(codec);
  const std::vector<std::string> clerk = {"2", "5"};
  TPackedData out{77, {9, 9, 9, 9, 9, 9, 9, 9}};
  ASSERT_TRUE(packer.PackClerkData(clerk, out));
  EXPECT_EQ(out, (TPackedData{10002, Hex("00 02 00 00 00 05")}));

  out = {77, {9}};
  EXPECT_FALSE(packer.PackPayMentData(std::vector<std::string>{}, out));
  EXPECT_EQ(out, TPackedData{});
  EXPECT_EQ(packer.SaleNum(), 0);

  // A sale type without a discount layout: command only.
  out = {77, {9}};
  ASSERT_TRUE(packer.PackDisCountData(TSaleType::stVoid, std::vector<std::string>{"1"}, out));
  EXPECT_EQ(out, (TPackedData{10004, {}}));

  ASSERT_TRUE(packer.PackPrintReportData("Z1", out));
  EXPECT_EQ(out, (TPackedData{30009, Hex("5A 31")}));
  ASSERT_TRUE(packer.PackPrintReportData("\u0396\u0391", out));
  EXPECT_EQ(out, (TPackedData{30009, Hex("C6 C1")}));
  ASSERT_TRUE(packer.PackPrintReportData("", out));
  EXPECT_EQ(out, (TPackedData{30009, {}}));
}

struct ParseCase {
  const char* text;
  TDecimalType decimal;
  double as_float;      // ParseFloat(text, -99)
  std::int32_t as_int;  // ParseInt(text, -99)
};

class ParseNumberTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseNumberTest, HonoursTheDecimalMarkAndDefaults) {
  const ParseCase& c = GetParam();
  const codec::TccEncode codec;
  TPacker packer(codec);
  packer.SetDecimalType(c.decimal);
  EXPECT_DOUBLE_EQ(packer.ParseFloat(c.text, -99), c.as_float) << c.text;
  EXPECT_EQ(packer.ParseInt(c.text, -99), c.as_int) << c.text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, ParseNumberTest,
    ::testing::Values(ParseCase{"12", kComma, 12, 12}, ParseCase{"12", kDot, 12, 12},
                      ParseCase{"-7", kComma, -7, -7}, ParseCase{"1,5", kComma, 1.5, -99},
                      ParseCase{"1,5", kDot, -99, -99}, ParseCase{"1.5", kDot, 1.5, -99},
                      ParseCase{"1.5", kComma, -99, -99}, ParseCase{"1.234,50", kComma, -99, -99},
                      ParseCase{"1.234,50", kDot, -99, -99}, ParseCase{"-2,25", kComma, -2.25, -99},
                      ParseCase{"1,2,3", kComma, -99, -99}, ParseCase{"", kComma, -99, -99},
                      ParseCase{"abc", kDot, -99, -99}, ParseCase{"12x", kComma, -99, -99},
                      ParseCase{"2147483647", kDot, 2147483647.0, 2147483647},
                      ParseCase{"2147483648", kDot, 2147483648.0, -99},
                      ParseCase{"-2147483648", kDot, -2147483648.0, INT32_MIN}));

}  // namespace
}  // namespace meridox::packing

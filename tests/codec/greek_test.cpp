// The ECR's Greek single-byte code, checked byte by byte against its tables.
#include "codec/greek.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

#include "codec/field_codec.h"

namespace meridox::codec {
namespace {

// Names parameterised cases after their `name` field.
struct ByName {
  template <typename T>
  std::string operator()(const ::testing::TestParamInfo<T>& param) const {
    return param.param.name;
  }
};

// The decoding table, written out range by range as it is documented.
std::optional<char32_t> DocumentedChar(int byte) {
  if (byte == 0x00)
    return std::nullopt;
  if (byte == 0x01)
    return U' ';
  if (byte <= 0x7E)
    return static_cast<char32_t>(byte);
  if (byte == 0x7F || byte == 0x80 || byte == 0xA4)
    return U'\u20AC';
  if (byte <= 0x9F)
    return static_cast<char32_t>(byte);
  if (byte <= 0xA2)
    return static_cast<char32_t>(byte + 0x2D0);
  if (byte == 0xA3)
    return U'\u00A3';
  if (byte == 0xA5)
    return U'\u20AF';
  if (byte <= 0xA9)
    return static_cast<char32_t>(byte);
  if (byte == 0xAA)
    return U'\u037A';
  if (byte <= 0xB3)
    return static_cast<char32_t>(byte);
  if (byte <= 0xB6)
    return static_cast<char32_t>(byte + 0x2D0);
  if (byte == 0xB7)
    return U'\u2022';
  if (byte <= 0xBA)
    return static_cast<char32_t>(byte + 0x2D0);
  if (byte == 0xBB)
    return U'\u00BB';
  if (byte == 0xBC)
    return U'\u038C';
  if (byte == 0xBD)
    return U'\u00BD';
  return static_cast<char32_t>(byte + 0x2D0);
}

TEST(GreekCodeTest, EveryByteDecodesByTheTableAndReencodes) {
  for (int byte = 0; byte < 256; ++byte) {
    SCOPED_TRACE(::testing::Message() << "byte 0x" << std::hex << byte);
    const auto expected = DocumentedChar(byte);
    const auto actual = GreekByteToChar(static_cast<std::uint8_t>(byte));
    ASSERT_EQ(actual.has_value(), expected.has_value());
    if (!actual)
      continue;
    EXPECT_EQ(static_cast<std::uint32_t>(*actual), static_cast<std::uint32_t>(*expected));
    // Back to a byte: itself, except the blank read from 0x01 and the two extra euro bytes.
    int back = byte;
    if (byte == 0x01)
      back = 0x20;
    if (byte == 0x7F || byte == 0x80)
      back = 0xA4;
    EXPECT_EQ(CharToGreekByte(*actual), back);
  }
}

TEST(GreekCodeTest, WholeGreekBlockEncodesByOffset) {
  for (char32_t c = 0x0370; c <= 0x03CF; ++c)
    EXPECT_EQ(CharToGreekByte(c), static_cast<std::uint8_t>(c - 0x2D0))
        << std::hex << static_cast<std::uint32_t>(c);
}

struct RoundTripCase {
  const char* name;
  char32_t written;
  std::uint8_t byte;
  std::optional<char32_t> read;
};

class GreekRoundTripTest : public ::testing::TestWithParam<RoundTripCase> {};

TEST_P(GreekRoundTripTest, EncodesAndReadsBack) {
  const RoundTripCase& c = GetParam();
  EXPECT_EQ(CharToGreekByte(c.written), c.byte);
  const auto read = GreekByteToChar(c.byte);
  ASSERT_EQ(read.has_value(), c.read.has_value());
  if (read) {
    EXPECT_EQ(static_cast<std::uint32_t>(*read), static_cast<std::uint32_t>(*c.read));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Characters, GreekRoundTripTest,
    ::testing::Values(RoundTripCase{"MiddleDot", U'\u00B7', 0xB7, U'\u2022'},
                      RoundTripCase{"AnoTeleia", U'\u0387', 0xB7, U'\u2022'},
                      RoundTripCase{"Bullet", U'\u2022', 0xB7, U'\u2022'},
                      RoundTripCase{"CurrencySign", U'\u00A4', 0xA4, U'\u20AC'},
                      RoundTripCase{"Euro", U'\u20AC', 0xA4, U'\u20AC'},
                      RoundTripCase{"Drachma", U'\u20AF', 0xA5, U'\u20AF'},
                      RoundTripCase{"Unassigned038B", U'\u038B', 0xBB, U'\u00BB'},
                      RoundTripCase{"Unassigned038D", U'\u038D', 0xBD, U'\u00BD'},
                      RoundTripCase{"QuoteBecomesControl", U'\u2018', 0x18, U'\u0018'},
                      RoundTripCase{"IotaSubscript", U'\u037A', 0xAA, U'\u037A'},
                      RoundTripCase{"OmicronTonos", U'\u038C', 0xBC, U'\u038C'},
                      RoundTripCase{"LatinLetter", U'Q', 0x51, U'Q'},
                      RoundTripCase{"Digit", U'7', 0x37, U'7'},
                      RoundTripCase{"OmegaSmall", U'\u03C9', 0xF9, U'\u03C9'},
                      RoundTripCase{"Nul", U'\0', 0x00, std::nullopt}),
    ByName());

struct DecodeTextCase {
  const char* name;
  std::vector<std::uint8_t> bytes;
  const char* text;
};

class GreekDecodeTest : public ::testing::TestWithParam<DecodeTextCase> {};

TEST_P(GreekDecodeTest, DropsBlanksAndTrims) {
  EXPECT_EQ(DecodeGreek(GetParam().bytes), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Texts, GreekDecodeTest,
    ::testing::Values(DecodeTextCase{"ZeroDropped", {0x41, 0x00, 0x42}, "AB"},
                      DecodeTextCase{"TrailingBlanks", {0x41, 0x20, 0x20}, "A"},
                      DecodeTextCase{"TrailingOnes", {0x41, 0x01, 0x01}, "A"},
                      DecodeTextCase{"TrailingZeros", {0x41, 0x00, 0x00}, "A"},
                      DecodeTextCase{"TrailingControl", {0x41, 0x0D, 0x0A}, "A"},
                      DecodeTextCase{"InnerBlankStays", {0x41, 0x20, 0x42}, "A B"},
                      DecodeTextCase{"InnerOneIsBlank", {0x41, 0x01, 0x42}, "A B"},
                      DecodeTextCase{"LeadingBlankStays", {0x20, 0x41}, " A"},
                      DecodeTextCase{"EuroThreeWays", {0x7F, 0x80, 0xA4}, "\u20AC\u20AC\u20AC"},
                      DecodeTextCase{"OnlyBlanks", {0x00, 0x20, 0x01}, ""},
                      DecodeTextCase{"Empty", {}, ""},
                      DecodeTextCase{"Greek",
                                     {0xD3, 0xF5, 0xED, 0xEF, 0xEB, 0xEF},
                                     "\u03A3\u03C5\u03BD\u03BF\u03BB\u03BF"}),
    ByName());

TEST(GreekCodeTest, EncodeCountsCharactersNotBytes) {
  // Two-byte UTF-8 characters give one byte each; the limit counts characters.
  EXPECT_EQ(EncodeGreek("\u039A\u03B1\u03BB\u03AE", 3),
            (std::vector<std::uint8_t>{0xCA, 0xE1, 0xEB}));
  EXPECT_EQ(EncodeGreek("A\u20ACB"), (std::vector<std::uint8_t>{0x41, 0xA4, 0x42}));
  // A malformed sequence is one unknown character, not several bytes of noise.
  EXPECT_EQ(EncodeGreek("A\xC3"), (std::vector<std::uint8_t>{0x41, 0xFD}));
}

TEST(GreekCodeTest, TransToGreecReturnsItsInput) {
  const TccEncode codec;
  EXPECT_EQ(codec.TransToGreec("\u039A A"), "\u039A A");
}

struct StreamCase {
  const char* name;
  std::vector<std::uint8_t> content;
  bool ok;
  std::vector<std::uint8_t> after;
};

class TransFileTest : public ::testing::TestWithParam<StreamCase> {};

TEST_P(TransFileTest, ReplacesContentWithUtf16) {
  const StreamCase& c = GetParam();
  const TccEncode codec;
  std::vector<std::uint8_t> stream = c.content;
  EXPECT_EQ(codec.TransFileToGreec(stream), c.ok);
  EXPECT_EQ(stream, c.ok ? c.after : c.content);
}

INSTANTIATE_TEST_SUITE_P(
    Streams, TransFileTest,
    ::testing::Values(
        StreamCase{"Empty", {}, false, {}},
        StreamCase{"OnlyZerosAndBlanks", {0x00, 0x20, 0x00, 0x01}, false, {}},
        StreamCase{"Latin", {0x41, 0x00, 0x42, 0x20}, true, {0x41, 0x00, 0x42, 0x00, 0x00, 0x00}},
        StreamCase{"GreekAndEuro", {0xCA, 0x80}, true, {0x9A, 0x03, 0xAC, 0x20, 0x00, 0x00}}),
    ByName());

}  // namespace
}  // namespace meridox::codec

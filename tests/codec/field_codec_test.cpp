// Field-by-field behaviour of the codec: the byte images the ECR expects, the position
// rules, and what happens at the edges of the caller's buffer.
#include "codec/field_codec.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace meridox::codec {
namespace {

// Names parameterised cases after their `name` field.
struct ByName {
  template <typename T>
  std::string operator()(const ::testing::TestParamInfo<T>& param) const {
    return param.param.name;
  }
};

constexpr std::uint8_t kSentinel = 0xEE;  // marks the bytes an encoder must leave alone
constexpr int kKept = -1;
constexpr int kStart = 2;  // fields are written away from the buffer's start

DateTime Moment(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return DateTime::FromParts(y, mo, d, h, mi, s).value();
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  char part[4];
  for (const auto b : bytes) {
    std::snprintf(part, sizeof part, "%02X ", b);
    out += part;
  }
  return out;
}

struct EncodeCase {
  const char* name;
  TDCDataType kind;
  Variant value;
  int len;
  int dec;
  std::vector<int> field;  // expected bytes from the start position; kKept = not written
  bool ok;
};

void PrintTo(const EncodeCase& c, std::ostream* os) {
  *os << c.name;
}

class EncodeTest : public ::testing::TestWithParam<EncodeCase> {};

TEST_P(EncodeTest, WritesExactlyTheFieldBytes) {
  const EncodeCase& c = GetParam();
  std::vector<std::uint8_t> buffer(kStart + c.field.size() + 3, kSentinel);
  std::vector<std::uint8_t> expected = buffer;
  for (std::size_t i = 0; i < c.field.size(); ++i)
    if (c.field[i] != kKept)
      expected[kStart + i] = static_cast<std::uint8_t>(c.field[i]);
  TccEncode codec;
  int pos = kStart;
  EXPECT_EQ(codec.DataToBuf(c.kind, c.value, buffer, pos, c.len, c.dec), c.ok);
  EXPECT_EQ(Hex(buffer), Hex(expected));
  EXPECT_EQ(pos, kStart + c.len);
}

// The documented byte images, then the edge cases around them.
INSTANTIATE_TEST_SUITE_P(
    Fields, EncodeTest,
    ::testing::Values(
        EncodeCase{"BcdLeadingZero", dtBCD, "0123", 3, 0, {kKept, 0xF1, 0x23}, true},
        EncodeCase{"BcdeLeadingZeros",
                   dtBCDE,
                   "0012345",
                   7,
                   0,
                   {kKept, kKept, kKept, 0x0F, 0xF1, 0x23, 0x45},
                   true},
        EncodeCase{"DbcdTrimsBlanks",
                   dtDBCD,
                   " 0012345 ",
                   7,
                   0,
                   {kKept, kKept, kKept, 0x0F, 0xF1, 0x23, 0x45},
                   true},
        EncodeCase{"BinPositive", dtBIN, 12.5, 5, 2, {0x00, 0x00, 0x00, 0x04, 0xE2}, true},
        EncodeCase{"BinNegative", dtBIN, -12.5, 5, 2, {0x80, 0x00, 0x00, 0x04, 0xE2}, true},
        EncodeCase{"BinOneByte", dtBIN, 7, 1, 0, {0x07}, true},
        EncodeCase{"AscShortGetsTerminator", dtASC, "AB", 4, 0, {0x41, 0x42, 0x00, kKept}, true},
        EncodeCase{"AscLongIsCut", dtASC, "ABCDE", 4, 0, {0x41, 0x42, 0x43, 0x44}, true},
        EncodeCase{"GreekWord",
                   dtGreecAsc,
                   "\u039A\u03B1\u03BB\u03AE",
                   6,
                   0,
                   {0xCA, 0xE1, 0xEB, 0xDE, kKept, kKept},
                   true},
        EncodeCase{"DateTime",
                   dtDATETIME,
                   Moment(2016, 12, 13, 14, 5, 9),
                   6,
                   0,
                   {0x16, 0x12, 0x13, 0x14, 0x05, 0x09},
                   true},
        EncodeCase{
            "DateFourBytes", dtDATE, Moment(2016, 12, 13), 4, 0, {0x20, 0x16, 0x12, 0x13}, true},
        EncodeCase{"DateThreeBytes", dtDATE, Moment(2016, 12, 13), 3, 0, {0x16, 0x12, 0x13}, true},
        EncodeCase{
            "Double", dtDOUBLE, 1.5, 8, 2, {0x40, 0x62, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00}, true},
        // Packed digits at their edges.
        EncodeCase{"BcdEmptyWritesNothing", dtBCD, "", 2, 0, {kKept, kKept}, true},
        EncodeCase{"BcdeZerosBecomeF", dtBCDE, "00", 1, 0, {0xFF}, true},
        EncodeCase{"BcdOddDigitCount", dtBCD, "123", 2, 0, {0x01, 0x23}, true},
        EncodeCase{"BcdLeftmostDropped", dtBCD, "321", 1, 0, {0x21}, true},
        EncodeCase{"BcdHexDigitsBothCases", dtBCD, "aB", 1, 0, {0xAB}, true},
        EncodeCase{"BcdInvalidPairStops", dtBCD, "1G34", 2, 0, {kKept, 0x34}, false},
        EncodeCase{"BcdTrailingBlankTrimmed", dtBCD, "12 ", 1, 0, {0x12}, true},
        EncodeCase{"BcdeTrailingBlankFails", dtBCDE, "12 ", 2, 0, {kKept, kKept}, false},
        EncodeCase{"BcdNonAsciiFails", dtBCD, "\u00E912", 2, 0, {kKept, 0x12}, false},
        // Binary numbers: rounding, sign, width.
        EncodeCase{"BinTieDown", dtBIN, 0.125, 1, 2, {0x0C}, true},
        EncodeCase{"BinTieUp", dtBIN, 0.375, 1, 2, {0x26}, true},
        EncodeCase{"BinTieEven", dtBIN, 0.625, 1, 2, {0x3E}, true},
        EncodeCase{"BinNegativeZeroHasNoSign", dtBIN, -0.0, 2, 0, {0x00, 0x00}, true},
        EncodeCase{"BinTopBitByMagnitude", dtBIN, 200, 1, 0, {0xC8}, true},
        EncodeCase{"BinTextWithDot", dtBIN, "1.5", 5, 3, {0x00, 0x00, 0x00, 0x05, 0xDC}, true},
        EncodeCase{"BinWholeTextExact",
                   dtBIN,
                   "9007199254740993",
                   8,
                   0,
                   {0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x01},
                   true},
        EncodeCase{"BinNotANumber", dtBIN, "12,5", 2, 2, {kKept, kKept}, false},
        EncodeCase{"BinTooWideForField", dtBIN, 256, 1, 0, {kKept}, false},
        EncodeCase{"BinNegativeReachesSignBit", dtBIN, -200, 1, 0, {kKept}, false},
        EncodeCase{"BinBeyond63Bits", dtBIN, 1e19, 8, 0, std::vector<int>(8, kKept), false},
        // Text kinds.
        EncodeCase{
            "AscExactLengthNoTerminator", dtASC, "ABCD", 4, 0, {0x41, 0x42, 0x43, 0x44}, true},
        EncodeCase{"AscStopsAtNul", dtASC, std::string("A\0B", 3), 3, 0, {0x41, 0x00, kKept}, true},
        EncodeCase{"AscZeroLength", dtASC, "AB", 0, 0, {}, true},
        EncodeCase{"AscNumberText", dtASC, 12.5, 5, 0, {0x31, 0x32, 0x2E, 0x35, 0x00}, true},
        EncodeCase{"GreekCutToField", dtGreecAsc, "ABC", 2, 0, {0x41, 0x42}, true},
        EncodeCase{"GreekEuro", dtGreecAsc, "\u20AC", 1, 0, {0xA4}, true},
        // Date kinds.
        EncodeCase{"DateTimeYearWithLeadingZero",
                   dtDATETIME,
                   Moment(2009, 3, 5, 10, 0, 0),
                   6,
                   0,
                   {0xF9, 0x03, 0x05, 0x10, 0x00, 0x00},
                   true},
        EncodeCase{"DateTimeFromText",
                   dtDATETIME,
                   "2016-12-13 14:05:09",
                   6,
                   0,
                   {0x16, 0x12, 0x13, 0x14, 0x05, 0x09},
                   true},
        // Kinds without an encoder.
        EncodeCase{"TimeHasNoEncoder",
                   dtTIME,
                   Moment(2016, 12, 13, 14, 5, 0),
                   2,
                   0,
                   {kKept, kKept},
                   false},
        EncodeCase{
            "IpHasNoEncoder", dtIP, "192.168.1.100", 4, 0, {kKept, kKept, kKept, kKept}, false},
        EncodeCase{"DoubleNotANumber", dtDOUBLE, "1,5", 8, 0, std::vector<int>(8, kKept), false}),
    ByName());

struct DecodeCase {
  const char* name;
  TDCDataType kind;
  std::vector<std::uint8_t> bytes;
  int len;
  int dec;
  Variant expected;
};

void PrintTo(const DecodeCase& c, std::ostream* os) {
  *os << c.name;
}

class DecodeTest : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodeTest, ReadsTheValue) {
  const DecodeCase& c = GetParam();
  std::vector<std::uint8_t> buffer(kStart, kSentinel);
  buffer.insert(buffer.end(), c.bytes.begin(), c.bytes.end());
  TccEncode codec;
  int pos = kStart;
  const Variant value = codec.BufToData(c.kind, buffer, pos, c.len, c.dec);
  EXPECT_EQ(value, c.expected) << value.ToText() << " vs " << c.expected.ToText();
  EXPECT_EQ(pos, kStart + c.len);
}

const DateTime kZero{};

INSTANTIATE_TEST_SUITE_P(
    Fields, DecodeTest,
    ::testing::Values(
        DecodeCase{"BcdKeepsEverything", dtBCD, {0x00, 0xF1, 0x23}, 3, 0, "00F123"},
        DecodeCase{"BcdeRestoresZeros",
                   dtBCDE,
                   {0x00, 0x00, 0x00, 0x0F, 0xF1, 0x23, 0x45},
                   7,
                   0,
                   "0012345"},
        DecodeCase{"BinPositive", dtBIN, {0x00, 0x00, 0x00, 0x04, 0xE2}, 5, 2, 12.5},
        DecodeCase{"AscBlankAndEnd", dtASC, {0x41, 0x01, 0x42, 0x00, 0x43}, 5, 0, "A B"},
        DecodeCase{"DateTime",
                   dtDATETIME,
                   {0x16, 0x12, 0x13, 0x14, 0x05, 0x09},
                   6,
                   0,
                   Moment(2016, 12, 13, 14, 5, 9)},
        DecodeCase{"Date", dtDATE, {0x16, 0x12, 0x13}, 3, 0, Moment(2016, 12, 13)},
        DecodeCase{"TimeWithoutSeconds",
                   dtTIME,
                   {0x14, 0x05},
                   2,
                   0,
                   DateTime::FromParts(1899, 12, 30, 14, 5, 0).value()},
        DecodeCase{"Double", dtDOUBLE, {0x40, 0x62, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00}, 8, 2, 1.5},
        DecodeCase{"Ip", dtIP, {0xC0, 0xA8, 0x01, 0x64}, 4, 0, "192.168.1.100"},
        // Packed digits.
        DecodeCase{"BcdAllZero", dtBCD, {0x00, 0x00}, 2, 0, "0000"},
        DecodeCase{"BcdeAllZeroIsEmpty", dtBCDE, {0x00, 0x00}, 2, 0, ""},
        DecodeCase{"DbcdAllZeroIsEmpty", dtDBCD, {0x00, 0x00}, 2, 0, ""},
        DecodeCase{"BcdeAllF", dtBCDE, {0xFF}, 1, 0, "00"},
        DecodeCase{"DbcdLikeBcde", dtDBCD, {0x00, 0x0F, 0x12}, 3, 0, "012"},
        // Binary numbers.
        DecodeCase{"BinNegativeIsSignAndMagnitude", dtBIN, {0x80, 0x05}, 2, 0, -5.0},
        DecodeCase{"BinNegativeUsesFirstByteBits", dtBIN, {0x81, 0x00}, 2, 0, -256.0},
        DecodeCase{"BinNegativeScaled", dtBIN, {0x80, 0x00, 0x00, 0x04, 0xE2}, 5, 2, -12.5},
        DecodeCase{"BinTopBitOneByte", dtBIN, {0xC8}, 1, 0, -72.0},
        DecodeCase{"BinNegativeZero", dtBIN, {0x80, 0x00}, 2, 0, 0.0},
        DecodeCase{"BinEightBytes",
                   dtBIN,
                   {0x00, 0x20, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
                   8,
                   0,
                   9007199254740992.0},
        DecodeCase{"BinWiderThanEight", dtBIN, std::vector<std::uint8_t>(9, 0x01), 9, 0, 0.0},
        DecodeCase{"BinZeroWidth", dtBIN, {}, 0, 0, 0.0},
        // Text kinds.
        DecodeCase{"AscStopsAtFirstZero", dtASC, {0x41, 0x42, 0x00, 0x43}, 4, 0, "AB"},
        DecodeCase{"AscKeepsTrailingBlanks", dtASC, {0x41, 0x20, 0x20}, 3, 0, "A  "},
        DecodeCase{"AscHighBytesAsLatin1", dtASC, {0xE9}, 1, 0, "\u00E9"},
        DecodeCase{"GreekSkipsZeros", dtGreecAsc, {0x41, 0x42, 0x00, 0x43, 0x44}, 5, 0, "ABCD"},
        DecodeCase{
            "GreekTrimsTrailing", dtGreecAsc, {0x41, 0x01, 0x42, 0x20, 0x01, 0x00}, 6, 0, "A B"},
        DecodeCase{
            "GreekWord", dtGreecAsc, {0xCA, 0xE1, 0xEB, 0xDE}, 4, 0, "\u039A\u03B1\u03BB\u03AE"},
        // Date-time validity.
        DecodeCase{
            "DateTimeFNibbleYear", dtDATETIME, {0xF9, 0x03, 0x05, 0x10, 0x00, 0x00}, 6, 0, kZero},
        DecodeCase{
            "DateTimeMonthZero", dtDATETIME, {0x16, 0x00, 0x13, 0x14, 0x05, 0x09}, 6, 0, kZero},
        DecodeCase{
            "DateTimeDayZero", dtDATETIME, {0x16, 0x12, 0x00, 0x14, 0x05, 0x09}, 6, 0, kZero},
        DecodeCase{
            "DateTimeMonth13", dtDATETIME, {0x16, 0x13, 0x01, 0x00, 0x00, 0x00}, 6, 0, kZero},
        DecodeCase{
            "DateTime31April", dtDATETIME, {0x16, 0x04, 0x31, 0x00, 0x00, 0x00}, 6, 0, kZero},
        DecodeCase{"DateTime29FebLeap",
                   dtDATETIME,
                   {0x16, 0x02, 0x29, 0x00, 0x00, 0x00},
                   6,
                   0,
                   Moment(2016, 2, 29)},
        DecodeCase{
            "DateTime29FebCommon", dtDATETIME, {0x17, 0x02, 0x29, 0x00, 0x00, 0x00}, 6, 0, kZero},
        DecodeCase{"DateTimeHour24", dtDATETIME, {0x16, 0x12, 0x13, 0x24, 0x00, 0x00}, 6, 0, kZero},
        DecodeCase{
            "DateTimeHexDigit", dtDATETIME, {0x16, 0x12, 0x13, 0x14, 0x0A, 0x00}, 6, 0, kZero},
        DecodeCase{"DateTimeReadsSixWhateverLen",
                   dtDATETIME,
                   {0x16, 0x12, 0x13, 0x14, 0x05, 0x09},
                   2,
                   0,
                   Moment(2016, 12, 13, 14, 5, 9)},
        DecodeCase{"DateMonthZero", dtDATE, {0x16, 0x00, 0x13}, 3, 0, kZero},
        DecodeCase{"Date31April", dtDATE, {0x16, 0x04, 0x31}, 3, 0, kZero},
        DecodeCase{"TimeWithSeconds",
                   dtTIME,
                   {0x14, 0x05, 0x09},
                   3,
                   0,
                   DateTime::FromParts(1899, 12, 30, 14, 5, 9).value()},
        DecodeCase{"TimeMinute60", dtTIME, {0x14, 0x60}, 2, 0, kZero},
        DecodeCase{"DoubleNaNGivesZero",
                   dtDOUBLE,
                   {0x7F, 0xF8, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00},
                   8,
                   0,
                   0.0}),
    ByName());

TEST(FieldCodecTest, FlagsStartAsDocumented) {
  const TccEncode codec;
  EXPECT_TRUE(codec.Isinclen());
  EXPECT_TRUE(codec.Negative());
  EXPECT_FALSE(codec.IsCardinal());
}

TEST(FieldCodecTest, BinWidthsOneToEightRoundTrip) {
  TccEncode codec;
  for (int width = 1; width <= 8; ++width) {
    const std::int64_t max = static_cast<std::int64_t>((std::uint64_t{1} << (8 * width - 1)) - 1);
    for (const std::int64_t value :
         {std::int64_t{0}, std::int64_t{1}, std::int64_t{-1}, max, -max, max / 3, -(max / 3)}) {
      SCOPED_TRACE(::testing::Message() << "width " << width << " value " << value);
      std::vector<std::uint8_t> buffer(static_cast<std::size_t>(width));
      int pos = 0;
      ASSERT_TRUE(codec.DataToBuf(dtBIN, value, buffer, pos, width, 0));
      // Sign and magnitude, most significant byte first.
      const auto magnitude = static_cast<std::uint64_t>(value < 0 ? -value : value);
      std::vector<std::uint8_t> expected(static_cast<std::size_t>(width));
      for (int i = 0; i < width; ++i)
        expected[static_cast<std::size_t>(i)] =
            static_cast<std::uint8_t>(magnitude >> (8 * (width - 1 - i)));
      if (value < 0)
        expected[0] |= 0x80;
      EXPECT_EQ(Hex(buffer), Hex(expected));
      pos = 0;
      EXPECT_EQ(codec.BufToData(dtBIN, buffer, pos, width, 0), Variant(static_cast<double>(value)));
    }
    // One past the signed range: a positive value still fits (top bit as data), a negative one
    // would collide with the sign bit.
    if (width < 8) {
      std::vector<std::uint8_t> buffer(static_cast<std::size_t>(width), kSentinel);
      int pos = 0;
      EXPECT_TRUE(codec.DataToBuf(dtBIN, max + 1, buffer, pos, width, 0));
      pos = 0;
      std::vector<std::uint8_t> untouched(static_cast<std::size_t>(width), kSentinel);
      EXPECT_FALSE(codec.DataToBuf(dtBIN, -(max + 1), untouched, pos, width, 0));
      EXPECT_EQ(untouched, std::vector<std::uint8_t>(static_cast<std::size_t>(width), kSentinel));
    }
  }
}

struct FlagCase {
  const char* name;
  bool cardinal;
  bool negative;
  std::vector<std::uint8_t> bytes;
  double expected;
};

class BinFlagTest : public ::testing::TestWithParam<FlagCase> {};

TEST_P(BinFlagTest, ReadsTopBitByFlags) {
  const FlagCase& c = GetParam();
  TccEncode codec;
  codec.SetIsCardinal(c.cardinal);
  codec.SetNegative(c.negative);
  int pos = 0;
  EXPECT_EQ(codec.BufToData(dtBIN, c.bytes, pos, static_cast<int>(c.bytes.size()), 0),
            Variant(c.expected));
}

INSTANTIATE_TEST_SUITE_P(
    Flags, BinFlagTest,
    ::testing::Values(FlagCase{"CardinalOneByte", true, true, {0xC8}, 200.0},
                      FlagCase{"CardinalTwoBytes", true, true, {0x80, 0x05}, 32773.0},
                      FlagCase{"CardinalEightBytes", true, true, std::vector<std::uint8_t>(8, 0xFF),
                               18446744073709551615.0},
                      FlagCase{"TwosComplement", false, false, {0xFF, 0xFB}, -5.0},
                      FlagCase{"TwosComplementMin", false, false, {0x80}, -128.0},
                      FlagCase{"TwosComplementEightBytes", false, false,
                               std::vector<std::uint8_t>(8, 0xFF), -1.0},
                      FlagCase{"SignMagnitude", false, true, {0xFF}, -127.0}),
    ByName());

TEST(FieldCodecTest, FieldsLieEndToEnd) {
  TccEncode codec;
  std::vector<std::uint8_t> buffer(9);
  int pos = 0;
  EXPECT_TRUE(codec.DataToBuf(dtGreecAsc, "S", buffer, pos, 1));
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 1, buffer, pos, 4, 0));
  EXPECT_FALSE(codec.DataToBuf(dtBIN, "x", buffer, pos, 2, 0));  // keeps the next field's place
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 0.5, buffer, pos, 2, 2));
  EXPECT_EQ(pos, 9);
  EXPECT_EQ(Hex(buffer), Hex({0x53, 0x00, 0x00, 0x00, 0x01, 0x00, 0x00, 0x00, 0x32}));

  pos = 0;
  EXPECT_EQ(codec.BufToData(dtGreecAsc, buffer, pos, 1), Variant("S"));
  EXPECT_EQ(codec.BufToData(dtBIN, buffer, pos, 4, 0), Variant(1.0));
  pos += 2;
  EXPECT_EQ(codec.BufToData(dtBIN, buffer, pos, 2, 2), Variant(0.5));
}

TEST(FieldCodecTest, WithoutIsinclenThePositionStays) {
  TccEncode codec;
  codec.SetIsinclen(false);
  std::vector<std::uint8_t> buffer(8);
  int pos = 3;
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 5, buffer, pos, 2, 0));
  EXPECT_FALSE(codec.DataToBuf(dtIP, "1.2.3.4", buffer, pos, 4, 0));
  EXPECT_EQ(codec.BufToData(dtBIN, buffer, pos, 2, 0), Variant(5.0));
  EXPECT_TRUE(codec.DataToBufArr(dtBIN, 6, buffer, pos, 2, 0));
  EXPECT_EQ(codec.BufToDataArr(dtBIN, buffer, pos, 2, 0), Variant(6.0));
  EXPECT_EQ(pos, 3);
}

TEST(FieldCodecTest, DoubleAdvancesByLenNotByEight) {
  TccEncode codec;
  std::vector<std::uint8_t> buffer(12);
  int pos = 0;
  EXPECT_TRUE(codec.DataToBuf(dtDOUBLE, 2.0, buffer, pos, 4, 0));
  EXPECT_EQ(pos, 4);
  EXPECT_EQ(buffer[0], 0x40);  // all eight bytes written nevertheless
  pos = 0;
  EXPECT_EQ(codec.BufToData(dtDOUBLE, buffer, pos, 4, 0), Variant(2.0));
  EXPECT_EQ(pos, 4);
}

TEST(FieldCodecTest, DateKindsRejectValuesWithoutDateForm) {
  TccEncode codec;
  std::vector<std::uint8_t> buffer(6, kSentinel);
  for (const TDCDataType kind : {dtDATETIME, dtDATE}) {
    int pos = 0;
    EXPECT_THROW(codec.DataToBuf(kind, "13.12.2016", buffer, pos, 6, 0), ConversionError);
    EXPECT_EQ(pos, 0);
    EXPECT_THROW(codec.DataToBufArr(kind, "tomorrow", buffer, pos, 6, 0), ConversionError);
    EXPECT_EQ(pos, 0);
  }
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(6, kSentinel));
}

TEST(FieldCodecTest, DateTimeRoundTripsOutsideTheFNibbleYears) {
  TccEncode codec;
  for (const int year : {2010, 2016, 2026, 2099}) {
    const DateTime moment = Moment(year, 2, 28, 23, 59, 58);
    std::vector<std::uint8_t> buffer(6);
    int pos = 0;
    ASSERT_TRUE(codec.DataToBuf(dtDATETIME, moment, buffer, pos, 6, 0));
    pos = 0;
    EXPECT_EQ(codec.BufToData(dtDATETIME, buffer, pos, 6, 0), Variant(moment)) << year;
  }
}

// Every kind, for a field that sticks out of the buffer at its end, lies beyond it, or starts
// before it: the encoder writes nothing, the decoder gives its empty value, and the position
// still moves by iLen.
struct BoundsCase {
  const char* name;
  TDCDataType kind;
  Variant value;
  int len;
  Variant empty;
};

class ShortBufferTest : public ::testing::TestWithParam<BoundsCase> {};

TEST_P(ShortBufferTest, StaysInsideTheBuffer) {
  const BoundsCase& c = GetParam();
  TccEncode codec;
  for (const int start : {-1, 1, 4, 5, 100}) {
    SCOPED_TRACE(::testing::Message() << "start " << start);
    std::vector<std::uint8_t> buffer(4, kSentinel);
    int pos = start;
    EXPECT_FALSE(codec.DataToBuf(c.kind, c.value, buffer, pos, c.len, 0));
    EXPECT_EQ(pos, start + c.len);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(4, kSentinel));
    pos = start;
    EXPECT_FALSE(codec.DataToBufArr(c.kind, c.value, buffer, pos, c.len, 0));
    EXPECT_EQ(pos, start + c.len);
    EXPECT_EQ(buffer, std::vector<std::uint8_t>(4, kSentinel));
    pos = start;
    EXPECT_EQ(codec.BufToData(c.kind, buffer, pos, c.len, 0), c.empty);
    EXPECT_EQ(pos, start + c.len);
    pos = start;
    EXPECT_EQ(codec.BufToDataArr(c.kind, buffer, pos, c.len, 0), c.empty);
    EXPECT_EQ(pos, start + c.len);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, ShortBufferTest,
    ::testing::Values(
        BoundsCase{"Bcd", dtBCD, "1234", 4, ""}, BoundsCase{"Bcde", dtBCDE, "1234", 4, ""},
        BoundsCase{"Dbcd", dtDBCD, "1234", 4, ""}, BoundsCase{"Bin", dtBIN, 1, 4, 0.0},
        BoundsCase{"Asc", dtASC, "A", 4, ""}, BoundsCase{"Greek", dtGreecAsc, "A", 4, ""},
        BoundsCase{"DateTime", dtDATETIME, Moment(2016, 12, 13), 4, DateTime{}},
        BoundsCase{"Date", dtDATE, Moment(2016, 12, 13), 4, DateTime{}},
        BoundsCase{"Time", dtTIME, "", 4, DateTime{}}, BoundsCase{"Double", dtDOUBLE, 1.0, 4, 0.0},
        BoundsCase{"Ip", dtIP, "", 4, ""}),
    ByName());

TEST(FieldCodecTest, FixedWidthKindsCheckTheBytesTheyTouch) {
  TccEncode codec;
  std::vector<std::uint8_t> buffer(7, kSentinel);
  int pos = 0;
  // The double needs eight bytes whatever iLen says.
  EXPECT_FALSE(codec.DataToBuf(dtDOUBLE, 1.0, buffer, pos, 4, 0));
  EXPECT_EQ(buffer, std::vector<std::uint8_t>(7, kSentinel));
  pos = 0;
  EXPECT_EQ(codec.BufToData(dtDOUBLE, buffer, pos, 4, 0), Variant(0.0));
  // A date-time field is six bytes even when iLen is shorter.
  std::vector<std::uint8_t> five = {0x16, 0x12, 0x13, 0x14, 0x05};
  pos = 0;
  EXPECT_EQ(codec.BufToData(dtDATETIME, five, pos, 2, 0), Variant(DateTime{}));
  pos = 3;
  EXPECT_EQ(codec.BufToData(dtDATE, five, pos, 2, 0), Variant(DateTime{}));
  pos = 3;
  EXPECT_EQ(codec.BufToData(dtTIME, five, pos, 2, 0),
            Variant(DateTime::FromParts(1899, 12, 30, 14, 5, 0).value()));
  pos = 3;
  EXPECT_EQ(codec.BufToData(dtTIME, five, pos, 3, 0), Variant(DateTime{}));
}

TEST(FieldCodecTest, ArrOverwritesTheWholeField) {
  TccEncode codec;
  std::vector<std::uint8_t> buffer(8, kSentinel);
  int pos = 1;
  EXPECT_TRUE(codec.DataToBufArr(dtASC, "AB", buffer, pos, 5, 0));
  EXPECT_EQ(pos, 6);
  EXPECT_EQ(Hex(buffer), Hex({kSentinel, 0x41, 0x42, 0x00, 0x00, 0x00, kSentinel, kSentinel}));

  // A failed encoding still leaves a zeroed field behind.
  pos = 1;
  EXPECT_FALSE(codec.DataToBufArr(dtBCD, "1G34", buffer, pos, 3, 0));
  EXPECT_EQ(Hex(buffer), Hex({kSentinel, 0x00, 0x00, 0x34, 0x00, 0x00, kSentinel, kSentinel}));

  // The double does not fit in a four-byte field.
  pos = 2;
  EXPECT_FALSE(codec.DataToBufArr(dtDOUBLE, 1.0, buffer, pos, 4, 0));
  EXPECT_EQ(Hex(buffer), Hex({kSentinel, 0x00, 0x00, 0x00, 0x00, 0x00, kSentinel, kSentinel}));
}

TEST(FieldCodecTest, ArrDecodesOnlyTheField) {
  TccEncode codec;
  const std::vector<std::uint8_t> buffer = {0xEE, 0x00, 0x0F, 0x12, 0x41, 0x42};
  int pos = 1;
  EXPECT_EQ(codec.BufToDataArr(dtBCDE, buffer, pos, 3, 0), Variant("012"));
  EXPECT_EQ(codec.BufToDataArr(dtASC, buffer, pos, 2, 0), Variant("AB"));
  EXPECT_EQ(pos, 6);
  // A date-time decoder that reads past iLen finds nothing there.
  const std::vector<std::uint8_t> moment = {0x16, 0x12, 0x13, 0x14, 0x05, 0x09};
  pos = 0;
  EXPECT_EQ(codec.BufToDataArr(dtDATETIME, moment, pos, 3, 0), Variant(DateTime{}));
  pos = 0;
  EXPECT_EQ(codec.BufToDataArr(dtDATETIME, moment, pos, 6, 0),
            Variant(Moment(2016, 12, 13, 14, 5, 9)));
}

TEST(FieldCodecTest, PackedDigitsRoundTripKeepsLeadingZeros) {
  TccEncode codec;
  for (const char* digits : {"0", "00", "07", "0012345", "5200000000019", "0000000000000"}) {
    std::vector<std::uint8_t> buffer(7);
    int pos = 0;
    ASSERT_TRUE(codec.DataToBuf(dtBCDE, digits, buffer, pos, 7, 0)) << digits;
    pos = 0;
    EXPECT_EQ(codec.BufToData(dtBCDE, buffer, pos, 7, 0), Variant(digits));
  }
}

// A whole sale request laid out field after field on one buffer and one position: the item
// line "COLA", quantity 2, price 1.20, department 5, as the ECR expects it.
TEST(FieldCodecTest, SaleRequestLaidFieldByField) {
  TccEncode codec;
  std::vector<std::uint8_t> buffer(70, 0);
  int pos = 0;
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 1, buffer, pos, 1, 0));
  EXPECT_TRUE(codec.DataToBuf(dtGreecAsc, "S", buffer, pos, 1));
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 0, buffer, pos, 1, 0));
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 1, buffer, pos, 4, 0));
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 2.0, buffer, pos, 5, 3));
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 1.2, buffer, pos, 5, 2));
  EXPECT_TRUE(codec.DataToBuf(dtGreecAsc, "COLA", buffer, pos, 38));
  EXPECT_TRUE(codec.DataToBuf(dtBCDE, "", buffer, pos, 7));
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 1.2, buffer, pos, 5, 2));
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 5, buffer, pos, 1, 0));
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 0, buffer, pos, 1, 0));
  EXPECT_TRUE(codec.DataToBuf(dtBIN, 0, buffer, pos, 1, 0));
  EXPECT_EQ(pos, 70);
  std::vector<std::uint8_t> expected = {0x01, 0x53, 0x00, 0x00, 0x00, 0x00, 0x01,
                                        0x00, 0x00, 0x00, 0x07, 0xD0, 0x00, 0x00,
                                        0x00, 0x00, 0x78, 0x43, 0x4F, 0x4C, 0x41};
  expected.resize(expected.size() + 34 + 7, 0);
  expected.insert(expected.end(), {0x00, 0x00, 0x00, 0x00, 0x78, 0x05, 0x00, 0x00});
  EXPECT_EQ(Hex(buffer), Hex(expected));
}

}  // namespace
}  // namespace meridox::codec

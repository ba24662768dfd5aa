#include "packing/sale_data.h"

#include <gtest/gtest.h>

#include <climits>
#include <stdexcept>
#include <string>
#include <vector>

#include "codec/field_codec.h"
#include "hex_bytes.h"

namespace meridox::packing {
namespace {

using testing::Hex;
using testing::ToHex;

struct ExecuteCase {
  const char* name;
  TFiscatMode mode;
  std::string item_name;
  double quantity;
  double price;
  int start;
  std::vector<std::uint8_t> before;  // the buffer's content before the call
  const char* expected;
};

class SaleDataExecuteTest : public ::testing::TestWithParam<ExecuteCase> {};

TEST_P(SaleDataExecuteTest, WritesTheRecordAndCutsTheBuffer) {
  const ExecuteCase& c = GetParam();
  const codec::TccEncode codec;
  TSaleData record(codec);
  record.SetMode(c.mode);
  record.SetName(c.item_name);
  record.SetQuantity(c.quantity);
  record.SetPrice(c.price);
  std::vector<std::uint8_t> buf = c.before;
  const std::vector<std::uint8_t> expected = Hex(c.expected);
  EXPECT_EQ(record.Execute(buf, c.start), static_cast<int>(expected.size()));
  EXPECT_EQ(ToHex(buf), ToHex(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Records, SaleDataExecuteTest,
    ::testing::Values(
        ExecuteCase{"NewRecord", TFiscatMode::fcmPLU, "", 0, 0, 0, {}, "53 00*68"},
        ExecuteCase{"Department", TFiscatMode::fcmDep, "", 0, 0, 0, {}, "53 01 00*14"},
        // A department line carries no name even when one is set.
        ExecuteCase{"DepartmentIgnoresName",
                    TFiscatMode::fcmDep,
                    "COLA",
                    1.5,
                    2.3,
                    0,
                    {},
                    "53 01 00 00 00 00 00 00 00 05 DC 00 00 00 00 E6"},
        ExecuteCase{"AtOneOnEmpty", TFiscatMode::fcmPLU, "", 0, 0, 1, {}, "00 53 00*68"},
        ExecuteCase{"AtOneOnLongBuffer", TFiscatMode::fcmPLU, "", 0, 0, 1,
                    std::vector<std::uint8_t>(300, 0xAA), "AA 53 00*68"},
        ExecuteCase{"KeepsLeadingBytes",
                    TFiscatMode::fcmDep,
                    "",
                    0,
                    0,
                    3,
                    {1, 2, 3, 4, 5},
                    "01 02 03 53 01 00*14"},
        ExecuteCase{
            "NegativeStartCountsAsZero", TFiscatMode::fcmDep, "", 0, 0, -5, {7, 7}, "53 01 00*14"},
        ExecuteCase{"LongNameCut",
                    TFiscatMode::fcmPLU,
                    std::string(40, 'N'),
                    0,
                    0,
                    0,
                    {},
                    "53 00*15 4E*38 00*15"},
        ExecuteCase{"ShortNameZeroFilled",
                    TFiscatMode::fcmPLU,
                    "ABC",
                    0,
                    0,
                    0,
                    {},
                    "53 00*15 41 42 43 00*35 00*15"},
        ExecuteCase{"ScaledNumbers",
                    TFiscatMode::fcmPLU,
                    "",
                    1.5,
                    2.3,
                    0,
                    {},
                    "53 00 00 00 00 00 00 00 00 05 DC 00 00 00 00 E6 00*53"}),
    [](const ::testing::TestParamInfo<ExecuteCase>& p) { return std::string(p.param.name); });

TEST(SaleDataTest, ExecuteWritesEveryItemField) {
  const codec::TccEncode codec;
  TSaleData record(codec);
  record.SetSaleType(TSaleType::stPLUVoid);
  record.SetIndexID(0x01020304);
  record.SetQuantity(2);
  record.SetPrice(-1.25);
  record.SetName("\u039A\u03B1\u03BB\u03AE");
  record.SetBarCode("520");
  record.SetUnitPrice(0.5);
  record.SetDepID(3);
  record.SetGroupID(4);
  record.SetPara(5);
  std::vector<std::uint8_t> buf;
  ASSERT_EQ(record.Execute(buf, 0), 69);
  EXPECT_EQ(ToHex(buf), ToHex(Hex("56 00 01 02 03 04 00 00 00 07 D0 80 00 00 00 7D CA E1 EB DE "
                                  "00*34 00*5 05 20 00 00 00 00 32 03 04 05")));
}

TEST(SaleDataTest, ExecuteRefusesAPositionWithoutRoom) {
  const codec::TccEncode codec;
  TSaleData record(codec);
  std::vector<std::uint8_t> buf(3, 0x11);
  EXPECT_THROW(record.Execute(buf, INT_MAX), std::length_error);
  EXPECT_EQ(buf, std::vector<std::uint8_t>(3, 0x11));
}

struct UnExecuteCase {
  const char* name;
  const char* bytes;
  bool ok;
  TSaleType sale_type;  // starts as stTicket, so an unchanged type shows
  TFiscatMode mode;
  std::int32_t index;
  double quantity;
  double price;
  const char* item_name;
  const char* barcode;
  std::int32_t dep;
};

class SaleDataUnExecuteTest : public ::testing::TestWithParam<UnExecuteCase> {};

TEST_P(SaleDataUnExecuteTest, ReadsTheAnswerLayout) {
  const UnExecuteCase& c = GetParam();
  const codec::TccEncode codec;
  TSaleData record(codec);
  record.SetSaleType(TSaleType::stTicket);
  const std::vector<std::uint8_t> bytes = Hex(c.bytes);
  EXPECT_EQ(record.UnExecute(bytes), c.ok);
  EXPECT_EQ(record.SaleType(), c.sale_type);
  EXPECT_EQ(record.Mode(), c.mode);
  EXPECT_EQ(record.IndexID(), c.index);
  EXPECT_DOUBLE_EQ(record.Quantity(), c.quantity);
  EXPECT_DOUBLE_EQ(record.Price(), c.price);
  EXPECT_EQ(record.Name(), c.item_name);
  EXPECT_EQ(record.BarCode(), c.barcode);
  EXPECT_EQ(record.DepID(), c.dep);
}

INSTANTIATE_TEST_SUITE_P(
    Records, SaleDataUnExecuteTest,
    ::testing::Values(
        UnExecuteCase{"DepReturn", "52 01 00 07 00 00 00 05 DC 00 00 00 00 E6", true,
                      TSaleType::stDepReturn, TFiscatMode::fcmDep, 7, 1.5, 2.3, "", "", 0},
        UnExecuteCase{"PLUReturn",
                      "52 00 00 07 00 00 00 05 DC 00 00 00 00 E6 43 4F 4C 41 00*34 "
                      "00 00 00 0F F1 23 45 00 00 00 00 E6 09 00 00",
                      true, TSaleType::stPLUReturn, TFiscatMode::fcmPLU, 7, 1.5, 2.3, "COLA",
                      "0012345", 9},
        UnExecuteCase{"CancelEndDaily", "73 01 00*12", true, TSaleType::stCancelEndDaily,
                      TFiscatMode::fcmDep, 0, 0, 0, "", "", 0},
        UnExecuteCase{"SaleOnDepartment", "53 01 01 00 00*10", true, TSaleType::stDepSale,
                      TFiscatMode::fcmDep, 256, 0, 0, "", "", 0},
        // Any mode byte but 0 is a department line.
        UnExecuteCase{"OtherModeByte", "53 05 00*12", true, TSaleType::stDepSale,
                      TFiscatMode::fcmDep, 0, 0, 0, "", "", 0},
        // Unknown and empty letters leave the sale type as it was.
        UnExecuteCase{"UnknownLetter", "5A 01 00*12", true, TSaleType::stTicket,
                      TFiscatMode::fcmDep, 0, 0, 0, "", "", 0},
        UnExecuteCase{"EmptyLetter", "00 01 00*12", true, TSaleType::stTicket, TFiscatMode::fcmDep,
                      0, 0, 0, "", "", 0},
        // Cut short: the fields that fit are read, the sale type stays.
        UnExecuteCase{"DepartmentCutShort", "52 01 00 07 00 00 00 05 DC 00 00 00 00", false,
                      TSaleType::stTicket, TFiscatMode::fcmDep, 7, 1.5, 0, "", "", 0},
        UnExecuteCase{"ItemCutShort",
                      "52 00 00 07 00 00 00 05 DC 00 00 00 00 E6 43 4F 4C 41 00*34 "
                      "00 00 00 0F F1 23 45 00 00 00 00 E6 09 00",
                      false, TSaleType::stTicket, TFiscatMode::fcmPLU, 7, 1.5, 2.3, "COLA",
                      "0012345", 9},
        UnExecuteCase{"Empty", "", false, TSaleType::stTicket, TFiscatMode::fcmPLU, 0, 0, 0, "", "",
                      0}),
    [](const ::testing::TestParamInfo<UnExecuteCase>& p) { return std::string(p.param.name); });

struct LetterCase {
  const char* letter;
  TFiscatMode mode;
  TSaleType expected;  // from a record whose sale type is stTicket
};

class SaleTypeFromLetterTest : public ::testing::TestWithParam<LetterCase> {};

TEST_P(SaleTypeFromLetterTest, MapsUnderTheMode) {
  const LetterCase& c = GetParam();
  const codec::TccEncode codec;
  TSaleData record(codec);
  record.SetSaleType(TSaleType::stTicket);
  record.SetMode(c.mode);
  EXPECT_EQ(record.SaleTypeFromLetter(c.letter), c.expected) << c.letter;
}

constexpr TFiscatMode kPLU = TFiscatMode::fcmPLU;
constexpr TFiscatMode kDep = TFiscatMode::fcmDep;

INSTANTIATE_TEST_SUITE_P(
    Letters, SaleTypeFromLetterTest,
    ::testing::Values(
        LetterCase{"S", kPLU, TSaleType::stPLUSale}, LetterCase{"S", kDep, TSaleType::stDepSale},
        LetterCase{"Sx", kDep, TSaleType::stDepSale}, LetterCase{"R", kPLU, TSaleType::stPLUReturn},
        LetterCase{"R", kDep, TSaleType::stDepReturn}, LetterCase{"V", kPLU, TSaleType::stPLUVoid},
        LetterCase{"V", kDep, TSaleType::stDepVoid}, LetterCase{"C", kPLU, TSaleType::stVoid},
        LetterCase{"c", kPLU, TSaleType::stSelEndDaily},
        LetterCase{"s", kDep, TSaleType::stCancelEndDaily}, LetterCase{"E", kPLU, TSaleType::stEc},
        LetterCase{"B", kPLU, TSaleType::stSubtotal},
        LetterCase{"M", kPLU, TSaleType::stDiscountRE},
        LetterCase{"D", kDep, TSaleType::stDiscount}, LetterCase{"F", kPLU, TSaleType::stPayment},
        LetterCase{"T", kPLU, TSaleType::stTicket}, LetterCase{"", kPLU, TSaleType::stTicket},
        LetterCase{"X", kPLU, TSaleType::stTicket}, LetterCase{"CC", kPLU, TSaleType::stTicket},
        LetterCase{"f", kPLU, TSaleType::stTicket}));

TEST(SaleTypeLettersTest, EveryTypeReadsBackFromItsLetter) {
  const codec::TccEncode codec;
  TSaleData record(codec);
  for (std::size_t i = 0; i < SaleTypeLetters.size(); ++i) {
    const auto type = static_cast<TSaleType>(i);
    const bool dep = type == TSaleType::stDepSale || type == TSaleType::stDepReturn ||
                     type == TSaleType::stDepVoid;
    record.SetMode(dep ? kDep : kPLU);
    EXPECT_EQ(record.SaleTypeFromLetter(LetterOf(type)), type) << i;
  }
}

}  // namespace
}  // namespace meridox::packing

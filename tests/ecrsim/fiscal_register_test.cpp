// The register's rules, driven directly: main paths of a receipt, tables and the day, and
// the refusals a register gives.
#include "fiscal_register.h"

#include <gtest/gtest.h>

#include <functional>

namespace meridox::ecrsim {
namespace {

ItemLine Item(const std::string& name, std::int64_t quantity, std::int64_t price,
              bool refund = false) {
  ItemLine line;
  line.name = name;
  line.quantity = quantity;
  line.price = price;
  line.refund = refund;
  return line;
}

class RegisterTest : public ::testing::Test {
 protected:
  platform::FakeClock clock_;
  PaperRoll paper_;
  FiscalRegister reg_{RegisterSettings{}, paper_, clock_};
};

TEST_F(RegisterTest, SaleDiscountsAndCashPaymentCloseTheReceiptWithChange) {
  ASSERT_TRUE(reg_.Item(Item("COLA", 2000, 120)).ok);  // 2,40
  ASSERT_TRUE(reg_.Item(Item("ΝΕΡΟ", 1500, 50)).ok);   // 0,75
  ASSERT_TRUE(reg_.Discount(25).ok);                   // off the last line
  ASSERT_TRUE(reg_.Subtotal().ok);
  ASSERT_TRUE(reg_.DiscountPercent(1000).ok);  // 10% of 2,90 = 0,29
  EXPECT_EQ(reg_.Snapshot().total, 261);
  const Reply first = reg_.Payment(3, 100, "");
  ASSERT_TRUE(first.ok);
  EXPECT_TRUE(reg_.Snapshot().receipt_open);
  EXPECT_TRUE(reg_.Snapshot().paying);
  ASSERT_TRUE(reg_.Payment(1, 500, "").ok);  // 1,61 due, 5,00 cash
  const RegisterSnapshot s = reg_.Snapshot();
  EXPECT_FALSE(s.receipt_open);
  EXPECT_EQ(s.day_receipts, 1);
  EXPECT_EQ(s.day_sales, 315);
  const std::string text = paper_.Text();
  EXPECT_NE(text.find("ΡΕΣΤΑ"), std::string::npos);
  EXPECT_NE(text.find("3,39"), std::string::npos);  // change 5,00 - 1,61
  EXPECT_NE(text.find("COLA"), std::string::npos);
}

TEST_F(RegisterTest, PaymentOfZeroPaysTheRest) {
  ASSERT_TRUE(reg_.Item(Item("A", 1000, 999)).ok);
  ASSERT_TRUE(reg_.Payment(1, 0, "").ok);
  EXPECT_FALSE(reg_.Snapshot().receipt_open);
  EXPECT_EQ(reg_.Snapshot().day_sales, 999);
}

TEST_F(RegisterTest, VoidClosesWithoutCountingTheSale) {
  ASSERT_TRUE(reg_.Item(Item("A", 1000, 500)).ok);
  ASSERT_TRUE(reg_.Void().ok);
  EXPECT_FALSE(reg_.Snapshot().receipt_open);
  EXPECT_EQ(reg_.Snapshot().day_sales, 0);
  EXPECT_EQ(reg_.Snapshot().day_receipts, 0);
}

TEST_F(RegisterTest, ZReportStartsTheTransferThatSelectCompletes) {
  ASSERT_TRUE(reg_.Item(Item("A", 1000, 500)).ok);
  ASSERT_TRUE(reg_.Payment(1, 0, "").ok);
  EXPECT_EQ(reg_.Properties()[22], 1);  // the day holds receipts
  ASSERT_TRUE(reg_.PrintReport("501").ok);
  EXPECT_EQ(reg_.Properties()[22], 0);
  EXPECT_EQ(reg_.Snapshot().z_number, 1);
  EXPECT_EQ(reg_.EndOfDayQuery().data, (std::vector<std::uint8_t>{1, 1}));
  ASSERT_TRUE(reg_.CancelTransfer().ok);
  EXPECT_EQ(reg_.EndOfDayQuery().data, (std::vector<std::uint8_t>{1, 2}));
  ASSERT_TRUE(reg_.SelectTransfer().ok);
  EXPECT_EQ(reg_.EndOfDayQuery().data, (std::vector<std::uint8_t>{2, 2}));
  // Acknowledged but without effect once the transfer is done.
  EXPECT_TRUE(reg_.CancelTransfer().ok);
  EXPECT_EQ(reg_.EndOfDayQuery().data, (std::vector<std::uint8_t>{2, 2}));
  EXPECT_NE(paper_.Text().find("ΗΜΕΡΗΣΙΑ ΑΝΑΦΟΡΑ Z"), std::string::npos);
}

TEST_F(RegisterTest, XReportKeepsTheDay) {
  ASSERT_TRUE(reg_.Item(Item("A", 1000, 500)).ok);
  ASSERT_TRUE(reg_.Payment(1, 0, "").ok);
  ASSERT_TRUE(reg_.PrintReport("101").ok);
  EXPECT_EQ(reg_.Snapshot().day_sales, 500);
  EXPECT_EQ(reg_.Snapshot().z_number, 0);
  EXPECT_EQ(reg_.Snapshot().transfer, TransferState::kNone);
}

TEST_F(RegisterTest, TableHeldTransferredAndPaid) {
  ASSERT_TRUE(reg_.OpenTable(3).ok);
  ASSERT_TRUE(reg_.Item(Item("ΚΑΦΕΣ", 1000, 250)).ok);
  ASSERT_TRUE(reg_.CloseTemporaryTable(3).ok);
  EXPECT_FALSE(reg_.Snapshot().receipt_open);
  EXPECT_EQ(reg_.Snapshot().parked_tables.at(3), 250);
  EXPECT_FALSE(reg_.PrintReport("501").ok);  // a held table blocks the Z
  ASSERT_TRUE(reg_.TransferTable(3, 7).ok);
  EXPECT_EQ(reg_.Snapshot().parked_tables.count(7), 1u);
  const Reply bill = reg_.CloseTable(7);
  ASSERT_TRUE(bill.ok);
  EXPECT_EQ(bill.data, (std::vector<std::uint8_t>{0, 0, 0, 0, 250}));
  EXPECT_TRUE(reg_.Snapshot().receipt_open);
  ASSERT_TRUE(reg_.Payment(1, 0, "").ok);
  EXPECT_TRUE(reg_.Snapshot().parked_tables.empty());
}

TEST_F(RegisterTest, TailLinesArePrintedUnderTheNextReceiptOnly) {
  ASSERT_TRUE(reg_.TailMessage({"ΕΥΧΑΡΙΣΤΟΥΜΕ", "", ""}).ok);
  ASSERT_TRUE(reg_.Item(Item("A", 1000, 100)).ok);
  ASSERT_TRUE(reg_.Payment(1, 0, "").ok);
  EXPECT_NE(paper_.Text().find("ΕΥΧΑΡΙΣΤΟΥΜΕ"), std::string::npos);
  EXPECT_TRUE(reg_.Snapshot().tail.empty());
}

struct RefusalCase {
  const char* name;
  std::function<void(FiscalRegister&)> setup;
  std::function<Reply(FiscalRegister&)> request;
  const char* text;
};

void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << c.name;
}

class RefusalTest : public RegisterTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, RefusedWithTextAndStateUnchanged) {
  const RefusalCase& c = GetParam();
  c.setup(reg_);
  const RegisterSnapshot before = reg_.Snapshot();
  const Reply reply = c.request(reg_);
  EXPECT_FALSE(reply.ok);
  EXPECT_EQ(reply.refusal, c.text);
  const RegisterSnapshot after = reg_.Snapshot();
  EXPECT_EQ(after.receipt_open, before.receipt_open);
  EXPECT_EQ(after.total, before.total);
  EXPECT_EQ(after.paid, before.paid);
  EXPECT_EQ(after.z_number, before.z_number);
  EXPECT_EQ(after.lines, before.lines);
}

const auto kNothing = [](FiscalRegister&) {};
const auto kOneItem = [](FiscalRegister& r) { r.Item(Item("A", 1000, 500)); };
const auto kPaying = [](FiscalRegister& r) {
  r.Item(Item("A", 1000, 500));
  r.Payment(1, 100, "");
};

INSTANTIATE_TEST_SUITE_P(
    Rules, RefusalTest,
    ::testing::Values(
        RefusalCase{"payment_without_receipt", kNothing,
                    [](FiscalRegister& r) { return r.Payment(1, 100, ""); }, refusal::kNoReceipt},
        RefusalCase{"void_without_receipt", kNothing, [](FiscalRegister& r) { return r.Void(); },
                    refusal::kNoReceipt},
        RefusalCase{"subtotal_without_receipt", kNothing,
                    [](FiscalRegister& r) { return r.Subtotal(); }, refusal::kNoReceipt},
        RefusalCase{"z_with_open_receipt", kOneItem,
                    [](FiscalRegister& r) { return r.PrintReport("501"); }, refusal::kReceiptOpen},
        RefusalCase{"x_with_open_receipt", kOneItem,
                    [](FiscalRegister& r) { return r.PrintReport("101"); }, refusal::kReceiptOpen},
        RefusalCase{"unknown_report", kNothing,
                    [](FiscalRegister& r) { return r.PrintReport("999"); },
                    refusal::kUnknownReport},
        RefusalCase{"item_after_payment", kPaying,
                    [](FiscalRegister& r) { return r.Item(Item("B", 1000, 100)); },
                    refusal::kPaymentStarted},
        RefusalCase{"zero_quantity", kNothing,
                    [](FiscalRegister& r) { return r.Item(Item("B", 0, 100)); },
                    refusal::kZeroQuantity},
        RefusalCase{"zero_price", kNothing,
                    [](FiscalRegister& r) { return r.Item(Item("B", 1000, 0)); },
                    refusal::kZeroPrice},
        RefusalCase{"refund_below_zero", kOneItem,
                    [](FiscalRegister& r) { return r.Item(Item("B", 1000, 600, true)); },
                    refusal::kNegativeTotal},
        RefusalCase{"discount_above_line", kOneItem,
                    [](FiscalRegister& r) { return r.Discount(501); }, refusal::kDiscountTooLarge},
        RefusalCase{"percent_above_100", kOneItem,
                    [](FiscalRegister& r) { return r.DiscountPercent(10001); },
                    refusal::kDiscountTooLarge},
        RefusalCase{"discount_after_payment", kPaying,
                    [](FiscalRegister& r) { return r.Discount(10); }, refusal::kPaymentStarted},
        RefusalCase{"card_over_the_total", kOneItem,
                    [](FiscalRegister& r) { return r.Payment(3, 600, ""); }, refusal::kOverpayment},
        RefusalCase{"payment_type_0", kOneItem,
                    [](FiscalRegister& r) { return r.Payment(0, 100, ""); },
                    refusal::kBadPaymentType},
        RefusalCase{"close_unknown_table", kNothing,
                    [](FiscalRegister& r) { return r.CloseTable(4); }, refusal::kTableClosed},
        RefusalCase{"open_table_over_receipt", kOneItem,
                    [](FiscalRegister& r) { return r.OpenTable(4); }, refusal::kReceiptOpen},
        RefusalCase{"transfer_to_busy_table",
                    [](FiscalRegister& r) {
                      r.OpenTable(1);
                      r.Item(Item("A", 1000, 100));
                      r.CloseTemporaryTable(1);
                      r.OpenTable(2);
                    },
                    [](FiscalRegister& r) { return r.TransferTable(1, 2); }, refusal::kTableBusy},
        RefusalCase{"login_with_open_receipt", kOneItem,
                    [](FiscalRegister& r) { return r.Login(2, 0); }, refusal::kReceiptOpen}),
    [](const ::testing::TestParamInfo<RefusalCase>& param_info) { return param_info.param.name; });

TEST_F(RegisterTest, SelectAndCancelWithoutTransferAreAcknowledgedNoOps) {
  EXPECT_TRUE(reg_.SelectTransfer().ok);
  EXPECT_TRUE(reg_.CancelTransfer().ok);
  EXPECT_EQ(reg_.EndOfDayQuery().data, (std::vector<std::uint8_t>{0, 0}));
}

TEST_F(RegisterTest, TransferTakesTheConfiguredNumberOfQueries) {
  RegisterSettings settings;
  settings.transfer_queries = 2;
  FiscalRegister reg(settings, paper_, clock_);
  ASSERT_TRUE(reg.PrintReport("501").ok);
  ASSERT_TRUE(reg.SelectTransfer().ok);
  EXPECT_EQ(reg.EndOfDayQuery().data[0], 1);
  EXPECT_EQ(reg.EndOfDayQuery().data[0], 1);
  EXPECT_EQ(reg.EndOfDayQuery().data[0], 2);
}

TEST(RegisterClerks, ConfiguredPasswordIsChecked) {
  platform::FakeClock clock;
  PaperRoll paper;
  RegisterSettings settings;
  settings.clerk_passwords[2] = 1234;
  FiscalRegister reg(settings, paper, clock);
  EXPECT_FALSE(reg.Login(2, 1).ok);
  EXPECT_TRUE(reg.Login(2, 1234).ok);
  EXPECT_EQ(reg.Snapshot().clerk, 2);
  EXPECT_TRUE(reg.Login(5, 99).ok);  // not configured: any password
}

}  // namespace
}  // namespace meridox::ecrsim

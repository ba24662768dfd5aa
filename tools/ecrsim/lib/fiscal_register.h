// The simulated register's fiscal state: the open receipt with its lines and running
// total, payments, tables, the day's totals, X/Z reports and the end-of-day transfer.
// The rules (what is allowed when, and the refusal texts) are all in fiscal_register.cpp,
// one function per request; this class knows nothing about frames.
//
// Amounts are in cents, quantities in thousandths, percentages in hundredths.
#pragma once

#include <array>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "paper_roll.h"
#include "platform/clock.h"

namespace meridox::ecrsim {

// The outcome of one request: accepted (with answer data for commands that return data),
// or refused with a text in Greek.
struct Reply {
  bool ok = true;
  std::string refusal;             // UTF-8; shown by the bridge as the error
  std::vector<std::uint8_t> data;  // answer payload
  std::string meaning;             // one readable line for the journal

  static Reply Accept(std::string meaning, std::vector<std::uint8_t> data = {});
  static Reply Refuse(std::string text, std::string meaning = {});
};

// Refusal texts, as the register displays them.
namespace refusal {
inline constexpr const char* kNoReceipt = "ΔΕΝ ΥΠΑΡΧΕΙ ΑΝΟΙΧΤΗ ΑΠΟΔΕΙΞΗ";
inline constexpr const char* kReceiptOpen = "ΥΠΑΡΧΕΙ ΑΝΟΙΧΤΗ ΑΠΟΔΕΙΞΗ";
inline constexpr const char* kPaymentStarted = "ΠΛΗΡΩΜΗ ΣΕ ΕΞΕΛΙΞΗ";
inline constexpr const char* kZeroQuantity = "ΜΗΔΕΝΙΚΗ ΠΟΣΟΤΗΤΑ";
inline constexpr const char* kZeroPrice = "ΜΗΔΕΝΙΚΗ ΤΙΜΗ";
inline constexpr const char* kNegativeTotal = "ΑΡΝΗΤΙΚΟ ΣΥΝΟΛΟ";
inline constexpr const char* kNothingToDiscount = "ΔΕΝ ΥΠΑΡΧΕΙ ΠΟΣΟ ΓΙΑ ΕΚΠΤΩΣΗ";
inline constexpr const char* kDiscountTooLarge = "ΥΠΕΡΒΑΣΗ ΕΚΠΤΩΣΗΣ";
inline constexpr const char* kEmptyReceipt = "ΚΕΝΗ ΑΠΟΔΕΙΞΗ";
inline constexpr const char* kOverpayment = "ΥΠΕΡΒΑΣΗ ΠΟΣΟΥ ΠΛΗΡΩΜΗΣ";
inline constexpr const char* kBadPaymentType = "ΑΓΝΩΣΤΟΣ ΤΡΟΠΟΣ ΠΛΗΡΩΜΗΣ";
inline constexpr const char* kBadData = "ΛΑΘΟΣ ΔΕΔΟΜΕΝΑ";
inline constexpr const char* kUnknownCommand = "ΑΓΝΩΣΤΗ ΕΝΤΟΛΗ";
inline constexpr const char* kUnknownReport = "ΑΓΝΩΣΤΗ ΑΝΑΦΟΡΑ";
inline constexpr const char* kWrongPassword = "ΛΑΘΟΣ ΚΩΔΙΚΟΣ ΤΑΜΙΑ";
inline constexpr const char* kTableBusy = "ΤΟ ΤΡΑΠΕΖΙ ΕΙΝΑΙ ΑΝΟΙΧΤΟ";
inline constexpr const char* kTableClosed = "ΤΟ ΤΡΑΠΕΖΙ ΔΕΝ ΕΙΝΑΙ ΑΝΟΙΧΤΟ";
inline constexpr const char* kOtherTable = "ΑΝΟΙΧΤΟ ΑΛΛΟ ΤΡΑΠΕΖΙ";
inline constexpr const char* kTablesOpen = "ΥΠΑΡΧΟΥΝ ΑΝΟΙΧΤΑ ΤΡΑΠΕΖΙΑ";
}  // namespace refusal

struct RegisterSettings {
  std::vector<std::string> header{"ΚΑΤΑΣΤΗΜΑ ΔΟΚΙΜΩΝ", "ΕΡΜΟΥ 1, ΑΘΗΝΑ",
                                  "ΑΦΜ 099999999 ΔΟΥ Α' ΑΘΗΝΩΝ"};
  std::string fiscal_code = "SIM00000001";  // 11 characters, in the properties answer
  std::uint16_t machine_id = 1;
  std::uint8_t machine_type = 1;
  std::array<std::uint8_t, 4> host{127, 0, 0, 1};
  std::uint16_t port = 0;  // 0: the TCP port listened on, when below 32768
  // Clerk passwords the register checks; a clerk not listed logs in with any password.
  std::map<int, std::uint32_t> clerk_passwords;
  // "e" queries after Select that still show status 1 before the transfer is done.
  int transfer_queries = 0;
};

// An item sale or refund line as the 10004 item record carries it.
struct ItemLine {
  bool refund = false;
  std::uint32_t index = 0;
  std::int64_t quantity = 0;  // thousandths
  std::int64_t price = 0;     // cents
  std::string name;
  std::string barcode;
  std::int64_t unit_price = 0;
  int department = 0;
};

enum class TransferState : std::uint8_t { kNone = 0, kPending = 1, kDone = 2 };

// What tests look at.
struct RegisterSnapshot {
  bool receipt_open = false;
  bool paying = false;  // a payment has been taken, the receipt is not yet covered
  bool invoice = false;
  int table = 0;           // table of the open receipt, 0 = none
  std::int64_t total = 0;  // receipt total after discounts
  std::int64_t paid = 0;
  std::size_t lines = 0;   // printed sale/refund/discount lines of the open receipt
  int receipt_number = 0;  // last receipt number given
  int z_number = 0;        // Z reports printed so far
  int clerk = 1;
  bool connected = false;
  std::int64_t day_sales = 0;  // since the last Z: closed receipts' totals
  int day_receipts = 0;
  std::map<int, std::int64_t> parked_tables;  // table -> total of its held lines
  TransferState transfer = TransferState::kNone;
  int transfer_attempts = 0;
  std::vector<std::string> tail;  // lines printed under the next receipt
};

class FiscalRegister {
 public:
  FiscalRegister(RegisterSettings settings, PaperRoll& roll, platform::Clock& clock);

  Reply Connect();
  Reply Disconnect();
  Reply Login(int clerk, std::uint32_t password);
  Reply Logout();

  Reply Item(const ItemLine& line);
  Reply Discount(std::int64_t cents);
  Reply DiscountPercent(std::int64_t hundredths);
  Reply Subtotal();
  Reply Void();
  Reply Payment(int type, std::int64_t cents, const std::string& text);

  Reply FreeText(const std::vector<std::string>& lines);
  Reply TailMessage(const std::vector<std::string>& lines);
  Reply Invoice(const std::vector<std::string>& fields);

  Reply OpenTable(int table);
  Reply CloseTable(int table);
  Reply TransferTable(int from, int to);
  Reply CloseTemporaryTable(int table);

  Reply OpenDrawer();
  // 10012 "e": [status, attempts]; "s": start the transfer; "c": put it off (one more
  // attempt). "s" and "c" are acknowledged also when no transfer is pending.
  Reply EndOfDayQuery();
  Reply SelectTransfer();
  Reply CancelTransfer();
  // 30009: "101" X report, "501" Z report.
  Reply PrintReport(const std::string& code);

  // The 26-byte properties answer.
  std::vector<std::uint8_t> Properties() const;

  RegisterSnapshot Snapshot() const;
  // Test hooks.
  void SetTransfer(TransferState state, int attempts);
  void SetPort(std::uint16_t port) { settings_.port = port; }

 private:
  struct Line {
    std::string text;
    std::int64_t amount = 0;
  };
  struct Receipt {
    std::vector<Line> lines;
    std::int64_t total = 0;
    std::int64_t last_line = 0;  // amount a line discount applies to
    bool after_subtotal = false;
    std::int64_t discountable = 0;  // what the next discount may take off
    std::int64_t paid = 0;
    bool paying = false;
    bool invoice = false;
    int table = 0;
    std::int64_t sales = 0;
    std::int64_t refunds = 0;
    std::int64_t discounts = 0;
  };

  void OpenReceipt();
  void CloseReceipt(const std::string& closing_note);
  void PrintDayReport(bool z);
  std::string Stamp() const;

  RegisterSettings settings_;
  PaperRoll& roll_;
  platform::Clock& clock_;
  std::optional<Receipt> receipt_;
  std::map<int, Receipt> parked_;  // tables held with their lines
  std::vector<std::string> tail_;
  std::vector<std::string> invoice_fields_;
  int receipt_number_ = 0;
  int z_number_ = 0;
  int clerk_ = 1;
  std::uint32_t clerk_password_ = 0;
  bool connected_ = false;
  // The day since the last Z.
  std::int64_t day_sales_ = 0;
  std::int64_t day_refunds_ = 0;
  std::int64_t day_discounts_ = 0;
  int day_receipts_ = 0;
  int day_voids_ = 0;
  std::map<int, std::int64_t> day_payments_;
  TransferState transfer_ = TransferState::kNone;
  int transfer_attempts_ = 0;
  int transfer_countdown_ = -1;  // queries until a started transfer is done; -1 not started
};

}  // namespace meridox::ecrsim

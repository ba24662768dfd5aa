// The register's rules. Each request checks what the state allows, refuses with the text
// the register would display, or changes the state and prints what a register prints.
#include "fiscal_register.h"

#include <cstdio>
#include <limits>

#include "codec/greek.h"

namespace meridox::ecrsim {

namespace {

const std::string kRule(kPaperWidth, '-');
const std::string kDoubleRule(kPaperWidth, '=');

std::string PaymentName(int type) {
  switch (type) {
    case 1:
      return "ΜΕΤΡΗΤΑ";
    case 2:
      return "ΕΠΙΤΑΓΗ";
    case 3:
      return "ΚΑΡΤΑ";
    case 4:
      return "ΠΙΣΤΩΤΙΚΗ ΚΑΡΤΑ";
    case 5:
      return "ΠΙΣΤΩΣΗ";
    default:
      return "ΠΛΗΡΩΜΗ " + std::to_string(type);
  }
}

std::string Number4(int value) {
  char text[16];
  std::snprintf(text, sizeof text, "%04d", value);
  return text;
}

// Half away from zero, as a register rounds.
std::int64_t RoundDiv(std::int64_t value, std::int64_t divisor) {
  return value >= 0 ? (value + divisor / 2) / divisor : -((-value + divisor / 2) / divisor);
}

void PutBigEndian(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
  for (int i = bytes - 1; i >= 0; --i) {
    out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
  }
}

}  // namespace

Reply Reply::Accept(std::string meaning, std::vector<std::uint8_t> data) {
  Reply reply;
  reply.meaning = std::move(meaning);
  reply.data = std::move(data);
  return reply;
}

Reply Reply::Refuse(std::string text, std::string meaning) {
  Reply reply;
  reply.ok = false;
  reply.refusal = std::move(text);
  reply.meaning = std::move(meaning);
  return reply;
}

FiscalRegister::FiscalRegister(RegisterSettings settings, PaperRoll& roll, platform::Clock& clock)
    : settings_(std::move(settings)), roll_(roll), clock_(clock) {}

std::string FiscalRegister::Stamp() const {
  const platform::LocalTime t = clock_.LocalNow();
  char text[32];
  std::snprintf(text, sizeof text, "%02d-%02d-%04d %02d:%02d", t.day, t.month, t.year, t.hour,
                t.minute);
  return text;
}

Reply FiscalRegister::Connect() {
  connected_ = true;
  return Reply::Accept("connect");
}

Reply FiscalRegister::Disconnect() {
  connected_ = false;
  return Reply::Accept("disconnect");
}

Reply FiscalRegister::Login(int clerk, std::uint32_t password) {
  if (receipt_) {
    return Reply::Refuse(refusal::kReceiptOpen, "login refused: receipt open");
  }
  auto known = settings_.clerk_passwords.find(clerk);
  if (clerk <= 0 || (known != settings_.clerk_passwords.end() && known->second != password)) {
    return Reply::Refuse(refusal::kWrongPassword, "login refused: clerk " + std::to_string(clerk));
  }
  clerk_ = clerk;
  clerk_password_ = password;
  return Reply::Accept("login clerk " + std::to_string(clerk));
}

Reply FiscalRegister::Logout() {
  return Reply::Accept("logout clerk " + std::to_string(clerk_));
}

void FiscalRegister::OpenReceipt() {
  receipt_ = Receipt{};  // clang cannot see the nested type's default constructor for emplace()
  ++receipt_number_;
  for (const std::string& line : settings_.header) {
    roll_.Print(CenterLine(line));
  }
  roll_.Print(kRule);
  roll_.Print(SpreadLine("ΑΠΟΔΕΙΞΗ ΛΙΑΝΙΚΗΣ", "Αρ. " + Number4(receipt_number_)));
  roll_.Print(SpreadLine("ΤΑΜΙΑΣ " + std::to_string(clerk_), Stamp()));
  roll_.Print(kRule);
}

void FiscalRegister::CloseReceipt(const std::string& closing_note) {
  if (!closing_note.empty()) {
    roll_.Print(closing_note);
  }
  for (const std::string& line : tail_) {
    roll_.Print(CenterLine(line));
  }
  tail_.clear();
  roll_.Print(CenterLine(settings_.fiscal_code + "  Z " + Number4(z_number_ + 1)));
  roll_.Print(kDoubleRule);
  roll_.Print("");
  receipt_.reset();
}

Reply FiscalRegister::Item(const ItemLine& line) {
  if (receipt_ && receipt_->paying) {
    return Reply::Refuse(refusal::kPaymentStarted, "item refused: payment started");
  }
  if (line.quantity <= 0) {
    return Reply::Refuse(refusal::kZeroQuantity, "item refused: quantity");
  }
  if (line.price <= 0) {
    return Reply::Refuse(refusal::kZeroPrice, "item refused: price");
  }
  // Five-byte quantity and price fields can hold values whose product overflows; half the
  // range leaves room for the rounding and the receipt's total.
  if (line.quantity > std::numeric_limits<std::int64_t>::max() / 2 / line.price) {
    return Reply::Refuse(refusal::kBadData, "item refused: amount out of range");
  }
  const std::int64_t amount = RoundDiv(line.quantity * line.price, 1000);
  const std::int64_t signed_amount = line.refund ? -amount : amount;
  const std::int64_t total = receipt_ ? receipt_->total : 0;
  if (total + signed_amount < 0) {
    return Reply::Refuse(refusal::kNegativeTotal, "refund refused: total would be negative");
  }
  if (!receipt_) {
    OpenReceipt();
  }
  Receipt& r = *receipt_;
  const std::string name = line.name.empty() ? "ΕΙΔΟΣ" : line.name;
  if (line.refund) {
    roll_.Print("ΕΠΙΣΤΡΟΦΗ");
  }
  roll_.Print(SpreadLine(name, FormatAmount(signed_amount)));
  if (line.quantity != 1000) {
    roll_.Print("  " + FormatQuantity(line.quantity) + " x " + FormatAmount(line.price));
  }
  r.lines.push_back({name, signed_amount});
  r.total += signed_amount;
  r.last_line = line.refund ? 0 : amount;
  r.after_subtotal = false;
  (line.refund ? r.refunds : r.sales) += amount;
  return Reply::Accept((line.refund ? "refund " : "sale ") + name + " " +
                       FormatQuantity(line.quantity) + " x " + FormatAmount(line.price) + " = " +
                       FormatAmount(signed_amount) + ", total " + FormatAmount(r.total));
}

Reply FiscalRegister::Discount(std::int64_t cents) {
  if (!receipt_) {
    return Reply::Refuse(refusal::kNoReceipt, "discount refused: no receipt");
  }
  Receipt& r = *receipt_;
  if (r.paying) {
    return Reply::Refuse(refusal::kPaymentStarted, "discount refused: payment started");
  }
  const std::int64_t base = r.after_subtotal ? r.total : r.last_line;
  if (base <= 0) {
    return Reply::Refuse(refusal::kNothingToDiscount, "discount refused: nothing to discount");
  }
  if (cents <= 0) {
    return Reply::Refuse(refusal::kBadData, "discount refused: amount");
  }
  if (cents > base) {
    return Reply::Refuse(refusal::kDiscountTooLarge, "discount refused: larger than its base");
  }
  roll_.Print(
      SpreadLine(r.after_subtotal ? "ΕΚΠΤΩΣΗ ΥΠΟΣΥΝΟΛΟΥ" : "ΕΚΠΤΩΣΗ", FormatAmount(-cents)));
  r.lines.push_back({"ΕΚΠΤΩΣΗ", -cents});
  r.total -= cents;
  r.discounts += cents;
  if (r.after_subtotal) {
    r.after_subtotal = false;
    r.last_line = 0;
  } else {
    r.last_line -= cents;
  }
  return Reply::Accept("discount " + FormatAmount(cents) + ", total " + FormatAmount(r.total));
}

Reply FiscalRegister::DiscountPercent(std::int64_t hundredths) {
  if (!receipt_) {
    return Reply::Refuse(refusal::kNoReceipt, "discount refused: no receipt");
  }
  if (hundredths <= 0 || hundredths > 10000) {
    return Reply::Refuse(refusal::kDiscountTooLarge, "discount refused: percentage");
  }
  const Receipt& r = *receipt_;
  const std::int64_t base = r.after_subtotal ? r.total : r.last_line;
  if (base <= 0 || r.paying) {
    return Discount(base <= 0 ? 0 : 1);  // same refusals as an amount
  }
  const std::int64_t cents = RoundDiv(base * hundredths, 10000);
  if (cents <= 0) {
    return Reply::Refuse(refusal::kNothingToDiscount, "discount refused: rounds to nothing");
  }
  roll_.Print("  " + FormatAmount(hundredths) + "%");
  return Discount(cents);
}

Reply FiscalRegister::Subtotal() {
  if (!receipt_) {
    return Reply::Refuse(refusal::kNoReceipt, "subtotal refused: no receipt");
  }
  receipt_->after_subtotal = true;
  roll_.Print(SpreadLine("ΥΠΟΣΥΝΟΛΟ", FormatAmount(receipt_->total)));
  return Reply::Accept("subtotal " + FormatAmount(receipt_->total));
}

Reply FiscalRegister::Void() {
  if (!receipt_) {
    return Reply::Refuse(refusal::kNoReceipt, "void refused: no receipt");
  }
  const std::int64_t total = receipt_->total;
  ++day_voids_;
  roll_.Print(kRule);
  CloseReceipt(SpreadLine("ΑΚΥΡΩΣΗ ΑΠΟΔΕΙΞΗΣ", FormatAmount(total)));
  return Reply::Accept("receipt voided (" + FormatAmount(total) + ")");
}

Reply FiscalRegister::Payment(int type, std::int64_t cents, const std::string& text) {
  if (!receipt_) {
    return Reply::Refuse(refusal::kNoReceipt, "payment refused: no receipt");
  }
  Receipt& r = *receipt_;
  if (r.lines.empty()) {
    return Reply::Refuse(refusal::kEmptyReceipt, "payment refused: receipt without lines");
  }
  if (type < 1 || type > 5) {
    return Reply::Refuse(refusal::kBadPaymentType, "payment refused: type " + std::to_string(type));
  }
  if (cents < 0) {
    return Reply::Refuse(refusal::kBadData, "payment refused: amount");
  }
  const std::int64_t remaining = r.total - r.paid;
  const std::int64_t amount = cents == 0 ? remaining : cents;
  // Only cash can be handed back as change.
  if (amount > remaining && type != 1) {
    return Reply::Refuse(refusal::kOverpayment, "payment refused: more than due");
  }
  if (!r.paying) {
    roll_.Print(kRule);
    roll_.Print(SpreadLine("ΣΥΝΟΛΟ", FormatAmount(r.total)));
  }
  r.paying = true;
  roll_.Print(SpreadLine(PaymentName(type), FormatAmount(amount)));
  if (!text.empty()) {
    roll_.Print("  " + text);
  }
  r.paid += amount;
  day_payments_[type] += std::min(amount, remaining);
  std::string meaning = "payment " + PaymentName(type) + " " + FormatAmount(amount);
  if (r.paid < r.total) {
    return Reply::Accept(meaning + ", due " + FormatAmount(r.total - r.paid));
  }
  const std::int64_t change = r.paid - r.total;
  day_sales_ += r.sales;
  day_refunds_ += r.refunds;
  day_discounts_ += r.discounts;
  ++day_receipts_;
  const int number = receipt_number_;
  CloseReceipt(change > 0 ? SpreadLine("ΡΕΣΤΑ", FormatAmount(change)) : std::string());
  return Reply::Accept(meaning + ", receipt " + std::to_string(number) + " closed");
}

Reply FiscalRegister::FreeText(const std::vector<std::string>& lines) {
  std::string meaning = receipt_ ? "free text in receipt:" : "free text:";
  for (const std::string& line : lines) {
    if (!line.empty()) {
      roll_.Print(line);
      meaning += " \"" + line + "\"";
    }
  }
  return Reply::Accept(meaning);
}

Reply FiscalRegister::TailMessage(const std::vector<std::string>& lines) {
  tail_.clear();
  std::string meaning = "tail message:";
  for (const std::string& line : lines) {
    if (!line.empty()) {
      tail_.push_back(line);
      meaning += " \"" + line + "\"";
    }
  }
  return Reply::Accept(meaning);
}

Reply FiscalRegister::Invoice(const std::vector<std::string>& fields) {
  if (receipt_ && receipt_->paying) {
    return Reply::Refuse(refusal::kPaymentStarted, "invoice refused: payment started");
  }
  if (fields.empty() || fields[0].empty()) {
    return Reply::Refuse(refusal::kBadData, "invoice refused: no customer tax number");
  }
  if (!receipt_) {
    OpenReceipt();
  }
  receipt_->invoice = true;
  roll_.Print(CenterLine("ΤΙΜΟΛΟΓΙΟ ΠΩΛΗΣΗΣ"));
  roll_.Print("ΑΦΜ ΠΕΛΑΤΗ: " + fields[0]);
  for (std::size_t i = 1; i < fields.size(); ++i) {
    if (!fields[i].empty()) {
      roll_.Print(fields[i]);
    }
  }
  roll_.Print(kRule);
  return Reply::Accept("invoice for " + fields[0]);
}

Reply FiscalRegister::OpenTable(int table) {
  if (table <= 0) {
    return Reply::Refuse(refusal::kBadData, "open table refused: number");
  }
  if (receipt_) {
    if (receipt_->table == table) {
      return Reply::Accept("table " + std::to_string(table) + " already open");
    }
    return Reply::Refuse(receipt_->table != 0 ? refusal::kOtherTable : refusal::kReceiptOpen,
                         "open table refused: another receipt open");
  }
  auto parked = parked_.find(table);
  if (parked != parked_.end()) {
    receipt_ = parked->second;
    parked_.erase(parked);
    roll_.Print(SpreadLine("ΤΡΑΠΕΖΙ " + std::to_string(table), FormatAmount(receipt_->total)));
    return Reply::Accept("table " + std::to_string(table) + " reopened");
  }
  OpenReceipt();
  receipt_->table = table;
  roll_.Print("ΤΡΑΠΕΖΙ " + std::to_string(table));
  return Reply::Accept("table " + std::to_string(table) + " opened");
}

Reply FiscalRegister::CloseTemporaryTable(int table) {
  if (!receipt_ || receipt_->table != table || table == 0) {
    return Reply::Refuse(receipt_ ? refusal::kOtherTable : refusal::kTableClosed,
                         "temporary close refused: table " + std::to_string(table));
  }
  if (receipt_->paying) {
    return Reply::Refuse(refusal::kPaymentStarted, "temporary close refused: payment started");
  }
  roll_.Print(
      SpreadLine("ΠΡΟΣΩΡΙΝΟ ΚΛΕΙΣΙΜΟ ΤΡ. " + std::to_string(table), FormatAmount(receipt_->total)));
  roll_.Print(kDoubleRule);
  roll_.Print("");
  parked_[table] = *receipt_;
  receipt_.reset();
  return Reply::Accept("table " + std::to_string(table) + " held");
}

Reply FiscalRegister::CloseTable(int table) {
  if (!(receipt_ && receipt_->table == table && table != 0)) {
    auto parked = parked_.find(table);
    if (receipt_ || parked == parked_.end()) {
      return Reply::Refuse(receipt_ ? refusal::kOtherTable : refusal::kTableClosed,
                           "close table refused: table " + std::to_string(table));
    }
    receipt_ = parked->second;
    parked_.erase(parked);
  }
  roll_.Print(
      SpreadLine("ΛΟΓΑΡΙΑΣΜΟΣ ΤΡ. " + std::to_string(table), FormatAmount(receipt_->total)));
  std::vector<std::uint8_t> data;
  PutBigEndian(data, static_cast<std::uint64_t>(receipt_->total), 5);
  return Reply::Accept(
      "table " + std::to_string(table) + " to pay " + FormatAmount(receipt_->total),
      std::move(data));
}

Reply FiscalRegister::TransferTable(int from, int to) {
  if (from <= 0 || to <= 0 || from == to) {
    return Reply::Refuse(refusal::kBadData, "table transfer refused: numbers");
  }
  const bool to_busy = parked_.count(to) != 0 || (receipt_ && receipt_->table == to);
  if (to_busy) {
    return Reply::Refuse(refusal::kTableBusy, "table transfer refused: target in use");
  }
  std::int64_t total = 0;
  if (receipt_ && receipt_->table == from) {
    receipt_->table = to;
    total = receipt_->total;
  } else if (auto parked = parked_.find(from); parked != parked_.end()) {
    Receipt moved = parked->second;
    moved.table = to;
    total = moved.total;
    parked_.erase(parked);
    parked_[to] = moved;
  } else {
    return Reply::Refuse(refusal::kTableClosed, "table transfer refused: source not open");
  }
  roll_.Print("ΜΕΤΑΦΟΡΑ ΤΡ. " + std::to_string(from) + " -> " + std::to_string(to));
  std::vector<std::uint8_t> data;
  PutBigEndian(data, static_cast<std::uint64_t>(total), 5);
  return Reply::Accept("table " + std::to_string(from) + " moved to " + std::to_string(to),
                       std::move(data));
}

Reply FiscalRegister::OpenDrawer() {
  return Reply::Accept("drawer opened");
}

Reply FiscalRegister::EndOfDayQuery() {
  if (transfer_countdown_ >= 0) {
    if (transfer_countdown_ == 0) {
      transfer_ = TransferState::kDone;
      transfer_countdown_ = -1;
    } else {
      --transfer_countdown_;
    }
  }
  const auto status = static_cast<std::uint8_t>(transfer_);
  const auto attempts = static_cast<std::uint8_t>(std::min(transfer_attempts_, 255));
  return Reply::Accept(
      "end-of-day status " + std::to_string(status) + ", attempt " + std::to_string(attempts),
      {status, attempts});
}

Reply FiscalRegister::SelectTransfer() {
  // The bridge relies on "s" and "c" being acknowledged; with nothing pending they do nothing.
  if (transfer_ != TransferState::kPending) {
    return Reply::Accept("end-of-day transfer start: none pending");
  }
  if (transfer_countdown_ < 0) {
    transfer_countdown_ = settings_.transfer_queries;
    roll_.Print(CenterLine("ΜΕΤΑΦΟΡΑ ΔΕΔΟΜΕΝΩΝ Z " + Number4(z_number_)));
  }
  return Reply::Accept("end-of-day transfer started");
}

Reply FiscalRegister::CancelTransfer() {
  if (transfer_ != TransferState::kPending || transfer_countdown_ >= 0) {
    return Reply::Accept("end-of-day transfer cancel: none pending");
  }
  ++transfer_attempts_;
  return Reply::Accept("end-of-day transfer put off, attempt " +
                       std::to_string(transfer_attempts_));
}

void FiscalRegister::PrintDayReport(bool z) {
  roll_.Print(kDoubleRule);
  roll_.Print(CenterLine(z ? "ΗΜΕΡΗΣΙΑ ΑΝΑΦΟΡΑ Z" : "ΑΝΑΦΟΡΑ X"));
  roll_.Print(SpreadLine(z ? "Z Αρ. " + Number4(z_number_ + 1) : "ΧΩΡΙΣ ΜΗΔΕΝΙΣΜΟ", Stamp()));
  roll_.Print(kRule);
  roll_.Print(SpreadLine("ΑΠΟΔΕΙΞΕΙΣ", std::to_string(day_receipts_)));
  roll_.Print(SpreadLine("ΑΚΥΡΩΣΕΙΣ", std::to_string(day_voids_)));
  roll_.Print(SpreadLine("ΠΩΛΗΣΕΙΣ", FormatAmount(day_sales_)));
  roll_.Print(SpreadLine("ΕΠΙΣΤΡΟΦΕΣ", FormatAmount(day_refunds_)));
  roll_.Print(SpreadLine("ΕΚΠΤΩΣΕΙΣ", FormatAmount(day_discounts_)));
  for (const auto& [type, amount] : day_payments_) {
    roll_.Print(SpreadLine(PaymentName(type), FormatAmount(amount)));
  }
  roll_.Print(kRule);
  roll_.Print(
      SpreadLine("ΚΑΘΑΡΟ ΣΥΝΟΛΟ", FormatAmount(day_sales_ - day_refunds_ - day_discounts_)));
  roll_.Print(CenterLine(settings_.fiscal_code));
  roll_.Print(kDoubleRule);
  roll_.Print("");
}

Reply FiscalRegister::PrintReport(const std::string& code) {
  if (code != "101" && code != "501") {
    return Reply::Refuse(refusal::kUnknownReport, "report refused: code \"" + code + "\"");
  }
  if (receipt_) {
    return Reply::Refuse(refusal::kReceiptOpen, "report refused: receipt open");
  }
  if (code == "101") {
    PrintDayReport(false);
    return Reply::Accept("X report");
  }
  if (!parked_.empty()) {
    return Reply::Refuse(refusal::kTablesOpen, "Z report refused: tables held");
  }
  PrintDayReport(true);
  ++z_number_;
  day_sales_ = day_refunds_ = day_discounts_ = 0;
  day_receipts_ = day_voids_ = 0;
  day_payments_.clear();
  // The day's data now wait for the operator to confirm their transfer.
  transfer_ = TransferState::kPending;
  transfer_attempts_ = 1;
  transfer_countdown_ = -1;
  return Reply::Accept("Z report " + std::to_string(z_number_) + ", end-of-day transfer pending");
}

std::vector<std::uint8_t> FiscalRegister::Properties() const {
  std::vector<std::uint8_t> out = codec::EncodeGreek(settings_.fiscal_code, 11);
  out.resize(11, 0);
  PutBigEndian(out, settings_.machine_id, 2);
  out.push_back(static_cast<std::uint8_t>(clerk_));
  PutBigEndian(out, clerk_password_, 4);
  out.insert(out.end(), settings_.host.begin(), settings_.host.end());
  // 1 while the day holds fiscal receipts; 0 makes the bridge ask before a Z report.
  out.push_back(day_receipts_ > 0 ? 1 : 0);
  PutBigEndian(out, settings_.port, 2);
  out.push_back(settings_.machine_type);
  return out;
}

RegisterSnapshot FiscalRegister::Snapshot() const {
  RegisterSnapshot s;
  if (receipt_) {
    s.receipt_open = true;
    s.paying = receipt_->paying;
    s.invoice = receipt_->invoice;
    s.table = receipt_->table;
    s.total = receipt_->total;
    s.paid = receipt_->paid;
    s.lines = receipt_->lines.size();
  }
  s.receipt_number = receipt_number_;
  s.z_number = z_number_;
  s.clerk = clerk_;
  s.connected = connected_;
  s.day_sales = day_sales_;
  s.day_receipts = day_receipts_;
  for (const auto& [table, held] : parked_) {
    s.parked_tables[table] = held.total;
  }
  s.transfer = transfer_;
  s.transfer_attempts = transfer_attempts_;
  s.tail = tail_;
  return s;
}

void FiscalRegister::SetTransfer(TransferState state, int attempts) {
  transfer_ = state;
  transfer_attempts_ = attempts;
  transfer_countdown_ = -1;
}

}  // namespace meridox::ecrsim

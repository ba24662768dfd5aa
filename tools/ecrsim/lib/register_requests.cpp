#include "register_requests.h"

#include <cmath>

#include "codec/field_codec.h"
#include "codec/greek.h"

namespace meridox::ecrsim {

namespace {

// Field reader over a payload; a field beyond the end reads as empty / 0.
class Fields {
 public:
  explicit Fields(std::span<const std::uint8_t> payload) : payload_(payload) {}

  std::int64_t Number(int pos, int len) const {
    int p = pos;
    const auto value = codec_.BufToDataArr(codec::dtBIN, payload_, p, len, 0).ToNumber();
    return value ? std::llround(*value) : 0;
  }
  std::string Text(int pos, int len) const {
    if (pos >= static_cast<int>(payload_.size())) {
      return {};
    }
    const std::size_t n = std::min<std::size_t>(len, payload_.size() - pos);
    return codec::DecodeGreek(payload_.subspan(pos, n));
  }
  std::string Digits(int pos, int len) const {
    int p = pos;
    return codec_.BufToDataArr(codec::dtBCDE, payload_, p, len).ToText();
  }
  std::uint8_t Byte(std::size_t pos) const { return pos < payload_.size() ? payload_[pos] : 0; }
  std::size_t Size() const { return payload_.size(); }

 private:
  std::span<const std::uint8_t> payload_;
  codec::TccEncode codec_;
};

// A request's letter byte for the journal: as it is when printable ASCII, else in hex, so
// that the journal's texts stay UTF-8 whatever the byte.
std::string LetterText(std::uint8_t byte) {
  if (byte >= 0x20 && byte < 0x7F) {
    return std::string(1, static_cast<char>(byte));
  }
  static constexpr char kDigits[] = "0123456789ABCDEF";
  return std::string("0x") + kDigits[byte >> 4] + kDigits[byte & 0x0F];
}

Reply ShortPayload(std::size_t need, std::size_t got) {
  return Reply::Refuse(refusal::kBadData, "payload of " + std::to_string(got) +
                                              " bytes, expected " + std::to_string(need));
}

Reply Sale(FiscalRegister& reg, const Fields& f) {
  if (f.Size() < 2) {
    return ShortPayload(2, f.Size());
  }
  switch (f.Byte(1)) {
    case 'S':
    case 'R': {
      const bool department = f.Byte(2) == 1;
      const std::size_t need = department ? 17 : 70;
      if (f.Size() < need) {
        return ShortPayload(need, f.Size());
      }
      ItemLine line;
      line.refund = f.Byte(1) == 'R';
      line.index = static_cast<std::uint32_t>(f.Number(3, 4));
      line.quantity = f.Number(7, 5);
      line.price = f.Number(12, 5);
      if (!department) {
        line.name = f.Text(17, 38);
        line.barcode = f.Digits(55, 7);
        line.unit_price = f.Number(62, 5);
        line.department = static_cast<int>(f.Byte(67));
      }
      return reg.Item(line);
    }
    case 'D':
      return f.Size() < 7 ? ShortPayload(7, f.Size()) : reg.Discount(f.Number(2, 5));
    case 'M':
      return f.Size() < 6 ? ShortPayload(6, f.Size()) : reg.DiscountPercent(f.Number(2, 4));
    case 'B':
      return reg.Subtotal();
    case 'C':
      return reg.Void();
    case 'F':
      if (f.Size() < 24) {
        return ShortPayload(24, f.Size());
      }
      return reg.Payment(static_cast<int>(f.Number(2, 1)), f.Number(3, 5), f.Text(8, 16));
    default:
      return Reply::Refuse(refusal::kBadData, "sale type '" + LetterText(f.Byte(1)) + "'");
  }
}

std::vector<std::string> TextBlocks(const Fields& f, int count, int width) {
  std::vector<std::string> lines;
  for (int i = 0; i < count; ++i) {
    lines.push_back(f.Text(i * width, width));
  }
  return lines;
}

}  // namespace

std::optional<Reply> RunRegisterRequest(FiscalRegister& reg, std::uint32_t command_id,
                                        std::span<const std::uint8_t> payload) {
  const Fields f(payload);
  switch (command_id) {
    case 10000:
      return reg.Connect();
    case 10001:
      return reg.Disconnect();
    case 10002:
      if (f.Size() < 6) {
        return ShortPayload(6, f.Size());
      }
      return reg.Login(static_cast<int>(f.Number(0, 2)),
                       static_cast<std::uint32_t>(f.Number(2, 4)));
    case 10003:
      return reg.Logout();
    case 10004:
      return Sale(reg, f);
    case 10011:
      return reg.FreeText(TextBlocks(f, 3, 22));
    case 10013:
      return reg.TailMessage(TextBlocks(f, 3, 32));
    case 10014: {
      if (f.Size() < 245) {
        return ShortPayload(245, f.Size());
      }
      static constexpr int kOffsets[] = {6, 15, 55, 95, 135, 175, 205, 235, 245};
      std::vector<std::string> fields;
      for (int i = 0; i < 8; ++i) {
        fields.push_back(f.Text(kOffsets[i], kOffsets[i + 1] - kOffsets[i]));
      }
      return reg.Invoice(fields);
    }
    case 10015:
      if (f.Size() < 4) {
        return ShortPayload(4, f.Size());
      }
      return reg.TransferTable(static_cast<int>(f.Number(0, 2)), static_cast<int>(f.Number(2, 2)));
    case 10016:
    case 10017:
    case 10018: {
      if (f.Size() < 2) {
        return ShortPayload(2, f.Size());
      }
      const int table = static_cast<int>(f.Number(0, 2));
      if (command_id == 10016) {
        return reg.CloseTable(table);
      }
      return command_id == 10017 ? reg.OpenTable(table) : reg.CloseTemporaryTable(table);
    }
    case 10012:
      switch (f.Byte(0)) {
        case 'e':
          return reg.EndOfDayQuery();
        case 's':
          return reg.SelectTransfer();
        case 'c':
          return reg.CancelTransfer();
        case 'd':
          return reg.OpenDrawer();
        default:
          return Reply::Refuse(refusal::kBadData, "general request with an unknown letter");
      }
    case 30009:
      return reg.PrintReport(f.Text(0, static_cast<int>(f.Size())));
    default:
      return std::nullopt;
  }
}

std::string RequestName(std::uint32_t command_id, std::span<const std::uint8_t> payload) {
  switch (command_id) {
    case 100:
      return "communication test";
    case 10000:
      return "connect";
    case 10001:
      return "disconnect";
    case 10002:
      return "login";
    case 10003:
      return "logout";
    case 10004: {
      const char letter = payload.size() > 1 ? static_cast<char>(payload[1]) : '?';
      switch (letter) {
        case 'S':
          return "sale line";
        case 'R':
          return "refund line";
        case 'D':
          return "discount amount";
        case 'M':
          return "discount percentage";
        case 'B':
          return "subtotal";
        case 'C':
          return "void receipt";
        case 'F':
          return "payment";
        default:
          return "sale request";
      }
    }
    case 10009:
      return "read receipt content";
    case 10011:
      return "free text";
    case 10012: {
      return "general '" + (payload.empty() ? std::string("?") : LetterText(payload[0])) + "'";
    }
    case 10013:
      return "tail message";
    case 10014:
      return "invoice";
    case 10015:
      return "transfer table";
    case 10016:
      return "close table";
    case 10017:
      return "open table";
    case 10018:
      return "close temporary table";
    case 20000:
      return "status query";
    case 20002:
      return "read PLU report";
    case 30008:
      return "properties";
    case 30009:
      return "print report \"" + codec::DecodeGreek(payload) + "\"";
    case 0:
      return "unknown command";
    default:
      return "command " + std::to_string(command_id);
  }
}

}  // namespace meridox::ecrsim

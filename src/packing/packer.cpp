#include "packing/packer.h"

#include <cmath>
#include <cstddef>
#include <exception>
#include <optional>
#include <vector>

#include "codec/greek.h"
#include "codec/number_text.h"
#include "packing/sale_data.h"

namespace meridox::packing {

namespace {

using codec::dtBIN;
using codec::dtGreecAsc;

// A missing field reads like an empty one.
std::string_view FieldAt(TPacker::Fields data, std::size_t index) {
  return index < data.size() ? std::string_view(data[index]) : std::string_view();
}

std::string UpperAscii(std::string_view text) {
  std::string out(text);
  for (char& c : out) {
    if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return out;
}

// Texts at fixed offsets, each cut by the codec to its width; the filler of the payload
// stays wherever a text is shorter or its field is missing.
void PutTexts(const codec::TccEncode& codec, TPacker::Fields data, std::vector<std::uint8_t>& buf,
              int start, std::span<const int> widths) {
  int pos = start;
  for (std::size_t i = 0; i < widths.size(); ++i) {
    if (i < data.size()) {
      codec.DataToBuf(dtGreecAsc, data[i], buf, pos, widths[i]);
    } else {
      pos += widths[i];
    }
  }
}

}  // namespace

std::uint8_t TPacker::NextSaleNum() {
  if (FSaleNum == 0) {
    FSaleNum = 1;
  }
  const std::uint8_t result = FSaleNum;
  FSaleNum = static_cast<std::uint8_t>(FSaleNum + 1);
  return result;
}

double TPacker::ParseFloat(std::string_view text, double Default) const {
  const char mark = FDecimalType == TDecimalType::dtDot ? '.' : ',';
  const char foreign = FDecimalType == TDecimalType::dtDot ? ',' : '.';
  std::string normal(text);
  for (char& c : normal) {
    if (c == foreign) {
      return Default;
    }
    if (c == mark) {
      c = '.';
    }
  }
  const std::optional<double> value = codec::ParseDecimal(normal);
  return value && std::isfinite(*value) ? *value : Default;
}

std::int32_t TPacker::ParseInt(std::string_view text, std::int32_t Default) const {
  if (text.find_first_of(",.") != std::string_view::npos) {
    return Default;
  }
  const std::optional<std::int64_t> value = codec::ParseInteger(text);
  if (!value || *value < INT32_MIN || *value > INT32_MAX) {
    return Default;
  }
  return static_cast<std::int32_t>(*value);
}

bool TPacker::PackData(const TCommandData& CommandData, TPackedDatas& PackedDatas) {
  PackedDatas.clear();
  TPackedDatas out;
  const Fields data = CommandData.Data;
  auto one = [&out](auto&& pack) {
    TPackedData packed;
    if (!pack(packed)) {
      return false;
    }
    out.push_back(std::move(packed));
    return true;
  };
  bool ok = false;
  try {
    using K = TCommandKind;
    switch (CommandData.Kind) {
      case K::ckTailMsg:
        ok = one([&](TPackedData& p) { return PackTailMsgData(data, p); });
        break;
      case K::ckClerk:
        ok = one([&](TPackedData& p) { return PackClerkData(data, p); });
        break;
      case K::ckSalePLU:
        ok = one([&](TPackedData& p) { return PackSalePLUData(TSaleType::stPLUSale, data, p); });
        break;
      case K::ckRefundPLU:
        ok = one([&](TPackedData& p) { return PackSalePLUData(TSaleType::stPLUReturn, data, p); });
        break;
      case K::ckDiscount:
        ok = one([&](TPackedData& p) { return PackDisCountData(TSaleType::stDiscount, data, p); });
        break;
      case K::ckDiscountP:
        ok =
            one([&](TPackedData& p) { return PackDisCountData(TSaleType::stDiscountRE, data, p); });
        break;
      case K::ckSubDiscount:
      case K::ckSubDiscountP: {
        const TSaleType discount =
            CommandData.Kind == K::ckSubDiscount ? TSaleType::stDiscount : TSaleType::stDiscountRE;
        ok = one([&](TPackedData& p) { return PackSubTotalData(TSaleType::stSubtotal, p); }) &&
             one([&](TPackedData& p) { return PackDisCountData(discount, data, p); });
        break;
      }
      case K::ckFreeText:
        ok = one([&](TPackedData& p) { return PackFreeTextData(data, p); });
        break;
      case K::ckPayment:
        ok = one([&](TPackedData& p) { return PackPayMentData(data, p); });
        break;
      case K::ckCloseReceipt: {
        // A payment of type 1 and amount 0 with the line's third field as its text; the
        // caller's fields stay as they are.
        const std::vector<std::string> close = {"1", "0", std::string(FieldAt(data, 2))};
        ok = one([&](TPackedData& p) { return PackPayMentData(close, p); });
        break;
      }
      case K::ckAllVoid:
        ok = one([&](TPackedData& p) { return PackSubTotalData(TSaleType::stVoid, p); });
        break;
      case K::ckZReport:
      case K::ckXReport:
        // The manager prints the report itself; the empty request marks the place.
        out.emplace_back();
        ok = true;
        break;
      case K::ckOpenDrawer:
        ok = one([&](TPackedData& p) { return PackOpenDrawerData(p); });
        break;
      case K::ckConnect:
        ok = one([&](TPackedData& p) { return PackConnectData(p); });
        break;
      case K::ckDisConnect:
        ok = one([&](TPackedData& p) { return PackDisConnectData(p); });
        break;
      case K::ckInvoice:
        ok = one([&](TPackedData& p) { return PackInvoiceData(data, p); });
        break;
      case K::ckTable:
        ok = one([&](TPackedData& p) { return PackTableData(data, p); });
        break;
      case K::ckTableTransfer:
        ok = one([&](TPackedData& p) { return PackTableTransferData(data, p); });
        break;
      case K::ckCloseTable:
        ok = one([&](TPackedData& p) { return PackCloseTableData(data, p); });
        break;
      case K::ckCloseTempTable:
        ok = one([&](TPackedData& p) { return PackCloseTempTableData(data, p); });
        break;
      case K::ckUnSupport:
        ok = true;
        break;
    }
  } catch (const std::exception&) {
    ok = false;
  }
  if (ok) {
    PackedDatas = std::move(out);
  }
  return ok;
}

bool TPacker::PackTailMsgData(Fields Data, TPackedData& PackedData) const {
  static constexpr int kWidths[] = {32, 32, 32};
  PackedData = {kCmdTailMsg, std::vector<std::uint8_t>(96, 0)};
  PutTexts(FCodec, Data, PackedData.Data, 0, kWidths);
  return true;
}

bool TPacker::PackClerkData(Fields Data, TPackedData& PackedData) const {
  PackedData = {kCmdClerk, std::vector<std::uint8_t>(6, 0)};
  int pos = 0;
  FCodec.DataToBuf(dtBIN, ParseInt(FieldAt(Data, 0), 0), PackedData.Data, pos, 2, 0);
  FCodec.DataToBuf(dtBIN, ParseInt(FieldAt(Data, 1), 0), PackedData.Data, pos, 4, 0);
  return true;
}

bool TPacker::PackFreeTextData(Fields Data, TPackedData& PackedData) const {
  static constexpr int kWidths[] = {22, 22, 22};
  PackedData = {kCmdFreeText, std::vector<std::uint8_t>(66, 0x20)};
  PutTexts(FCodec, Data, PackedData.Data, 0, kWidths);
  return true;
}

bool TPacker::PackPayMentData(Fields Data, TPackedData& PackedData) {
  PackedData = {};
  const std::string_view type_text = FieldAt(Data, 0);
  if (type_text.empty()) {
    return false;
  }
  std::int32_t type = ParseInt(type_text, 1);
  if (type == 2) {
    type = 4;
  }
  if (type > 5) {
    type = 5;
  }
  const double amount = ParseFloat(FieldAt(Data, 1), 0);
  const std::string text = UpperAscii(FieldAt(Data, 2));

  PackedData = {kCmdSale, std::vector<std::uint8_t>(24, 0)};
  std::vector<std::uint8_t>& buf = PackedData.Data;
  buf[0] = NextSaleNum();
  int pos = 1;
  FCodec.DataToBuf(dtGreecAsc, LetterOf(TSaleType::stPayment), buf, pos, 1);
  FCodec.DataToBuf(dtBIN, type, buf, pos, 1, 0);
  FCodec.DataToBuf(dtBIN, amount, buf, pos, 5, 2);
  FCodec.DataToBuf(dtGreecAsc, text, buf, pos, 16);
  return true;
}

bool TPacker::PackInvoiceData(Fields Data, TPackedData& PackedData) const {
  static constexpr int kWidths[] = {9, 40, 40, 40, 40, 30, 30, 10};
  PackedData = {kCmdInvoice, std::vector<std::uint8_t>(245, 0)};
  PutTexts(FCodec, Data, PackedData.Data, 6, kWidths);
  return true;
}

bool TPacker::PackTableNumbers(std::uint32_t command, Fields Data, std::size_t count,
                               TPackedData& PackedData) const {
  PackedData = {command, std::vector<std::uint8_t>(2 * count, 0)};
  int pos = 0;
  for (std::size_t i = 0; i < count; ++i) {
    if (i < Data.size()) {
      // The codec reads the number from the text; a text that is not one leaves zeros.
      FCodec.DataToBuf(dtBIN, Data[i], PackedData.Data, pos, 2, 0);
    } else {
      pos += 2;
    }
  }
  return true;
}

bool TPacker::PackTableData(Fields Data, TPackedData& PackedData) const {
  return PackTableNumbers(kCmdTable, Data, 1, PackedData);
}

bool TPacker::PackTableTransferData(Fields Data, TPackedData& PackedData) const {
  return PackTableNumbers(kCmdTableTransfer, Data, 2, PackedData);
}

bool TPacker::PackCloseTableData(Fields Data, TPackedData& PackedData) const {
  return PackTableNumbers(kCmdCloseTable, Data, 1, PackedData);
}

bool TPacker::PackCloseTempTableData(Fields Data, TPackedData& PackedData) const {
  return PackTableNumbers(kCmdCloseTempTable, Data, 1, PackedData);
}

bool TPacker::PackSalePLUData(TSaleType SaleType, Fields Data, TPackedData& PackedData) {
  PackedData = {};
  const std::uint8_t n = NextSaleNum();
  TSaleData record(FCodec);
  record.SetIndexID(n);
  record.SetSaleType(SaleType);
  record.SetMode(TFiscatMode::fcmPLU);
  record.SetName(std::string(FieldAt(Data, 0)));
  record.SetBarCode(std::string(FieldAt(Data, 1)));
  record.SetQuantity(ParseFloat(FieldAt(Data, 2), 0));
  const double price = ParseFloat(FieldAt(Data, 3), 0);
  record.SetPrice(price);
  record.SetUnitPrice(price);
  record.SetDepID(ParseInt(FieldAt(Data, 4), 0));

  PackedData.Command = kCmdSale;
  record.Execute(PackedData.Data, 1);
  PackedData.Data[0] = n;
  return true;
}

bool TPacker::PackDisCountData(TSaleType SaleType, Fields Data, TPackedData& PackedData) {
  PackedData = {kCmdSale, {}};
  const double value = ParseFloat(FieldAt(Data, 0), 0);
  const std::uint8_t n = NextSaleNum();
  int width = 0;
  if (SaleType == TSaleType::stDiscount) {
    width = 5;
  } else if (SaleType == TSaleType::stDiscountRE) {
    width = 4;
  } else {
    return true;
  }
  PackedData.Data.assign(static_cast<std::size_t>(2 + width), 0);
  PackedData.Data[0] = n;
  int pos = 1;
  FCodec.DataToBuf(dtGreecAsc, LetterOf(SaleType), PackedData.Data, pos, 1);
  FCodec.DataToBuf(dtBIN, value, PackedData.Data, pos, width, 2);
  return true;
}

bool TPacker::PackSubTotalData(TSaleType SaleType, TPackedData& PackedData) {
  PackedData = {kCmdSale, std::vector<std::uint8_t>(2, 0)};
  PackedData.Data[0] = NextSaleNum();
  int pos = 1;
  FCodec.DataToBuf(dtGreecAsc, LetterOf(SaleType), PackedData.Data, pos, 1);
  return true;
}

bool TPacker::PackOpenDrawerData(TPackedData& PackedData) const {
  PackedData = {kCmdGeneral, std::vector<std::uint8_t>(1, 0)};
  int pos = 0;
  FCodec.DataToBuf(dtGreecAsc, "d", PackedData.Data, pos, 1);
  return true;
}

bool TPacker::PackConnectData(TPackedData& PackedData) const {
  PackedData = {kCmdConnect, {}};
  return true;
}

bool TPacker::PackDisConnectData(TPackedData& PackedData) const {
  PackedData = {kCmdDisConnect, {}};
  return true;
}

bool TPacker::PackPrintReportData(std::string_view Command, TPackedData& PackedData) const {
  // One byte per character of the text, in the ECR's code.
  PackedData = {kCmdPrintReport, codec::EncodeGreek(Command)};
  return true;
}

}  // namespace meridox::packing

// The parsed form of one command-file line and the vocabulary it is written in.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace meridox::packing {

// Ordinals are the positions in CommandKeywords; callers and stored settings rely on them.
enum class TCommandKind : std::uint8_t {
  ckTailMsg,
  ckClerk,
  ckSalePLU,
  ckRefundPLU,
  ckDiscount,
  ckDiscountP,
  ckSubDiscount,
  ckSubDiscountP,
  ckFreeText,
  ckPayment,
  ckCloseReceipt,
  ckAllVoid,
  ckZReport,
  ckXReport,
  ckOpenDrawer,
  ckConnect,
  ckDisConnect,
  ckInvoice,
  ckTable,
  ckTableTransfer,
  ckCloseTable,
  ckCloseTempTable,
  ckUnSupport,
};

inline constexpr std::array<std::string_view, 23> CommandKeywords = {
    "HL", "11", "SL", "RF", "DE", "D%",  "TE",  "T%",  "CM",  "CR",  "ER",       "CL",
    "ZZ", "XX", "QQ", "CN", "DN", "INV", "TBL", "TTR", "TCL", "TMP", "UNSUPPORT"};

inline constexpr std::string_view KeywordOf(TCommandKind kind) {
  return CommandKeywords[static_cast<std::size_t>(kind)];
}

// The decimal mark of amounts in command files: "," or ".".
enum class TDecimalType : std::uint8_t { dtComma = 0, dtDot = 1 };

// One command line: the keyword's kind and every field after it, as written (UTF-8).
struct TCommandData {
  TCommandKind Kind = TCommandKind::ckUnSupport;
  std::vector<std::string> Data;

  bool operator==(const TCommandData&) const = default;
};

}  // namespace meridox::packing

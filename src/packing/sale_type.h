// The one-letter kinds of the ECR's sale request and the two shapes of an item line.
#pragma once

#include <array>
#include <cstdint>
#include <string_view>

namespace meridox::packing {

// Ordinals are the positions in SaleTypeLetters.
enum class TSaleType : std::uint8_t {
  stVoid,
  stEc,
  stSubtotal,
  stTicket,
  stDiscountRE,
  stDiscount,
  stPayment,
  stPLUSale,
  stPLUReturn,
  stPLUVoid,
  stDepSale,
  stDepReturn,
  stDepVoid,
  stCancelEndDaily,
  stSelEndDaily,
};

// Case-sensitive; "S", "R" and "V" serve both an item and a department line.
inline constexpr std::array<std::string_view, 15> SaleTypeLetters = {
    "C", "E", "B", "T", "M", "D", "F", "S", "R", "V", "S", "R", "V", "s", "c"};

inline constexpr std::string_view LetterOf(TSaleType type) {
  return SaleTypeLetters[static_cast<std::size_t>(type)];
}

// An item line carries name, barcode, unit price, department, group and parameter; a
// department line only the leading fields.
enum class TFiscatMode : std::uint8_t { fcmPLU = 0, fcmDep = 1 };

}  // namespace meridox::packing

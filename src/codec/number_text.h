// Number <-> text conversions that never depend on the locale: the decimal separator is
// always ".", there is no thousands mark.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace meridox::codec {

// "[+|-]digits[.digits][e[+|-]digits]", surrounding blanks and control characters ignored.
// Nothing for anything else (including "inf", "nan" and an empty text).
std::optional<double> ParseDecimal(std::string_view text);

// Whole numbers only, same surrounding rules; nothing when out of the 64-bit range.
std::optional<std::int64_t> ParseInteger(std::string_view text);

// Up to 15 significant digits, trailing zeros removed, exponent form only for very large or
// small magnitudes: 1.5 -> "1.5", 100 -> "100", 0.1 + 0.2 -> "0.3".
std::string FormatDecimal(double value);

std::string FormatInteger(std::int64_t value);

}  // namespace meridox::codec

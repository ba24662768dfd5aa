#include "codec/number_text.h"

#include <array>
#include <charconv>
#include <cmath>

namespace meridox::codec {

namespace {

std::string_view TrimBlanks(std::string_view text) {
  while (!text.empty() && static_cast<unsigned char>(text.front()) <= ' ')
    text.remove_prefix(1);
  while (!text.empty() && static_cast<unsigned char>(text.back()) <= ' ')
    text.remove_suffix(1);
  return text;
}

bool IsDigit(char c) {
  return c >= '0' && c <= '9';
}

// Splits off one leading sign; the rest must start with a digit (or "." for decimals).
bool TakeSign(std::string_view& text, bool& negative) {
  negative = false;
  if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
    negative = text.front() == '-';
    text.remove_prefix(1);
  }
  return !text.empty();
}

}  // namespace

std::optional<double> ParseDecimal(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!TakeSign(text, negative))
    return std::nullopt;
  // from_chars would also take "inf", "nan" and hexadecimal forms; a decimal number has
  // digits before its exponent.
  bool seen_digit = false;
  for (const char c : text) {
    if (c == 'e' || c == 'E')
      break;
    if (IsDigit(c))
      seen_digit = true;
    else if (c != '.')
      return std::nullopt;
  }
  if (!seen_digit)
    return std::nullopt;
  double value = 0.0;
  const char* first = text.data();
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(first, last, value, std::chars_format::general);
  if (error != std::errc() || end != last)
    return std::nullopt;
  return negative ? -value : value;
}

std::optional<std::int64_t> ParseInteger(std::string_view text) {
  text = TrimBlanks(text);
  bool negative = false;
  if (!TakeSign(text, negative) || !IsDigit(text.front()))
    return std::nullopt;
  if (negative)
    text = std::string_view(text.data() - 1, text.size() + 1);  // from_chars takes the "-"

  std::int64_t value = 0;
  const char* last = text.data() + text.size();
  const auto [end, error] = std::from_chars(text.data(), last, value);
  if (error != std::errc() || end != last)
    return std::nullopt;
  return value;
}

std::string FormatDecimal(double value) {
  if (std::isnan(value))
    return "NAN";
  if (std::isinf(value))
    return value < 0 ? "-INF" : "INF";
  if (value == 0.0)
    return "0";  // also for -0.0
  std::array<char, 64> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                    std::chars_format::general, 15);
  return std::string(buffer.data(), result.ptr);
}

std::string FormatInteger(std::int64_t value) {
  std::array<char, 24> buffer{};
  const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
  return std::string(buffer.data(), result.ptr);
}

}  // namespace meridox::codec

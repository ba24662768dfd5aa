// The value passed into and read back from a field: a text (UTF-8), a whole number, a
// floating-point number or a date-time. Conversions between the forms are the field
// codec's: numbers are written and read with "." as decimal separator whatever the locale.
#pragma once

#include <concepts>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

#include "codec/date_time.h"

namespace meridox::codec {

class Variant {
 public:
  enum class Type : std::uint8_t { kText, kInteger, kFloat, kDateTime };

  Variant() = default;  // the empty text
  Variant(std::string text) : value_(std::move(text)) {}
  Variant(std::string_view text) : value_(std::string(text)) {}
  Variant(const char* text) : value_(std::string(text)) {}
  template <std::integral T>
  requires(!std::same_as<T, bool> && !std::same_as<T, char>) Variant(T number)
      : value_(static_cast<std::int64_t>(number)) {}
  Variant(double number) : value_(number) {}
  Variant(DateTime moment) : value_(moment) {}

  Type type() const { return static_cast<Type>(value_.index()); }
  bool IsText() const { return type() == Type::kText; }

  // Every value has a text form: texts as they are, whole numbers in decimal, floating
  // point with up to 15 significant digits, date-times as "yyyy-MM-dd hh:mm:ss".
  std::string ToText() const;
  // Texts are read as decimal numbers ("." separator); a date-time gives its day count.
  // Nothing when a text is not a number.
  std::optional<double> ToNumber() const;
  // Texts as DateTime::FromText reads them; numbers are day counts.
  std::optional<DateTime> ToDateTime() const;

  // Direct access; nullptr when the value holds another type.
  const std::string* AsText() const { return std::get_if<std::string>(&value_); }
  const std::int64_t* AsInteger() const { return std::get_if<std::int64_t>(&value_); }
  const double* AsFloat() const { return std::get_if<double>(&value_); }
  const DateTime* AsDateTime() const { return std::get_if<DateTime>(&value_); }

  // Same type and same content.
  friend bool operator==(const Variant&, const Variant&) = default;

 private:
  std::variant<std::string, std::int64_t, double, DateTime> value_;
};

}  // namespace meridox::codec

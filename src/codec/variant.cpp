#include "codec/variant.h"

#include "codec/number_text.h"

namespace meridox::codec {

std::string Variant::ToText() const {
  switch (type()) {
    case Type::kText:
      return std::get<std::string>(value_);
    case Type::kInteger:
      return FormatInteger(std::get<std::int64_t>(value_));
    case Type::kFloat:
      return FormatDecimal(std::get<double>(value_));
    case Type::kDateTime:
      return std::get<DateTime>(value_).ToText();
  }
  return {};
}

std::optional<double> Variant::ToNumber() const {
  switch (type()) {
    case Type::kText:
      return ParseDecimal(std::get<std::string>(value_));
    case Type::kInteger:
      return static_cast<double>(std::get<std::int64_t>(value_));
    case Type::kFloat:
      return std::get<double>(value_);
    case Type::kDateTime:
      return std::get<DateTime>(value_).value;
  }
  return std::nullopt;
}

std::optional<DateTime> Variant::ToDateTime() const {
  switch (type()) {
    case Type::kText:
      return DateTime::FromText(std::get<std::string>(value_));
    case Type::kInteger:
      return DateTime{static_cast<double>(std::get<std::int64_t>(value_))};
    case Type::kFloat:
      return DateTime{std::get<double>(value_)};
    case Type::kDateTime:
      return std::get<DateTime>(value_);
  }
  return std::nullopt;
}

}  // namespace meridox::codec

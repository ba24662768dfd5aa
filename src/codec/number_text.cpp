#include "codec/number_text.h"

namespace meridox::codec {

std::optional<double> ParseDecimal(std::string_view) {
  return std::nullopt;
}
std::optional<std::int64_t> ParseInteger(std::string_view) {
  return std::nullopt;
}
std::string FormatDecimal(double) {
  return {};
}
std::string FormatInteger(std::int64_t) {
  return {};
}

}  // namespace meridox::codec

#include "codec/variant.h"

namespace meridox::codec {

std::string Variant::ToText() const {
  return {};
}
std::optional<double> Variant::ToNumber() const {
  return std::nullopt;
}
std::optional<DateTime> Variant::ToDateTime() const {
  return std::nullopt;
}

}  // namespace meridox::codec

#include "codec/greek.h"

namespace meridox::codec {

std::optional<char32_t> GreekByteToChar(std::uint8_t byte) {
  if (byte == 0)
    return std::nullopt;
  return byte;
}
std::uint8_t CharToGreekByte(char32_t code_point) {
  return static_cast<std::uint8_t>(code_point & 0xFF);
}
std::string DecodeGreek(std::span<const std::uint8_t>) {
  return {};
}
std::vector<std::uint8_t> EncodeGreek(std::string_view, std::size_t) {
  return {};
}

}  // namespace meridox::codec

#include "codec/greek.h"

#include "codec/utf8.h"

namespace meridox::codec {

namespace {
constexpr char32_t kGreekOffset = 0x2D0;  // U+0370..U+03CF <-> 0xA0..0xFF
constexpr char32_t kEuro = 0x20AC;
constexpr char32_t kDrachma = 0x20AF;
constexpr char32_t kBullet = 0x2022;
}  // namespace

std::optional<char32_t> GreekByteToChar(std::uint8_t byte) {
  switch (byte) {
    case 0x00:
      return std::nullopt;
    case 0x01:
      return U' ';
    case 0x7F:
    case 0x80:
    case 0xA4:
      return kEuro;
    case 0xA3:
    case 0xBB:
    case 0xBD:
      return byte;
    case 0xA5:
      return kDrachma;
    case 0xAA:
      return 0x037A;
    case 0xB7:
      return kBullet;
    case 0xBC:
      return 0x038C;
    default:
      break;
  }
  if (byte < 0xA0)
    return byte;
  if ((byte >= 0xA6 && byte <= 0xA9) || (byte >= 0xAB && byte <= 0xB3))
    return byte;
  return byte + kGreekOffset;  // A0-A2, B4-B6, B8-BA, BE-FF
}

std::uint8_t CharToGreekByte(char32_t code_point) {
  if (code_point >= 0x0370 && code_point <= 0x03CF)
    return static_cast<std::uint8_t>(code_point - kGreekOffset);
  switch (code_point) {
    case kBullet:
      return 0xB7;
    case kEuro:
      return 0xA4;
    case kDrachma:
      return 0xA5;
    default:
      return static_cast<std::uint8_t>(code_point & 0xFF);
  }
}

std::string DecodeGreek(std::span<const std::uint8_t> bytes) {
  std::string out;
  out.reserve(bytes.size() * 2);
  std::size_t kept = 0;  // length of the text up to its last character above U+0020
  for (const std::uint8_t byte : bytes) {
    const auto ch = GreekByteToChar(byte);
    if (!ch)
      continue;
    AppendUtf8(out, *ch);
    if (*ch > U' ')
      kept = out.size();
  }
  out.resize(kept);
  return out;
}

std::vector<std::uint8_t> EncodeGreek(std::string_view text, std::size_t max_chars) {
  std::vector<std::uint8_t> out;
  out.reserve(text.size() < max_chars ? text.size() : max_chars);
  std::size_t pos = 0;
  while (pos < text.size() && out.size() < max_chars)
    out.push_back(CharToGreekByte(NextCodePoint(text, pos)));
  return out;
}

}  // namespace meridox::codec

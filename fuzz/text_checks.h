// Small text facts the parser targets check their outputs against, written without the
// project's own UTF-8 code so that a fault there cannot hide itself.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace meridox::fuzz {

// The code points of well-formed UTF-8 (shortest forms, no surrogates, at most U+10FFFF);
// false when the text is not.
inline bool CodePointsOf(std::string_view text, std::vector<char32_t>& out) {
  out.clear();
  for (std::size_t i = 0; i < text.size();) {
    const auto lead = static_cast<unsigned char>(text[i]);
    std::size_t extra = 0;
    char32_t cp = 0;
    char32_t least = 0;
    if (lead < 0x80) {
      cp = lead;
    } else if ((lead & 0xE0) == 0xC0) {
      extra = 1;
      cp = lead & 0x1F;
      least = 0x80;
    } else if ((lead & 0xF0) == 0xE0) {
      extra = 2;
      cp = lead & 0x0F;
      least = 0x800;
    } else if ((lead & 0xF8) == 0xF0) {
      extra = 3;
      cp = lead & 0x07;
      least = 0x10000;
    } else {
      return false;
    }
    if (text.size() - i <= extra) {
      return false;
    }
    for (std::size_t k = 1; k <= extra; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if ((next & 0xC0) != 0x80) {
        return false;
      }
      cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < least || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
      return false;
    }
    out.push_back(cp);
    i += extra + 1;
  }
  return true;
}

inline bool IsUtf8(std::string_view text) {
  std::vector<char32_t> ignored;
  return CodePointsOf(text, ignored);
}

inline std::string HexOf(std::string_view bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += kDigits[b >> 4];
    out += kDigits[b & 0x0F];
  }
  return out;
}

}  // namespace meridox::fuzz

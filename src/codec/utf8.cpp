#include "codec/utf8.h"

namespace meridox::codec {

namespace {
constexpr char32_t kReplacement = 0xFFFD;
}

char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
  const auto lead = static_cast<unsigned char>(text[pos]);
  if (lead < 0x80) {
    ++pos;
    return lead;
  }
  std::size_t extra = 0;
  char32_t code = 0;
  char32_t minimum = 0;
  if ((lead & 0xE0) == 0xC0) {
    extra = 1;
    code = lead & 0x1F;
    minimum = 0x80;
  } else if ((lead & 0xF0) == 0xE0) {
    extra = 2;
    code = lead & 0x0F;
    minimum = 0x800;
  } else if ((lead & 0xF8) == 0xF0) {
    extra = 3;
    code = lead & 0x07;
    minimum = 0x10000;
  } else {
    ++pos;
    return kReplacement;
  }
  if (pos + extra >= text.size()) {
    ++pos;
    return kReplacement;
  }
  for (std::size_t i = 1; i <= extra; ++i) {
    const auto next = static_cast<unsigned char>(text[pos + i]);
    if ((next & 0xC0) != 0x80) {
      ++pos;
      return kReplacement;
    }
    code = (code << 6) | (next & 0x3F);
  }
  // Overlong forms, surrogates and values past the Unicode range are not characters.
  if (code < minimum || (code >= 0xD800 && code <= 0xDFFF) || code > 0x10FFFF) {
    ++pos;
    return kReplacement;
  }
  pos += extra + 1;
  return code;
}

void AppendUtf8(std::string& out, char32_t code_point) {
  if ((code_point >= 0xD800 && code_point <= 0xDFFF) || code_point > 0x10FFFF)
    code_point = kReplacement;
  if (code_point < 0x80) {
    out.push_back(static_cast<char>(code_point));
  } else if (code_point < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (code_point >> 6)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else if (code_point < 0x10000) {
    out.push_back(static_cast<char>(0xE0 | (code_point >> 12)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xF0 | (code_point >> 18)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 12) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | ((code_point >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (code_point & 0x3F)));
  }
}

}  // namespace meridox::codec

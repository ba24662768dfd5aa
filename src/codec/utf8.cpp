#include "codec/utf8.h"

namespace meridox::codec {

char32_t NextCodePoint(std::string_view text, std::size_t& pos) {
  return static_cast<unsigned char>(text[pos++]);
}
void AppendUtf8(std::string& out, char32_t code_point) {
  out.push_back(static_cast<char>(code_point));
}

}  // namespace meridox::codec

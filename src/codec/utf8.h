// The small UTF-8 steps the single-byte field kinds need: internal text is UTF-8, fields
// hold one byte per character.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace meridox::codec {

// Reads the code point at text[pos] and moves pos past it. A malformed or truncated
// sequence yields U+FFFD and skips one byte. pos must be < text.size().
char32_t NextCodePoint(std::string_view text, std::size_t& pos);

// Appends the UTF-8 form of one code point (surrogates and values above U+10FFFF as
// U+FFFD).
void AppendUtf8(std::string& out, char32_t code_point);

}  // namespace meridox::codec

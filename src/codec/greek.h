// The ECR's single-byte Greek character code. The lower half is ASCII (0x00 dropped, 0x01
// read as a blank, 0x7F a euro sign); the upper half holds the Greek block U+0370-U+03CF at
// byte = code - 0x2D0, with a few positions of its own (euro, drachma, bullet).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace meridox::codec {

// The character a byte stands for; nothing for 0x00, which is dropped wherever it stands.
std::optional<char32_t> GreekByteToChar(std::uint8_t byte);

// The byte a character is written as (each character gives exactly one byte).
std::uint8_t CharToGreekByte(char32_t code_point);

// Bytes -> UTF-8 text: each byte through the decoding table, then trailing blanks and
// control characters (codes up to U+0020) removed.
std::string DecodeGreek(std::span<const std::uint8_t> bytes);

// UTF-8 text -> one byte per character, at most max_chars characters.
std::vector<std::uint8_t> EncodeGreek(std::string_view text,
                                      std::size_t max_chars = static_cast<std::size_t>(-1));

}  // namespace meridox::codec

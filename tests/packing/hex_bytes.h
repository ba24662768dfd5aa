// Byte images for expectations: "01 53 00*4" is 01 53 then four zero bytes.
#pragma once

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace meridox::packing::testing {

inline std::vector<std::uint8_t> Hex(std::string_view image) {
  std::vector<std::uint8_t> out;
  std::istringstream in{std::string(image)};
  std::string token;
  while (in >> token) {
    std::size_t count = 1;
    const std::size_t star = token.find('*');
    if (star != std::string::npos) {
      count = std::stoul(token.substr(star + 1));
      token.resize(star);
    }
    const auto byte = static_cast<std::uint8_t>(std::stoul(token, nullptr, 16));
    out.insert(out.end(), count, byte);
  }
  return out;
}

inline std::string ToHex(const std::vector<std::uint8_t>& bytes) {
  std::string out;
  char cell[4];
  for (std::uint8_t b : bytes) {
    std::snprintf(cell, sizeof cell, "%02X ", b);
    out += cell;
  }
  if (!out.empty()) {
    out.pop_back();
  }
  return out;
}

}  // namespace meridox::packing::testing

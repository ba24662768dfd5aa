#include "app/shell/ip_mask.h"

#include <array>
#include <regex>
#include <set>
#include <string>
#include <vector>

namespace meridox::app {
namespace {

// The four numbers' own expressions, cut out of the one pattern so there is one source.
std::vector<std::string> OctetPatterns() {
  std::vector<std::string> parts;
  const std::string pattern(kIpMaskPattern);
  size_t start = 0;
  for (;;) {
    const size_t dot = pattern.find("\\.", start);
    parts.push_back(pattern.substr(start, dot == std::string::npos ? dot : dot - start));
    if (dot == std::string::npos)
      break;
    start = dot + 2;
  }
  return parts;
}

struct OctetSets {
  std::set<std::string> whole;
  std::set<std::string> prefixes;  // every prefix of a whole number, the empty one too
};

// A number has at most three digits, so each position's language is small enough to list.
const std::array<OctetSets, 4>& Octets() {
  static const std::array<OctetSets, 4> sets = [] {
    std::array<OctetSets, 4> out;
    const std::vector<std::string> patterns = OctetPatterns();
    for (size_t position = 0; position < out.size() && position < patterns.size(); ++position) {
      const std::regex octet(patterns[position]);
      for (int length = 1; length <= 3; ++length) {
        int limit = 1;
        for (int i = 0; i < length; ++i)
          limit *= 10;
        for (int n = 0; n < limit; ++n) {
          std::string digits = std::to_string(n);
          digits.insert(0, static_cast<size_t>(length) - digits.size(), '0');
          if (!std::regex_match(digits, octet))
            continue;
          out[position].whole.insert(digits);
          for (size_t k = 0; k <= digits.size(); ++k)
            out[position].prefixes.insert(digits.substr(0, k));
        }
      }
    }
    return out;
  }();
  return sets;
}

}  // namespace

bool IpMaskMatches(std::string_view text) {
  static const std::regex whole{std::string(kIpMaskPattern)};
  return std::regex_match(text.begin(), text.end(), whole);
}

bool IpMaskCanComplete(std::string_view text) {
  const auto& octets = Octets();
  size_t position = 0;
  size_t start = 0;
  for (;;) {
    const size_t dot = text.find('.', start);
    const std::string part(text.substr(start, dot == std::string_view::npos ? dot : dot - start));
    if (position >= octets.size())
      return false;
    if (dot == std::string_view::npos)
      return octets[position].prefixes.count(part) != 0;
    if (octets[position].whole.count(part) == 0)
      return false;
    ++position;
    start = dot + 1;
  }
}

}  // namespace meridox::app

#include "platform/network.h"

#include <algorithm>
#include <cctype>

namespace meridox::platform {

bool IsLoopbackHost(const std::string& host) {
  std::string lower = host;
  std::transform(lower.begin(), lower.end(), lower.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  if (lower == "localhost" || lower == "::1" || lower == "[::1]")
    return true;
  // 127.0.0.0/8 as dotted text.
  if (lower.rfind("127.", 0) != 0)
    return false;
  int dots = 0;
  for (char c : lower) {
    if (c == '.')
      ++dots;
    else if (!std::isdigit(static_cast<unsigned char>(c)))
      return false;
  }
  return dots == 3;
}

}  // namespace meridox::platform

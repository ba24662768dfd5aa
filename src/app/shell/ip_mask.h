// The address box's mask: a dotted IPv4 address whose first number is not a lone 0, as a
// regular expression. The box refuses keystrokes that could no longer lead to a match.
#pragma once

#include <string_view>

namespace meridox::app {

inline constexpr std::string_view kIpMaskPattern =
    "(25[0-5]|2[0-4][0-9]|[0-1]{1}[0-9]{2}|[1-9]{1}[0-9]{1}|[1-9])\\."
    "(25[0-5]|2[0-4][0-9]|[0-1]{1}[0-9]{2}|[1-9]{1}[0-9]{1}|[1-9]|0)\\."
    "(25[0-5]|2[0-4][0-9]|[0-1]{1}[0-9]{2}|[1-9]{1}[0-9]{1}|[1-9]|0)\\."
    "(25[0-5]|2[0-4][0-9]|[0-1]{1}[0-9]{2}|[1-9]{1}[0-9]{1}|[0-9])";

// The whole text matches the mask.
bool IpMaskMatches(std::string_view text);

// The text can still become a match by typing more (a match itself included).
bool IpMaskCanComplete(std::string_view text);

}  // namespace meridox::app

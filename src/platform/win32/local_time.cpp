#include <ctime>

#include "platform/clock.h"

namespace meridox::platform {

LocalTime ToLocalTime(std::chrono::system_clock::time_point moment) {
  const auto since_epoch = moment.time_since_epoch();
  const auto seconds = std::chrono::floor<std::chrono::seconds>(since_epoch);
  const std::time_t t = static_cast<std::time_t>(seconds.count());
  std::tm parts{};
  localtime_s(&parts, &t);
  LocalTime out;
  out.year = parts.tm_year + 1900;
  out.month = parts.tm_mon + 1;
  out.day = parts.tm_mday;
  out.hour = parts.tm_hour;
  out.minute = parts.tm_min;
  out.second = parts.tm_sec;
  out.millisecond = static_cast<int>(
      std::chrono::duration_cast<std::chrono::milliseconds>(since_epoch - seconds).count());
  return out;
}

}  // namespace meridox::platform

#include <ctime>

#include "platform/clock.h"

namespace meridox::platform {

std::tm LocalCalendar(std::time_t moment) {
  std::tm parts{};
  localtime_s(&parts, &moment);
  return parts;
}

}  // namespace meridox::platform

#include <ctime>

#include "platform/clock.h"

namespace meridox::platform {

std::tm LocalCalendar(std::time_t moment) {
  std::tm parts{};
  localtime_r(&moment, &parts);
  return parts;
}

}  // namespace meridox::platform

#include "platform/os_error.h"

#include <cerrno>

namespace meridox::platform {

std::error_code LastOsError() {
  return std::error_code(errno, std::generic_category());
}

std::string OsErrorText(const std::error_code& error) {
  return error.message();
}

std::string LastOsErrorText() {
  return OsErrorText(LastOsError());
}

}  // namespace meridox::platform

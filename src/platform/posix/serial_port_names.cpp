#include <algorithm>
#include <cctype>
#include <filesystem>
#include <system_error>

#include "platform/serial_port_names.h"

namespace meridox::platform {

std::vector<std::string> ListSerialPortNames() {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator("/dev", error)) {
    const std::string name = entry.path().filename().string();
    if (name.starts_with("ttyS") || name.starts_with("ttyUSB") || name.starts_with("ttyACM"))
      names.push_back(entry.path().string());
  }
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) <
             std::tolower(static_cast<unsigned char>(y));
    });
  });
  return names;
}

}  // namespace meridox::platform

// The serial ports the system knows of right now, for the settings panel's port list.
#pragma once

#include <string>
#include <vector>

namespace meridox::platform {

// Port names ("COM3" on Windows, "/dev/ttyS0" elsewhere), sorted without regard to case.
std::vector<std::string> ListSerialPortNames();

}  // namespace meridox::platform

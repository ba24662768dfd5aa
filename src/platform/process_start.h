// Starting a program as a separate process, for the restart after new settings.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace meridox::platform {

// The running program's own file.
std::filesystem::path CurrentExecutablePath();

// Starts `exe` with `args` (UTF-8) and does not wait for it. False with the system's error
// text in `error`.
bool StartProcess(const std::filesystem::path& exe, const std::vector<std::string>& args,
                  std::string* error);

}  // namespace meridox::platform

#include <spawn.h>
#include <unistd.h>

#include <cstring>
#include <system_error>

#include "platform/process_start.h"

extern char** environ;

namespace meridox::platform {

std::filesystem::path CurrentExecutablePath() {
  std::error_code error;
  return std::filesystem::read_symlink("/proc/self/exe", error);
}

bool StartProcess(const std::filesystem::path& exe, const std::vector<std::string>& args,
                  std::string* error) {
  std::string program = exe.string();
  std::vector<std::string> copies(args);
  std::vector<char*> argv;
  argv.push_back(program.data());
  for (std::string& arg : copies)
    argv.push_back(arg.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  const int status = posix_spawn(&pid, program.c_str(), nullptr, nullptr, argv.data(), environ);
  if (status != 0) {
    if (error != nullptr)
      *error = std::strerror(status);
    return false;
  }
  return true;
}

}  // namespace meridox::platform

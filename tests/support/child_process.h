// Runs one of our programs as a child process for process-level tests: its standard
// output and error go to a file the test reads, and the test can ask it to stop (SIGTERM),
// kill it, and wait for its exit code.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

namespace meridox::testing {

class ChildProcess {
 public:
  // Null with `error` set when the program cannot be started.
  static std::unique_ptr<ChildProcess> Start(const std::filesystem::path& program,
                                             const std::vector<std::string>& args,
                                             const std::filesystem::path& output,
                                             std::string* error);
  virtual ~ChildProcess() = default;  // kills the child if it still runs

  // True when the child ended within the time; `exit_code` then holds its code.
  virtual bool Wait(std::chrono::milliseconds timeout, int& exit_code) = 0;
  // The polite stop request (SIGTERM on Linux; on Windows a hard stop).
  virtual void RequestStop() = 0;
  virtual void Kill() = 0;
};

// Whether RequestStop sends a stop signal the child can handle (Linux); on Windows it
// ends the child hard, so tests ask our programs to stop another way.
#ifdef _WIN32
inline constexpr bool kStopBySignal = false;
inline constexpr const char* kBridgeProgram = "meridox-cli";
#else
inline constexpr bool kStopBySignal = true;
inline constexpr const char* kBridgeProgram = "meridox";
#endif

// kBridgeProgram: the headless bridge's name on this system.

// A program of this build (bin/ of the build folder), with ".exe" on Windows.
std::filesystem::path ProgramPath(const std::string& name);

// The whole content of a file ("" when it cannot be read).
std::string ReadFileText(const std::filesystem::path& file);

// Waits until the file contains `text`; true if it did in time.
bool WaitForText(const std::filesystem::path& file, const std::string& text,
                 std::chrono::milliseconds timeout);

}  // namespace meridox::testing

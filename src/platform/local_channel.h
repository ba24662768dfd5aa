// A local control channel between processes on the same machine, named after a program
// folder: a Unix-domain socket in that folder on Linux, a named pipe on Windows. Text
// travels as lines ending in LF.
#pragma once

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>

namespace meridox::platform {

class LocalStream {
 public:
  virtual ~LocalStream() = default;
  // False on time-out, end of stream or error. The line comes without its LF.
  bool ReadLine(std::string& line, std::chrono::milliseconds timeout);
  // Appends the LF itself.
  bool WriteLine(std::string_view line);

 protected:
  // What has arrived within the time, at most `capacity` bytes; 0 on time-out, end of
  // stream or error.
  virtual size_t ReadSome(char* buffer, size_t capacity, std::chrono::milliseconds timeout) = 0;
  virtual bool WriteAll(std::string_view data) = 0;

 private:
  std::string pending_;
};

class LocalServer {
 public:
  virtual ~LocalServer() = default;
  // Null on time-out.
  virtual std::unique_ptr<LocalStream> Accept(std::chrono::milliseconds timeout) = 0;
};

// Only the holder of the folder's lock should listen: a stale endpoint is replaced.
std::unique_ptr<LocalServer> ListenLocal(const std::filesystem::path& folder, std::string* error);

// Null when nobody listens for that folder.
std::unique_ptr<LocalStream> ConnectLocal(const std::filesystem::path& folder, std::string* error);

}  // namespace meridox::platform

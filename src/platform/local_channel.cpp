#include "platform/local_channel.h"

namespace meridox::platform {

bool LocalStream::ReadLine(std::string& line, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    const size_t end = pending_.find('\n');
    if (end != std::string::npos) {
      line = pending_.substr(0, end);
      pending_.erase(0, end + 1);
      return true;
    }
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        deadline - std::chrono::steady_clock::now());
    if (left.count() <= 0)
      return false;
    char buffer[512];
    const size_t got = ReadSome(buffer, sizeof buffer, left);
    if (got == 0)
      return false;
    pending_.append(buffer, got);
  }
}

bool LocalStream::WriteLine(std::string_view text) {
  std::string data(text);
  data += '\n';
  return WriteAll(data);
}

}  // namespace meridox::platform

#include "platform/local_channel.h"

#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>

#include <cstring>
#include "platform/os_error.h"

namespace meridox::platform {
namespace {

constexpr const char* kSocketName = "meridox.sock";

bool MakeAddress(const std::filesystem::path& folder, sockaddr_un& address, std::string* error) {
  const std::string path = (folder / kSocketName).string();
  std::memset(&address, 0, sizeof address);
  address.sun_family = AF_UNIX;
  if (path.size() >= sizeof address.sun_path) {
    if (error)
      *error = "program folder path too long for a control socket: " + path;
    return false;
  }
  std::memcpy(address.sun_path, path.c_str(), path.size() + 1);
  return true;
}

bool WaitFor(int fd, short events, std::chrono::milliseconds timeout) {
  pollfd p{fd, events, 0};
  for (;;) {
    const int n = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (n < 0 && errno == EINTR)
      continue;
    return n > 0;
  }
}

class SocketStream final : public LocalStream {
 public:
  explicit SocketStream(int fd) : fd_(fd) {}
  ~SocketStream() override { ::close(fd_); }

  size_t ReadSome(char* buffer, size_t capacity, std::chrono::milliseconds timeout) override {
    if (!WaitFor(fd_, POLLIN, timeout))
      return 0;
    const ssize_t n = ::recv(fd_, buffer, capacity, 0);
    return n > 0 ? static_cast<size_t>(n) : 0;
  }

  bool WriteAll(std::string_view data) override {
    size_t sent = 0;
    while (sent < data.size()) {
      const ssize_t n = ::send(fd_, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR)
        continue;
      if (n <= 0)
        return false;
      sent += static_cast<size_t>(n);
    }
    return true;
  }

 private:
  int fd_;
};

class SocketServer final : public LocalServer {
 public:
  SocketServer(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
  ~SocketServer() override {
    ::close(fd_);
    ::unlink(path_.c_str());
  }

  std::unique_ptr<LocalStream> Accept(std::chrono::milliseconds timeout) override {
    if (!WaitFor(fd_, POLLIN, timeout))
      return nullptr;
    const int client = ::accept4(fd_, nullptr, nullptr, SOCK_CLOEXEC);
    if (client < 0)
      return nullptr;
    return std::make_unique<SocketStream>(client);
  }

 private:
  int fd_;
  std::string path_;
};

}  // namespace

std::unique_ptr<LocalServer> ListenLocal(const std::filesystem::path& folder, std::string* error) {
  sockaddr_un address;
  if (!MakeAddress(folder, address, error))
    return nullptr;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error)
      *error = LastOsErrorText();
    return nullptr;
  }
  ::unlink(address.sun_path);  // a socket left by a process that died
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 4) != 0) {
    if (error)
      *error = LastOsErrorText();
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<SocketServer>(fd, address.sun_path);
}

std::unique_ptr<LocalStream> ConnectLocal(const std::filesystem::path& folder, std::string* error) {
  sockaddr_un address;
  if (!MakeAddress(folder, address, error))
    return nullptr;
  const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    if (error)
      *error = LastOsErrorText();
    return nullptr;
  }
  if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
    if (error)
      *error = LastOsErrorText();
    ::close(fd);
    return nullptr;
  }
  return std::make_unique<SocketStream>(fd);
}

}  // namespace meridox::platform

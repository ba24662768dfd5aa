// TCP server on the loopback address, POSIX sockets.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "transport.h"

namespace meridox::ecrsim {

namespace {

class TcpChannel : public Channel {
 public:
  explicit TcpChannel(int fd) : fd_(fd) {}
  ~TcpChannel() override { ::close(fd_); }

  ReadResult Read(std::chrono::milliseconds timeout) override {
    ReadResult result;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (ready <= 0) {
      return result;
    }
    std::uint8_t buffer[4096];
    const ssize_t n = ::recv(fd_, buffer, sizeof buffer, 0);
    if (n <= 0) {
      if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return result;
      }
      result.open = false;
      return result;
    }
    result.bytes.assign(buffer, buffer + n);
    return result;
  }

  bool Write(const std::vector<std::uint8_t>& bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::send(fd_, bytes.data() + done, bytes.size() - done, MSG_NOSIGNAL);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  bool CanClose() const override { return true; }

 private:
  int fd_;
};

class TcpListener : public Listener {
 public:
  TcpListener(int fd, std::uint16_t port) : fd_(fd), port_(port) {}
  ~TcpListener() override { ::close(fd_); }

  std::unique_ptr<Channel> Accept(std::chrono::milliseconds timeout) override {
    pollfd p{fd_, POLLIN, 0};
    if (::poll(&p, 1, static_cast<int>(timeout.count())) <= 0) {
      return nullptr;
    }
    const int client = ::accept(fd_, nullptr, nullptr);
    if (client < 0) {
      return nullptr;
    }
    // Answers are small and must leave at once, also the deliberately split ones.
    int one = 1;
    ::setsockopt(client, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
    return std::make_unique<TcpChannel>(client);
  }

  std::string Address() const override { return "127.0.0.1:" + std::to_string(port_); }
  std::uint16_t Port() const override { return port_; }

 private:
  int fd_;
  std::uint16_t port_;
};

}  // namespace

std::unique_ptr<Listener> ListenTcp(std::uint16_t port, std::string& error) {
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    error = std::string("socket: ") + std::strerror(errno);
    return nullptr;
  }
  int one = 1;
  ::setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &one, sizeof one);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
      ::listen(fd, 4) != 0) {
    error = std::string("bind 127.0.0.1:") + std::to_string(port) + ": " + std::strerror(errno);
    ::close(fd);
    return nullptr;
  }
  socklen_t length = sizeof address;
  ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
  return std::make_unique<TcpListener>(fd, ntohs(address.sin_port));
}

}  // namespace meridox::ecrsim

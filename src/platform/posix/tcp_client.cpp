#include "platform/tcp_client.h"

#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os_error.h"
#include "platform/posix/socket_address.h"
#include "platform/transport_error.h"

namespace meridox::platform {

struct TcpClient::Impl {
  int fd = -1;
  bool peer_closed = false;
};

TcpClient::TcpClient() : impl_(std::make_unique<Impl>()) {}

TcpClient::~TcpClient() {
  Disconnect();
}

void TcpClient::Connect(const std::string& host, std::uint16_t port,
                        std::chrono::milliseconds timeout) {
  Disconnect();
  const sockaddr_in address = ResolveIpv4(host, port);
  const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0)
    throw TransportError("Socket Error: " + LastOsErrorText());
  int r = ::connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (r != 0 && errno == EINPROGRESS) {
    pollfd p{fd, POLLOUT, 0};
    const int ms = timeout.count() < 0 ? 0 : static_cast<int>(timeout.count());
    do {
      r = ::poll(&p, 1, ms);
    } while (r < 0 && errno == EINTR);
    if (r == 0) {
      ::close(fd);
      throw TransportError("Connect timed out");
    }
    int error = 0;
    socklen_t length = sizeof error;
    if (r < 0 || ::getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
      error = errno;
    r = error == 0 ? 0 : -1;
    errno = error;
  }
  if (r != 0) {
    const std::string text = LastOsErrorText();
    ::close(fd);
    throw TransportError("Socket Error: " + text);
  }
  const int one = 1;
  ::setsockopt(fd, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
  impl_->fd = fd;
  impl_->peer_closed = false;
}

void TcpClient::Disconnect() noexcept {
  if (impl_->fd >= 0) {
    ::close(impl_->fd);
    impl_->fd = -1;
  }
  impl_->peer_closed = false;
}

bool TcpClient::Connected() const {
  return impl_->fd >= 0 && !impl_->peer_closed;
}

void TcpClient::Write(std::span<const std::uint8_t> data) {
  if (!Connected())
    throw TransportError("Not Connected");
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::send(impl_->fd, data.data() + done, data.size() - done, MSG_NOSIGNAL);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{impl_->fd, POLLOUT, 0};
      if (::poll(&p, 1, 5000) <= 0)
        throw TransportError("Write timed out");
      continue;
    }
    throw TransportError("Socket Error: " + LastOsErrorText());
  }
}

bool TcpClient::WaitReadable(std::chrono::milliseconds timeout) {
  if (impl_->fd < 0)
    throw TransportError("Not Connected");
  pollfd p{impl_->fd, POLLIN, 0};
  const int ms = timeout.count() < 0 ? 0 : static_cast<int>(timeout.count());
  const int r = ::poll(&p, 1, ms);
  if (r < 0 && errno != EINTR)
    throw TransportError("Socket Error: " + LastOsErrorText());
  return r > 0;
}

std::vector<std::uint8_t> TcpClient::ReadAvailable() {
  if (impl_->fd < 0)
    throw TransportError("Not Connected");
  std::vector<std::uint8_t> out;
  std::uint8_t chunk[4096];
  for (;;) {
    const ssize_t n = ::recv(impl_->fd, chunk, sizeof chunk, 0);
    if (n > 0) {
      out.insert(out.end(), chunk, chunk + n);
      continue;
    }
    if (n == 0) {
      impl_->peer_closed = true;
      if (out.empty())
        throw TransportError("Connection Closed Gracefully.");
      return out;
    }
    if (errno == EINTR)
      continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
      return out;
    impl_->peer_closed = true;
    throw TransportError("Socket Error: " + LastOsErrorText());
  }
}

}  // namespace meridox::platform

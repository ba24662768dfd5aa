#include "platform/udp_client.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/os_error.h"
#include "platform/posix/socket_address.h"
#include "platform/transport_error.h"

namespace meridox::platform {

struct UdpClient::Impl {
  int fd = -1;
  void Require() const {
    if (fd < 0)
      throw TransportError("Socket not open");
  }
};

UdpClient::UdpClient() : impl_(std::make_unique<Impl>()) {}

UdpClient::~UdpClient() {
  Close();
}

void UdpClient::Bind(const std::string& local_address, std::uint16_t local_port) {
  Close();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(local_port);
  address.sin_addr.s_addr = htonl(INADDR_ANY);
  if (!local_address.empty())
    address = ResolveIpv4(local_address, local_port);
  const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0);
  if (fd < 0)
    throw TransportError("Socket Error: " + LastOsErrorText());
  if (::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const std::string text = LastOsErrorText();
    ::close(fd);
    throw TransportError("Could not bind socket: " + text);
  }
  impl_->fd = fd;
}

void UdpClient::Close() noexcept {
  if (impl_->fd >= 0) {
    ::close(impl_->fd);
    impl_->fd = -1;
  }
}

bool UdpClient::IsOpen() const {
  return impl_->fd >= 0;
}

std::uint16_t UdpClient::LocalPort() const {
  if (impl_->fd < 0)
    return 0;
  sockaddr_in address{};
  socklen_t length = sizeof address;
  if (::getsockname(impl_->fd, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return 0;
  return ntohs(address.sin_port);
}

void UdpClient::SendTo(std::span<const std::uint8_t> data, const std::string& host,
                       std::uint16_t port) {
  if (impl_->fd < 0)
    Bind({}, 0);
  const sockaddr_in address = ResolveIpv4(host, port);
  ssize_t n;
  do {
    n = ::sendto(impl_->fd, data.data(), data.size(), 0,
                 reinterpret_cast<const sockaddr*>(&address), sizeof address);
  } while (n < 0 && errno == EINTR);
  if (n < 0)
    throw TransportError("Socket Error: " + LastOsErrorText());
}

bool UdpClient::WaitReadable(std::chrono::milliseconds timeout) {
  impl_->Require();
  pollfd p{impl_->fd, POLLIN, 0};
  const int ms = timeout.count() < 0 ? 0 : static_cast<int>(timeout.count());
  const int r = ::poll(&p, 1, ms);
  if (r < 0 && errno != EINTR)
    throw TransportError("Socket Error: " + LastOsErrorText());
  return r > 0;
}

std::size_t UdpClient::ReceiveFrom(std::span<std::uint8_t> out, UdpEndpoint& sender) {
  impl_->Require();
  std::uint8_t buffer[kMaxDatagram];
  sockaddr_in from{};
  socklen_t length = sizeof from;
  ssize_t n;
  do {
    n = ::recvfrom(impl_->fd, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from),
                   &length);
  } while (n < 0 && errno == EINTR);
  if (n < 0) {
    // A refused earlier datagram (ICMP) shows up here; treat it like nothing received.
    if (errno == EAGAIN || errno == EWOULDBLOCK || errno == ECONNREFUSED)
      return 0;
    throw TransportError("Socket Error: " + LastOsErrorText());
  }
  const std::size_t count = std::min(static_cast<std::size_t>(n), out.size());
  std::copy(buffer, buffer + count, out.begin());
  sender.host = AddressText(from);
  sender.port = ntohs(from.sin_port);
  return count;
}

}  // namespace meridox::platform

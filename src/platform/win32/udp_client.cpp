#include "platform/udp_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <algorithm>

#include "platform/os_error.h"
#include "platform/transport_error.h"
#include "platform/win32/socket_address.h"
#include "platform/win32/winsock_init.h"

namespace meridox::platform {

struct UdpClient::Impl {
  SOCKET socket = INVALID_SOCKET;
  void Require() const {
    if (socket == INVALID_SOCKET)
      throw TransportError("Socket not open");
  }
};

UdpClient::UdpClient() : impl_(std::make_unique<Impl>()) {
  EnsureWinsock();
}

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
  SOCKET s = ::socket(AF_INET, SOCK_DGRAM, IPPROTO_UDP);
  if (s == INVALID_SOCKET)
    throw TransportError(SocketErrorText(WSAGetLastError()));
  if (::bind(s, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
    const int error = WSAGetLastError();
    closesocket(s);
    throw TransportError("Could not bind socket. " + SocketErrorText(error));
  }
  u_long nonblocking = 1;
  ioctlsocket(s, FIONBIO, &nonblocking);
  impl_->socket = s;
}

void UdpClient::Close() noexcept {
  if (impl_->socket != INVALID_SOCKET) {
    closesocket(impl_->socket);
    impl_->socket = INVALID_SOCKET;
  }
}

bool UdpClient::IsOpen() const {
  return impl_->socket != INVALID_SOCKET;
}

std::uint16_t UdpClient::LocalPort() const {
  if (impl_->socket == INVALID_SOCKET)
    return 0;
  sockaddr_in address{};
  int length = sizeof address;
  if (getsockname(impl_->socket, reinterpret_cast<sockaddr*>(&address), &length) != 0)
    return 0;
  return ntohs(address.sin_port);
}

void UdpClient::SendTo(std::span<const std::uint8_t> data, const std::string& host,
                       std::uint16_t port) {
  if (impl_->socket == INVALID_SOCKET)
    Bind({}, 0);
  const sockaddr_in address = ResolveIpv4(host, port);
  const int n = ::sendto(impl_->socket, reinterpret_cast<const char*>(data.data()),
                         static_cast<int>(data.size()), 0,
                         reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (n == SOCKET_ERROR)
    throw TransportError(SocketErrorText(WSAGetLastError()));
}

bool UdpClient::WaitReadable(std::chrono::milliseconds timeout) {
  impl_->Require();
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(impl_->socket, &readable);
  const long long ms = timeout.count() < 0 ? 0 : timeout.count();
  timeval tv{};
  tv.tv_sec = static_cast<long>(ms / 1000);
  tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
  const int r = ::select(0, &readable, nullptr, nullptr, &tv);
  if (r < 0)
    throw TransportError(SocketErrorText(WSAGetLastError()));
  return r > 0;
}

std::size_t UdpClient::ReceiveFrom(std::span<std::uint8_t> out, UdpEndpoint& sender) {
  impl_->Require();
  char buffer[kMaxDatagram];
  sockaddr_in from{};
  int length = sizeof from;
  const int n = ::recvfrom(impl_->socket, buffer, sizeof buffer, 0,
                           reinterpret_cast<sockaddr*>(&from), &length);
  if (n == SOCKET_ERROR) {
    const int error = WSAGetLastError();
    // A longer datagram arrives cut to the buffer; an earlier refused one (ICMP) counts
    // as nothing received.
    if (error == WSAEWOULDBLOCK || error == WSAECONNRESET)
      return 0;
    if (error != WSAEMSGSIZE)
      throw TransportError(SocketErrorText(error));
  }
  const std::size_t got = n == SOCKET_ERROR ? kMaxDatagram : static_cast<std::size_t>(n);
  const std::size_t count = std::min(got, out.size());
  std::copy(buffer, buffer + count, out.begin());
  sender.host = AddressText(from);
  sender.port = ntohs(from.sin_port);
  return count;
}

}  // namespace meridox::platform

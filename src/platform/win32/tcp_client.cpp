#include "platform/tcp_client.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include "platform/os_error.h"
#include "platform/transport_error.h"
#include "platform/win32/socket_address.h"
#include "platform/win32/winsock_init.h"

namespace meridox::platform {

namespace {

timeval ToTimeval(std::chrono::milliseconds timeout) {
  const long long ms = timeout.count() < 0 ? 0 : timeout.count();
  timeval tv{};
  tv.tv_sec = static_cast<long>(ms / 1000);
  tv.tv_usec = static_cast<long>((ms % 1000) * 1000);
  return tv;
}

}  // namespace

struct TcpClient::Impl {
  SOCKET socket = INVALID_SOCKET;
  bool peer_closed = false;
};

TcpClient::TcpClient() : impl_(std::make_unique<Impl>()) {
  EnsureWinsock();
}

TcpClient::~TcpClient() {
  Disconnect();
}

void TcpClient::Connect(const std::string& host, std::uint16_t port,
                        std::chrono::milliseconds timeout) {
  Disconnect();
  const sockaddr_in address = ResolveIpv4(host, port);
  SOCKET s = ::socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET)
    throw TransportError(SocketErrorText(WSAGetLastError()));
  u_long nonblocking = 1;
  ioctlsocket(s, FIONBIO, &nonblocking);
  int r = ::connect(s, reinterpret_cast<const sockaddr*>(&address), sizeof address);
  if (r != 0) {
    int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK) {
      fd_set writable;
      fd_set failed;
      FD_ZERO(&writable);
      FD_ZERO(&failed);
      FD_SET(s, &writable);
      FD_SET(s, &failed);
      timeval tv = ToTimeval(timeout);
      r = ::select(0, nullptr, &writable, &failed, &tv);
      if (r == 0) {
        closesocket(s);
        throw TransportError("Connect timed out");
      }
      error = 0;
      if (r < 0) {
        error = WSAGetLastError();
      } else if (FD_ISSET(s, &failed) || !FD_ISSET(s, &writable)) {
        int length = sizeof error;
        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
        if (error == 0)
          error = WSAECONNREFUSED;
      }
    }
    if (error != 0) {
      closesocket(s);
      throw TransportError(SocketErrorText(error));
    }
  }
  BOOL one = TRUE;
  setsockopt(s, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
  impl_->socket = s;
  impl_->peer_closed = false;
}

void TcpClient::Disconnect() noexcept {
  if (impl_->socket != INVALID_SOCKET) {
    closesocket(impl_->socket);
    impl_->socket = INVALID_SOCKET;
  }
  impl_->peer_closed = false;
}

bool TcpClient::Connected() const {
  return impl_->socket != INVALID_SOCKET && !impl_->peer_closed;
}

void TcpClient::Write(std::span<const std::uint8_t> data) {
  if (!Connected())
    throw TransportError("Not Connected");
  std::size_t done = 0;
  while (done < data.size()) {
    const int n = ::send(impl_->socket, reinterpret_cast<const char*>(data.data() + done),
                         static_cast<int>(data.size() - done), 0);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    const int error = WSAGetLastError();
    if (n < 0 && error == WSAEWOULDBLOCK) {
      fd_set writable;
      FD_ZERO(&writable);
      FD_SET(impl_->socket, &writable);
      timeval tv = ToTimeval(std::chrono::milliseconds(5000));
      if (::select(0, nullptr, &writable, nullptr, &tv) <= 0)
        throw TransportError("Write timed out");
      continue;
    }
    throw TransportError(SocketErrorText(error));
  }
}

bool TcpClient::WaitReadable(std::chrono::milliseconds timeout) {
  if (impl_->socket == INVALID_SOCKET)
    throw TransportError("Not Connected");
  fd_set readable;
  FD_ZERO(&readable);
  FD_SET(impl_->socket, &readable);
  timeval tv = ToTimeval(timeout);
  const int r = ::select(0, &readable, nullptr, nullptr, &tv);
  if (r < 0)
    throw TransportError(SocketErrorText(WSAGetLastError()));
  return r > 0;
}

std::vector<std::uint8_t> TcpClient::ReadAvailable() {
  if (impl_->socket == INVALID_SOCKET)
    throw TransportError("Not Connected");
  std::vector<std::uint8_t> out;
  char chunk[4096];
  for (;;) {
    const int n = ::recv(impl_->socket, chunk, sizeof chunk, 0);
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
    const int error = WSAGetLastError();
    if (error == WSAEWOULDBLOCK)
      return out;
    impl_->peer_closed = true;
    throw TransportError(SocketErrorText(error));
  }
}

}  // namespace meridox::platform

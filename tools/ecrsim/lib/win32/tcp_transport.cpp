// TCP server on the loopback address, Winsock.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>

#include "transport.h"

namespace meridox::ecrsim {

namespace {

bool StartWinsock() {
  static std::once_flag once;
  static bool ok = false;
  std::call_once(once, [] {
    WSADATA data;
    ok = WSAStartup(MAKEWORD(2, 2), &data) == 0;
  });
  return ok;
}

class TcpChannel : public Channel {
 public:
  explicit TcpChannel(SOCKET s) : socket_(s) {}
  ~TcpChannel() override { closesocket(socket_); }

  ReadResult Read(std::chrono::milliseconds timeout) override {
    ReadResult result;
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket_, &set);
    timeval tv{static_cast<long>(timeout.count() / 1000),
               static_cast<long>((timeout.count() % 1000) * 1000)};
    if (select(0, &set, nullptr, nullptr, &tv) <= 0) {
      return result;
    }
    char buffer[4096];
    const int n = recv(socket_, buffer, sizeof buffer, 0);
    if (n <= 0) {
      result.open = false;
      return result;
    }
    result.bytes.assign(buffer, buffer + n);
    return result;
  }

  bool Write(const std::vector<std::uint8_t>& bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const int n = send(socket_, reinterpret_cast<const char*>(bytes.data()) + done,
                         static_cast<int>(bytes.size() - done), 0);
      if (n <= 0) {
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  bool CanClose() const override { return true; }

 private:
  SOCKET socket_;
};

class TcpListener : public Listener {
 public:
  TcpListener(SOCKET s, std::uint16_t port) : socket_(s), port_(port) {}
  ~TcpListener() override { closesocket(socket_); }

  std::unique_ptr<Channel> Accept(std::chrono::milliseconds timeout) override {
    fd_set set;
    FD_ZERO(&set);
    FD_SET(socket_, &set);
    timeval tv{static_cast<long>(timeout.count() / 1000),
               static_cast<long>((timeout.count() % 1000) * 1000)};
    if (select(0, &set, nullptr, nullptr, &tv) <= 0) {
      return nullptr;
    }
    const SOCKET client = accept(socket_, nullptr, nullptr);
    if (client == INVALID_SOCKET) {
      return nullptr;
    }
    BOOL one = TRUE;
    setsockopt(client, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&one), sizeof one);
    return std::make_unique<TcpChannel>(client);
  }

  std::string Address() const override { return "127.0.0.1:" + std::to_string(port_); }
  std::uint16_t Port() const override { return port_; }

 private:
  SOCKET socket_;
  std::uint16_t port_;
};

}  // namespace

std::unique_ptr<Listener> ListenTcp(std::uint16_t port, std::string& error) {
  if (!StartWinsock()) {
    error = "WSAStartup failed";
    return nullptr;
  }
  const SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) {
    error = "socket: " + std::to_string(WSAGetLastError());
    return nullptr;
  }
  // No SO_REUSEADDR: on Windows it would let a second server steal the port.
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  if (bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 || listen(s, 4) != 0) {
    error = "bind 127.0.0.1:" + std::to_string(port) + ": " + std::to_string(WSAGetLastError());
    closesocket(s);
    return nullptr;
  }
  int length = sizeof address;
  getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
  return std::make_unique<TcpListener>(s, ntohs(address.sin_port));
}

}  // namespace meridox::ecrsim

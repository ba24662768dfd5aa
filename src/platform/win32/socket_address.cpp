#include "platform/win32/socket_address.h"

#include <winsock2.h>
#include <ws2tcpip.h>

#include <cstring>

#include "platform/os_error.h"
#include "platform/transport_error.h"
#include "platform/win32/winsock_init.h"

namespace meridox::platform {

sockaddr_in ResolveIpv4(const std::string& host, std::uint16_t port) {
  EnsureWinsock();
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1)
    return address;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  const int r =
      host.empty() ? WSAHOST_NOT_FOUND : getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (r != 0 || found == nullptr)
    throw TransportError("Host not found: " + host);
  std::memcpy(&address.sin_addr, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr,
              sizeof address.sin_addr);
  freeaddrinfo(found);
  return address;
}

std::string AddressText(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = {};
  sockaddr_in copy = address;
  inet_ntop(AF_INET, &copy.sin_addr, text, sizeof text);
  return text;
}

std::string SocketErrorText(int code) {
  return "Socket Error # " + std::to_string(code) + " " +
         OsErrorText(std::error_code(code, std::system_category()));
}

}  // namespace meridox::platform

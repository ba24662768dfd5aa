#include "platform/posix/socket_address.h"

#include <arpa/inet.h>
#include <netdb.h>
#include <sys/socket.h>

#include <cstring>

#include "platform/os_error.h"
#include "platform/transport_error.h"

namespace meridox::platform {

sockaddr_in ResolveIpv4(const std::string& host, std::uint16_t port) {
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(port);
  if (::inet_pton(AF_INET, host.c_str(), &address.sin_addr) == 1)
    return address;
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* found = nullptr;
  const int r = host.empty() ? EAI_NONAME : ::getaddrinfo(host.c_str(), nullptr, &hints, &found);
  if (r != 0 || found == nullptr)
    throw TransportError("Host not found: " + host);
  std::memcpy(&address.sin_addr, &reinterpret_cast<sockaddr_in*>(found->ai_addr)->sin_addr,
              sizeof address.sin_addr);
  ::freeaddrinfo(found);
  return address;
}

std::string AddressText(const sockaddr_in& address) {
  char text[INET_ADDRSTRLEN] = {};
  ::inet_ntop(AF_INET, &address.sin_addr, text, sizeof text);
  return text;
}

}  // namespace meridox::platform

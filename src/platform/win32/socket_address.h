// Host text to an IPv4 socket address, shared by the TCP and UDP clients.
#pragma once

#include <winsock2.h>

#include <cstdint>
#include <string>

namespace meridox::platform {

// Throws TransportError when the host cannot be resolved.
sockaddr_in ResolveIpv4(const std::string& host, std::uint16_t port);

// "a.b.c.d" of an address.
std::string AddressText(const sockaddr_in& address);

// The socket error text as TransportError wants it.
std::string SocketErrorText(int code);

}  // namespace meridox::platform

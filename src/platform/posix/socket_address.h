// Host text to an IPv4 socket address, shared by the TCP and UDP clients.
#pragma once

#include <netinet/in.h>

#include <cstdint>
#include <string>

namespace meridox::platform {

// Throws TransportError when the host cannot be resolved.
sockaddr_in ResolveIpv4(const std::string& host, std::uint16_t port);

// "a.b.c.d" of an address.
std::string AddressText(const sockaddr_in& address);

}  // namespace meridox::platform

// A UDP client: datagrams to one destination, and what comes back with its sender.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace meridox::platform {

struct UdpEndpoint {
  std::string host;  // IPv4 address text
  std::uint16_t port = 0;
};

class UdpClient {
 public:
  // The largest datagram received; the rest of a longer one is dropped.
  static constexpr std::size_t kMaxDatagram = 1024;

  UdpClient();
  ~UdpClient();
  UdpClient(const UdpClient&) = delete;
  UdpClient& operator=(const UdpClient&) = delete;

  // Opens a socket bound to the local address and port (empty address: any).
  // Throws TransportError.
  void Bind(const std::string& local_address, std::uint16_t local_port);
  void Close() noexcept;
  bool IsOpen() const;
  // The local port of the socket, 0 when none is open.
  std::uint16_t LocalPort() const;

  // Sends one datagram; opens an unbound socket first when none is open.
  void SendTo(std::span<const std::uint8_t> data, const std::string& host, std::uint16_t port);
  bool WaitReadable(std::chrono::milliseconds timeout);
  // Receives one waiting datagram (at most kMaxDatagram bytes of it) without waiting;
  // 0 when none is waiting.
  std::size_t ReceiveFrom(std::span<std::uint8_t> out, UdpEndpoint& sender);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace meridox::platform

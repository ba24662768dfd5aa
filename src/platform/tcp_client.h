// A TCP client connection: connect with a time-out, write, wait until readable, read.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace meridox::platform {

class TcpClient {
 public:
  TcpClient();
  ~TcpClient();
  TcpClient(const TcpClient&) = delete;
  TcpClient& operator=(const TcpClient&) = delete;

  // Resolves host (IPv4) and connects within the time-out. Throws TransportError.
  void Connect(const std::string& host, std::uint16_t port, std::chrono::milliseconds timeout);
  // Closes the connection; harmless when there is none.
  void Disconnect() noexcept;
  // A connection is open and the peer has not been seen closing it.
  bool Connected() const;

  // Writes all bytes or throws TransportError.
  void Write(std::span<const std::uint8_t> data);
  // True when data, the peer's close or an error is waiting.
  bool WaitReadable(std::chrono::milliseconds timeout);
  // Everything that has arrived, without waiting. When the peer has closed the
  // connection, Connected() turns false and TransportError is thrown.
  std::vector<std::uint8_t> ReadAvailable();

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace meridox::platform

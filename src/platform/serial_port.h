// A serial line in raw mode: 8 data bits, no parity, 1 stop bit, no flow control, every
// byte (NUL included) passed through unchanged, at any baud rate.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace meridox::platform {

class SerialPort {
 public:
  SerialPort();
  ~SerialPort();
  SerialPort(const SerialPort&) = delete;
  SerialPort& operator=(const SerialPort&) = delete;

  // Opens the named port (COM3 on Windows; a device path, or a name under /dev, on
  // Linux) exclusively. Throws TransportError with the system's text.
  void Open(const std::string& name, int baud_rate);
  void Close() noexcept;
  bool IsOpen() const;

  // Writes all bytes or throws TransportError.
  void Write(std::span<const std::uint8_t> data);
  // Bytes received and not read yet.
  std::size_t BytesWaiting();
  // Reads up to out.size() bytes that have already arrived; never waits.
  std::size_t Read(std::span<std::uint8_t> out);
  // Blocks until a byte is waiting or the time-out passes; true when readable.
  bool WaitReadable(std::chrono::milliseconds timeout);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

// True when the port can be found: it opens, or it is busy (held by someone, maybe by
// this process). Never throws.
bool PortExists(const std::string& name);

}  // namespace meridox::platform

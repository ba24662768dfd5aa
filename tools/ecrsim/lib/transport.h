// The byte pipes the simulator serves requests on: a TCP server on the loopback address,
// a pseudo-terminal pair (Linux) standing in for a serial line, or a named serial port.
// Per-OS implementations live in posix/ and win32/.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace meridox::ecrsim {

struct ReadResult {
  bool open = true;                 // false: the peer went away (the channel is finished)
  std::vector<std::uint8_t> bytes;  // may be empty after a time-out
  int line_speed = 0;               // serial lines: the rate the peer had set; 0 otherwise
};

// One connection (a TCP client, or the serial line for as long as the simulator runs).
class Channel {
 public:
  virtual ~Channel() = default;
  virtual ReadResult Read(std::chrono::milliseconds timeout) = 0;
  virtual bool Write(const std::vector<std::uint8_t>& bytes) = 0;
  // Whether dropping the connection means anything (it does not on a serial line).
  virtual bool CanClose() const = 0;
};

// Hands out channels: every TCP client in turn; the serial line once.
class Listener {
 public:
  virtual ~Listener() = default;
  // Waits up to `timeout` for the next channel; nullptr when none came.
  virtual std::unique_ptr<Channel> Accept(std::chrono::milliseconds timeout) = 0;
  // What to tell the user: the port number or the device path.
  virtual std::string Address() const = 0;
  // The TCP port listened on; 0 for serial lines.
  virtual std::uint16_t Port() const { return 0; }
};

// TCP on 127.0.0.1; port 0 takes a free port (see Port).
std::unique_ptr<Listener> ListenTcp(std::uint16_t port, std::string& error);

// A pseudo-terminal pair: the simulator keeps the master, the bridge opens the slave path
// (Address). The slave starts raw at `initial_speed`. Linux only; elsewhere an error.
std::unique_ptr<Listener> OpenPty(int initial_speed, std::string& error);

// A serial device by name (COM5 on Windows, a tty path elsewhere), raw, at `speed`.
std::unique_ptr<Listener> OpenSerialPort(const std::string& name, int speed, std::string& error);

}  // namespace meridox::ecrsim

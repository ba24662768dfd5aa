// A bare client for the simulator's TCP side: builds request frames with the real frame
// builder, writes them on a plain loopback socket and collects what comes back.
#pragma once

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

#include "link/ecr_commands.h"
#include "link/ecr_protocol.h"
#include "platform/tcp_client.h"

namespace meridox::ecrsim::testing {

struct Answer {
  bool ok = false;            // an acceptable frame arrived in time
  std::uint32_t command = 0;  // its command code
  std::uint32_t packet = 0;
  std::vector<std::uint8_t> payload;
  std::vector<std::uint8_t> raw;  // all bytes read during the wait
};

class EcrClient {
 public:
  EcrClient();
  void Connect(std::uint16_t port);
  // The request frame for catalogue ID `id`.
  std::vector<std::uint8_t> Frame(std::int32_t id, const std::vector<std::uint8_t>& payload,
                                  std::uint32_t packet = 0, const std::string& ecr = "907158");
  void Send(const std::vector<std::uint8_t>& bytes);
  // Sends the request and waits for a frame that the real checker accepts for it (packet
  // number and, for download/upload commands, command code), with sum and CRC checks on.
  Answer Exchange(std::int32_t id, const std::vector<std::uint8_t>& payload,
                  std::uint32_t packet = 0,
                  std::chrono::milliseconds timeout = std::chrono::milliseconds(2000));
  // Waits for an acceptable answer to the request last built (after Send).
  Answer Receive(std::int32_t id, std::uint32_t packet, std::chrono::milliseconds timeout);
  // Everything that arrives within `timeout` (stops early after `enough` bytes).
  std::vector<std::uint8_t> ReadFor(std::chrono::milliseconds timeout,
                                    std::size_t enough = static_cast<std::size_t>(-1));
  bool PeerClosed(std::chrono::milliseconds timeout);
  const link::TEcrCommands& Catalogue() const { return catalogue_; }

 private:
  link::TEcrCommands catalogue_;
  platform::TcpClient tcp_;
};

// The Greek text of a refusal payload (after the marker when there is one).
std::string RefusalText(const std::vector<std::uint8_t>& payload);

}  // namespace meridox::ecrsim::testing

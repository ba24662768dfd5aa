#include "ecr_client.h"

#include <stdexcept>
#include <thread>

#include "codec/greek.h"
#include "platform/transport_error.h"

namespace meridox::ecrsim::testing {

EcrClient::EcrClient() {
  link::InitCommands(catalogue_);
}

void EcrClient::Connect(std::uint16_t port) {
  tcp_.Connect("127.0.0.1", port, std::chrono::milliseconds(2000));
}

std::vector<std::uint8_t> EcrClient::Frame(std::int32_t id,
                                           const std::vector<std::uint8_t>& payload,
                                           std::uint32_t packet, const std::string& ecr) {
  const link::TEcrCommand* command = catalogue_.FindByID(id);
  if (!command) {
    throw std::invalid_argument("unknown command ID");
  }
  link::TEcrProtocol protocol(&catalogue_);
  protocol.SetHCmd(*command);
  protocol.SetPackNum(packet);
  protocol.SetEcrID(ecr);
  std::vector<std::uint8_t> frame;
  protocol.PackageBuffer(payload, static_cast<std::int32_t>(payload.size()), frame);
  return frame;
}

void EcrClient::Send(const std::vector<std::uint8_t>& bytes) {
  tcp_.Write(bytes);
}

Answer EcrClient::Exchange(std::int32_t id, const std::vector<std::uint8_t>& payload,
                           std::uint32_t packet, std::chrono::milliseconds timeout) {
  Send(Frame(id, payload, packet));
  return Receive(id, packet, timeout);
}

Answer EcrClient::Receive(std::int32_t id, std::uint32_t packet,
                          std::chrono::milliseconds timeout) {
  Answer answer;
  link::TEcrProtocol checker(&catalogue_);
  checker.SetPackNum(packet);
  checker.SetBCommand(catalogue_.FindByID(id)->Command());
  checker.SetFChkSum(true);
  checker.SetFChkCrc(true);
  std::vector<std::uint8_t> stream;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (!tcp_.WaitReadable(std::chrono::milliseconds(10))) {
      continue;
    }
    std::vector<std::uint8_t> chunk;
    try {
      chunk = tcp_.ReadAvailable();
    } catch (const platform::TransportError&) {
      return answer;
    }
    answer.raw.insert(answer.raw.end(), chunk.begin(), chunk.end());
    stream.insert(stream.end(), chunk.begin(), chunk.end());
    // Like the bridge's receive path: judge the whole stream, drop it unless incomplete.
    std::vector<std::uint8_t> payload;
    if (checker.CheckData(stream, payload)) {
      answer.ok = true;
      answer.command = checker.Command();
      answer.packet = packet;
      answer.payload = checker.ReceiveLen() > 0 ? payload : std::vector<std::uint8_t>{};
      return answer;
    }
    if (checker.ErrCode() != link::kFrameShortData &&
        checker.ErrCode() != link::kFrameShortHeader) {
      stream.clear();
    }
  }
  return answer;
}

std::vector<std::uint8_t> EcrClient::ReadFor(std::chrono::milliseconds timeout,
                                             std::size_t enough) {
  std::vector<std::uint8_t> bytes;
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline && bytes.size() < enough) {
    if (!tcp_.WaitReadable(std::chrono::milliseconds(10))) {
      continue;
    }
    try {
      const std::vector<std::uint8_t> chunk = tcp_.ReadAvailable();
      bytes.insert(bytes.end(), chunk.begin(), chunk.end());
    } catch (const platform::TransportError&) {
      break;
    }
  }
  return bytes;
}

bool EcrClient::PeerClosed(std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (std::chrono::steady_clock::now() < deadline) {
    if (tcp_.WaitReadable(std::chrono::milliseconds(10))) {
      try {
        tcp_.ReadAvailable();
      } catch (const platform::TransportError&) {
        return true;
      }
    }
    if (!tcp_.Connected()) {
      return true;
    }
  }
  return false;
}

std::string RefusalText(const std::vector<std::uint8_t>& payload) {
  if (!payload.empty() && payload[0] == 0xFE) {
    return codec::DecodeGreek(std::span(payload).subspan(1));
  }
  return codec::DecodeGreek(payload);
}

}  // namespace meridox::ecrsim::testing

// Helpers for the link tests: frames as an ECR sends them, a log captured in a temporary
// folder, and a scripted stand-in for a socket that a host application supplies.
#pragma once

#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "link/hecr_link.h"
#include "log/logger.h"
#include "temp_dir.h"

namespace meridox::link::testing {

using Bytes = std::vector<std::uint8_t>;

// A frame as the ECR sends it (valid header sum and CRC).
Bytes Frame(std::uint16_t code, std::uint32_t packet, const Bytes& payload,
            std::uint32_t ecr_id = 907158);

// A request frame the link wrote, taken apart.
struct SentRequest {
  std::uint16_t code = 0;
  std::uint32_t packet = 0;
  std::uint32_t ecr_id = 0;
  Bytes payload;
  Bytes frame;
};
// Reads a frame; nothing useful when it is shorter than a header.
SentRequest ParseRequest(std::span<const std::uint8_t> frame);

// A log writer into a fresh folder, and the lines it wrote.
class LogCapture {
 public:
  struct Line {
    std::string tag;   // "Infor", "Error", ...
    std::string text;  // the message
  };
  LogCapture();
  TLogger* logger() { return logger_.get(); }
  std::vector<Line> Lines() const;
  // Lines whose message contains `needle`.
  int Count(std::string_view needle) const;

 private:
  meridox::testing::TempDir dir_;
  std::unique_ptr<TLogger> logger_;
};

// A connected socket of the host application (cmTCP) whose answers a test scripts: each
// written request is handed to the responder, whose chunks then arrive one per poll.
class ScriptedSocket : public TLinkSocket {
 public:
  using Responder = std::function<std::vector<Bytes>(const SentRequest&)>;

  void SetResponder(Responder responder) { responder_ = std::move(responder); }
  bool Connected() const override { return connected; }
  int SendBuf(std::span<const std::uint8_t> data) override;
  int ReceiveLength() override;
  int ReceiveBuf(std::span<std::uint8_t> out) override;
  std::string LastErrorText() const override { return "Connection reset by peer"; }
  // Queue bytes to arrive without a request.
  void Push(Bytes chunk) { pending_.push_back(std::move(chunk)); }

  std::vector<SentRequest> requests;
  bool connected = true;
  bool fail_sends = false;

 private:
  Responder responder_;
  std::deque<Bytes> pending_;
};

// Responders for common cases.
ScriptedSocket::Responder AnswerWith(Bytes payload);
ScriptedSocket::Responder NeverAnswer();

}  // namespace meridox::link::testing

#include "link_test_support.h"

#include <algorithm>
#include <fstream>
#include <sstream>

#include "link/ecr_protocol.h"

namespace meridox::link::testing {

Bytes Frame(std::uint16_t code, std::uint32_t packet, const Bytes& payload, std::uint32_t ecr_id) {
  TEcrProtocol protocol(nullptr);
  TEcrCommand command;
  command.SetCommand(code);
  protocol.SetHCmd(command);
  protocol.SetPackNum(packet);
  protocol.SetEcrID(std::to_string(ecr_id));
  Bytes frame;
  protocol.PackageBuffer(payload, static_cast<std::int32_t>(payload.size()), frame);
  return frame;
}

SentRequest ParseRequest(std::span<const std::uint8_t> frame) {
  SentRequest out;
  out.frame.assign(frame.begin(), frame.end());
  if (frame.size() < kFrameHeaderSize)
    return out;
  const auto be32 = [&frame](std::size_t at) {
    return (std::uint32_t{frame[at]} << 24) | (std::uint32_t{frame[at + 1]} << 16) |
           (std::uint32_t{frame[at + 2]} << 8) | std::uint32_t{frame[at + 3]};
  };
  out.code = static_cast<std::uint16_t>((frame[2] << 8) | frame[3]);
  out.packet = be32(4);
  out.ecr_id = be32(8);
  const std::size_t length = (std::size_t{frame[12]} << 8) | frame[13];
  const std::size_t end = std::min(frame.size(), kFrameHeaderSize + length);
  out.payload.assign(frame.begin() + kFrameHeaderSize, frame.begin() + static_cast<long>(end));
  return out;
}

LogCapture::LogCapture() : logger_(std::make_unique<TLogger>(dir_.Utf8WithSlash())) {}

std::vector<LogCapture::Line> LogCapture::Lines() const {
  std::vector<Line> lines;
  std::vector<std::filesystem::path> files;
  for (const auto& entry : std::filesystem::directory_iterator(dir_.path())) {
    if (entry.path().extension() == ".log")
      files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    std::string text = content.str();
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find("\r\n", start);
      if (end == std::string::npos)
        end = text.size();
      const std::string raw = text.substr(start, end - start);
      start = end + 2;
      // "[hh:nn:ss.zzz <Tag>] message"
      const std::size_t open = raw.find(" <");
      const std::size_t close = raw.find(">] ");
      if (raw.empty() || raw[0] != '[' || open == std::string::npos || close == std::string::npos)
        continue;
      lines.push_back({raw.substr(open + 2, close - open - 2), raw.substr(close + 3)});
    }
  }
  return lines;
}

int LogCapture::Count(std::string_view needle) const {
  int count = 0;
  for (const Line& line : Lines()) {
    if (line.text.find(needle) != std::string::npos)
      ++count;
  }
  return count;
}

int ScriptedSocket::SendBuf(std::span<const std::uint8_t> data) {
  if (fail_sends)
    return -1;
  requests.push_back(ParseRequest(data));
  if (responder_) {
    for (Bytes& chunk : responder_(requests.back()))
      pending_.push_back(std::move(chunk));
  }
  return static_cast<int>(data.size());
}

int ScriptedSocket::ReceiveLength() {
  return pending_.empty() ? 0 : static_cast<int>(pending_.front().size());
}

int ScriptedSocket::ReceiveBuf(std::span<std::uint8_t> out) {
  if (pending_.empty())
    return 0;
  Bytes& chunk = pending_.front();
  const std::size_t n = std::min(out.size(), chunk.size());
  std::copy_n(chunk.begin(), n, out.begin());
  chunk.erase(chunk.begin(), chunk.begin() + static_cast<long>(n));
  if (chunk.empty())
    pending_.pop_front();
  return static_cast<int>(n);
}

ScriptedSocket::Responder AnswerWith(Bytes payload) {
  return [payload](const SentRequest& request) {
    return std::vector<Bytes>{Frame(request.code, request.packet, payload)};
  };
}

ScriptedSocket::Responder NeverAnswer() {
  return [](const SentRequest&) { return std::vector<Bytes>{}; };
}

}  // namespace meridox::link::testing

// Property checks on the frame checker and the frame scanner, one function per fuzz
// target. The libFuzzer entry points and the corpus replay test share them: each returns
// an empty text when every property holds, otherwise what went wrong.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "link/ecr_commands.h"
#include "link/ecr_protocol.h"
#include "link/frame_scanner.h"

namespace meridox::fuzz {

using Bytes = std::vector<std::uint8_t>;

namespace detail {

inline const link::TEcrCommands& Catalogue() {
  static const link::TEcrCommands commands = [] {
    link::TEcrCommands c;
    link::InitCommands(c);
    return c;
  }();
  return commands;
}

inline std::uint32_t Be32(std::span<const std::uint8_t> b, std::size_t at) {
  return (std::uint32_t{b[at]} << 24) | (std::uint32_t{b[at + 1]} << 16) |
         (std::uint32_t{b[at + 2]} << 8) | b[at + 3];
}

struct Settings {
  bool chkSum;
  bool chkCrc;
  bool catalogue;
  std::uint32_t packNo;
  std::uint32_t bCommand;
};

// The expected result code, derived straight from the frame layout, independently of the
// checker's code.
inline std::int32_t ExpectedCode(std::span<const std::uint8_t> b, const Settings& s) {
  const std::size_t n = b.size();
  if ((n >= 1 && b[0] != 0xAA) || (n >= 2 && b[1] != 0x03)) {
    return 1;
  }
  if (n < 16) {
    return 6;
  }
  const std::size_t d = (std::size_t{b[12]} << 8) | b[13];
  if (d > 0 && n < d + 18) {
    return 2;
  }
  if (Be32(b, 4) != s.packNo) {
    return 8;
  }
  const std::uint32_t command = (std::uint32_t{b[2]} << 8) | b[3];
  if (s.catalogue) {
    if (const auto* entry = Catalogue().FindByCommand(command)) {
      const bool matched = entry->Status() == link::TCommandStatus::csDownload ||
                           entry->Status() == link::TCommandStatus::csUpload;
      if (matched && command != s.bCommand) {
        return 9;
      }
    }
  }
  unsigned sum = 0;
  for (std::size_t i = 0; i < 15; ++i) {
    sum += b[i];
  }
  if (s.chkSum && (sum & 0xFF) != b[15]) {
    return 4;
  }
  if (d == 0 || !s.chkCrc) {
    return 0;
  }
  // Bitwise CRC-16/XMODEM, written out again on purpose.
  std::uint32_t crc = 0;
  for (std::size_t i = 16; i < 16 + d; ++i) {
    crc ^= std::uint32_t{b[i]} << 8;
    for (int k = 0; k < 8; ++k) {
      crc = (crc & 0x8000) != 0 ? ((crc << 1) ^ 0x1021) & 0xFFFF : (crc << 1) & 0xFFFF;
    }
  }
  return crc == ((std::uint32_t{b[16 + d]} << 8) | b[17 + d]) ? 0 : 5;
}

inline void Configure(link::TEcrProtocol& p, const Settings& s) {
  p.SetFChkSum(s.chkSum);
  p.SetFChkCrc(s.chkCrc);
  p.SetPackNum(s.packNo);
  p.SetBCommand(s.bCommand);
}

inline std::string CheckOnce(std::span<const std::uint8_t> bytes, const Settings& s) {
  link::TEcrProtocol p(s.catalogue ? &Catalogue() : nullptr);
  Configure(p, s);
  p.SetReceiveLen(-7);
  p.SetResultID(99);
  const Bytes sentinel{0x5A, 0xA5};
  Bytes buffer = sentinel;
  const bool accepted = p.CheckData(
      bytes, static_cast<std::int32_t>(std::min<std::size_t>(bytes.size(), 0x7FFFFFFF)), buffer);
  const std::int32_t code = p.ErrCode();
  const std::int32_t expected = ExpectedCode(bytes, s);
  if (code != expected) {
    return "code " + std::to_string(code) + ", expected " + std::to_string(expected);
  }
  if (accepted != (code == 0)) {
    return "result disagrees with the code";
  }
  if (p.ResultID() != 0) {
    return "ResultID not reset";
  }
  if (p.Logstring() != link::HexImage("Receive:", bytes) ||
      p.Logstring().size() != 8 + 3 * bytes.size()) {
    return "wrong Receive image";
  }
  const std::size_t declared = bytes.size() >= 16 ? ((std::size_t{bytes[12]} << 8) | bytes[13]) : 0;
  const bool headerRead = code != 1 && code != 6;
  if (p.ReceiveLen() != static_cast<std::int32_t>(headerRead ? declared : 0)) {
    return "wrong ReceiveLen";
  }
  const bool payloadCopied = code == 0 || code == 5;
  if (payloadCopied && declared > 0) {
    if (buffer !=
        Bytes(bytes.begin() + 16, bytes.begin() + 16 + static_cast<std::ptrdiff_t>(declared))) {
      return "payload differs from the frame's data";
    }
  } else if (buffer != sentinel) {
    return "payload changed although none was handed out";
  }
  if (code == 0 && s.chkSum && s.chkCrc && bytes[14] == 0) {
    // An accepted, fully checked frame is exactly what the builder makes of its fields.
    link::TEcrProtocol builder(nullptr);
    builder.hCmd().SetCommand(p.Command());
    builder.SetPackNum(s.packNo);
    builder.SetEcrID(p.EcrID());
    Bytes rebuilt;
    const std::int32_t length = builder.PackageBuffer(
        buffer, declared == 0 ? 0 : static_cast<std::int32_t>(declared), rebuilt);
    if (static_cast<std::size_t>(length) != link::FrameLength(declared) ||
        !std::equal(rebuilt.begin(), rebuilt.end(), bytes.begin())) {
      return "rebuilt frame differs";
    }
  }
  return {};
}

}  // namespace detail

// The checker on arbitrary bytes under several settings, compared with an independent
// derivation of the result, plus a build-and-check round trip with the bytes as payload.
inline std::string CheckDataTarget(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const std::uint32_t ownPackNo = size >= 8 ? detail::Be32(bytes, 4) : 0;
  const std::uint32_t ownCommand = size >= 4 ? ((std::uint32_t{data[2]} << 8) | data[3]) : 0;
  std::vector<std::uint32_t> packNos{0};
  if (ownPackNo != 0) {
    packNos.push_back(ownPackNo);
  }
  std::vector<std::uint32_t> requests{0xE082};
  if (ownCommand != 0xE082) {
    requests.push_back(ownCommand);
  }
  for (int flags = 0; flags < 8; ++flags) {
    for (const std::uint32_t packNo : packNos) {
      for (const std::uint32_t bCommand : requests) {
        const detail::Settings s{(flags & 1) != 0, (flags & 2) != 0, (flags & 4) != 0, packNo,
                                 bCommand};
        if (std::string failure = detail::CheckOnce(bytes, s); !failure.empty()) {
          return failure + " (sum " + std::to_string(s.chkSum) + ", crc " +
                 std::to_string(s.chkCrc) + ", catalogue " + std::to_string(s.catalogue) + ")";
        }
      }
    }
  }

  link::TEcrProtocol p(&detail::Catalogue());
  p.hCmd().SetCommand(ownCommand);
  p.SetBCommand(ownCommand);
  p.SetPackNum(ownPackNo);
  p.SetEcrID(std::to_string(size));
  p.SetFChkSum(true);
  p.SetFChkCrc(true);
  Bytes frame;
  const std::int32_t length = p.PackageBuffer(bytes, static_cast<std::int32_t>(size), frame);
  const std::size_t sent = std::min(size, link::kMaxFramePayload);
  if (static_cast<std::size_t>(length) != frame.size() || frame.size() != link::FrameLength(sent)) {
    return "built frame has the wrong length";
  }
  Bytes payload;
  if (!p.CheckData(frame, payload)) {
    return "built frame rejected with code " + std::to_string(p.ErrCode());
  }
  if (sent > 0 && !std::equal(payload.begin(), payload.end(), bytes.begin())) {
    return "round trip changed the payload";
  }
  if (p.ReceiveLen() != static_cast<std::int32_t>(sent) || p.EcrID() != std::to_string(size)) {
    return "round trip changed the header";
  }
  return {};
}

namespace detail {

struct Delivery {
  std::vector<Bytes> frames;
  Bytes pending;
  std::size_t dropped = 0;
  std::string failure;
};

// A receive path over `chunks`: append each, then take the scanner's decisions until it
// needs more.
inline Delivery Receive(std::span<const std::uint8_t> stream, const std::vector<std::size_t>& cuts,
                        const Settings& s) {
  Delivery out;
  link::TEcrProtocol p(s.catalogue ? &Catalogue() : nullptr);
  Configure(p, s);
  std::size_t at = 0;
  for (const std::size_t cut : cuts) {
    out.pending.insert(out.pending.end(), stream.begin() + static_cast<std::ptrdiff_t>(at),
                       stream.begin() + static_cast<std::ptrdiff_t>(cut));
    at = cut;
    // Every decision but the last removes at least one byte, so this bounds the loop.
    const std::size_t limit = out.pending.size() + 1;
    for (std::size_t rounds = 0;; ++rounds) {
      if (rounds > limit) {
        out.failure = "scanner makes no progress";
        return out;
      }
      Bytes payload;
      const link::TScanResult r = link::ScanFrame(p, out.pending, payload);
      if (r.Kind == link::TScanKind::skNeedMore) {
        if (r.Used != 0) {
          out.failure = "need more with bytes used";
          return out;
        }
        break;
      }
      if (r.Used == 0 || r.Used > out.pending.size()) {
        out.failure = "decision uses " + std::to_string(r.Used) + " of " +
                      std::to_string(out.pending.size()) + " bytes";
        return out;
      }
      if (!out.pending.empty() && p.ErrCode() != r.Code) {
        out.failure = "checker code differs from the decision's";
        return out;
      }
      const auto used = out.pending.begin() + static_cast<std::ptrdiff_t>(r.Used);
      if (r.Kind == link::TScanKind::skFrame) {
        if (r.Code != 0) {
          out.failure = "frame with a rejection code";
          return out;
        }
        Bytes frame(out.pending.begin(), used);
        const std::size_t declared = (std::size_t{frame[12]} << 8) | frame[13];
        if (frame.size() != link::FrameLength(declared)) {
          out.failure = "frame length differs from its header";
          return out;
        }
        if (declared > 0 && payload != Bytes(frame.begin() + 16, frame.end() - 2)) {
          out.failure = "scanner payload differs from the frame's data";
          return out;
        }
        out.frames.push_back(std::move(frame));
      } else {
        out.dropped += r.Used;
      }
      out.pending.erase(out.pending.begin(), used);
    }
  }
  return out;
}

}  // namespace detail

// The scanner on a byte stream: the first byte picks the settings and how the rest is cut
// into chunks. Whatever the cut, the same frames come out, each one acceptable on its own,
// and every byte is accounted for.
inline std::string FrameScannerTarget(const std::uint8_t* data, std::size_t size) {
  if (size == 0) {
    return {};
  }
  const std::uint8_t control = data[0];
  const std::span<const std::uint8_t> stream(data + 1, size - 1);
  const detail::Settings s{(control & 1) != 0, (control & 2) != 0, (control & 4) == 0, 0,
                           (control & 8) != 0 ? 0xE082u : 0xE000u};
  std::vector<std::size_t> cuts;
  std::uint32_t state = control * 2654435761u + 1;
  for (std::size_t at = 0; at < stream.size();) {
    state = state * 1103515245u + 12345u;
    at = std::min(stream.size(), at + 1 + (state >> 16) % ((control >> 4) * 4 + 1));
    cuts.push_back(at);
  }
  const detail::Delivery whole = detail::Receive(stream, {stream.size()}, s);
  if (!whole.failure.empty()) {
    return "whole: " + whole.failure;
  }
  const detail::Delivery cut = detail::Receive(stream, cuts, s);
  if (!cut.failure.empty()) {
    return "chunked: " + cut.failure;
  }
  if (cut.frames != whole.frames || cut.pending != whole.pending) {
    return "chunking changed the frames delivered";
  }
  std::size_t accounted = whole.dropped + whole.pending.size();
  for (const Bytes& frame : whole.frames) {
    accounted += frame.size();
    link::TEcrProtocol alone(s.catalogue ? &detail::Catalogue() : nullptr);
    detail::Configure(alone, s);
    Bytes payload;
    if (!alone.CheckData(frame, payload)) {
      return "delivered frame rejected on its own";
    }
  }
  if (accounted != stream.size()) {
    return "bytes lost or duplicated";
  }
  return {};
}

}  // namespace meridox::fuzz

#include "link/frame_scanner.h"

#include <algorithm>

namespace meridox::link {

namespace {

bool HeaderSumWrong(const TEcrProtocol& protocol, std::span<const std::uint8_t> bytes) {
  return protocol.FChkSum() && FrameHeaderSum(bytes) != bytes[15];
}

TScanResult Decide(TEcrProtocol& protocol, TScanKind kind, std::size_t used, std::int32_t code) {
  protocol.SetErrCode(code);
  return TScanResult{kind, used, code};
}

}  // namespace

std::size_t NextFrameStart(std::span<const std::uint8_t> bytes, std::size_t from) {
  for (std::size_t i = from; i < bytes.size(); ++i) {
    if (bytes[i] == kFrameMarker1 && (i + 1 == bytes.size() || bytes[i + 1] == kFrameMarker2)) {
      return i;
    }
  }
  return bytes.size();
}

TScanResult ScanFrame(TEcrProtocol& protocol, std::span<const std::uint8_t> bytes,
                      std::vector<std::uint8_t>& payload) {
  if (bytes.empty()) {
    return TScanResult{TScanKind::skNeedMore, 0, kFrameShortHeader};
  }
  std::vector<std::uint8_t> scratch;
  const std::size_t size = bytes.size();
  const bool markerOk = bytes[0] == kFrameMarker1 && (size < 2 || bytes[1] == kFrameMarker2);
  if (!markerOk) {
    // Garbage before a frame: drop only up to the next possible start.
    const std::size_t drop = NextFrameStart(bytes, 1);
    protocol.CheckData(bytes.first(std::min(size, std::max<std::size_t>(drop, 2))), scratch);
    return Decide(protocol, TScanKind::skDrop, drop, kFrameBadMarker);
  }
  if (size < kFrameHeaderSize) {
    protocol.CheckData(bytes, scratch);
    return Decide(protocol, TScanKind::skNeedMore, 0, kFrameShortHeader);
  }
  const std::size_t frameLength = FrameLength((std::size_t{bytes[12]} << 8) | bytes[13]);
  if (size < frameLength) {
    protocol.CheckData(bytes, scratch);
    // A header that fails its sum cannot be trusted for its length: waiting for up to
    // 64 KiB that will never come would hide the frames behind it.
    if (HeaderSumWrong(protocol, bytes)) {
      return Decide(protocol, TScanKind::skDrop, NextFrameStart(bytes, 1), kFrameBadHeaderSum);
    }
    return Decide(protocol, TScanKind::skNeedMore, 0, kFrameShortData);
  }
  const auto frame = bytes.first(frameLength);
  if (protocol.CheckData(frame, scratch)) {
    if (frameLength > kFrameHeaderSize) {
      payload = std::move(scratch);
    }
    return Decide(protocol, TScanKind::skFrame, frameLength, kFrameOk);
  }
  const std::int32_t code = protocol.ErrCode();
  if ((code == kFrameOtherPacket || code == kFrameOtherCommand) &&
      !HeaderSumWrong(protocol, frame)) {
    // A sound frame of another exchange: skip it whole, whatever its payload holds.
    return Decide(protocol, TScanKind::skDrop, frameLength, code);
  }
  // A damaged frame: its length or its payload is suspect, so look for the next start
  // marker inside it rather than trusting the declared length.
  return Decide(protocol, TScanKind::skDrop, NextFrameStart(bytes, 1), code);
}

}  // namespace meridox::link

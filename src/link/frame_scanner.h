// Finds frames in the bytes received so far. Unlike a check of the whole buffer, it keeps
// the bytes after an accepted frame (they may begin the next one), resynchronises on the
// next start marker after garbage instead of discarding everything, and drops a frame of
// another exchange by its declared length.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "link/ecr_protocol.h"

namespace meridox::link {

enum class TScanKind : std::uint8_t {
  skFrame,     // an accepted frame occupies the first Used bytes; its payload is in `payload`
  skNeedMore,  // the bytes may begin a frame: keep them all and wait for more
  skDrop,      // the first Used bytes (at least 1) cannot begin a frame: drop them
};

struct TScanResult {
  TScanKind Kind = TScanKind::skNeedMore;
  std::size_t Used = 0;
  std::int32_t Code = kFrameShortHeader;  // the checker's result code behind the decision
};

// Judges the start of `bytes` with `protocol` (whose request fields, PackNum() and
// bCommand(), and check flags decide acceptance). Only the candidate frame is handed to
// the checker, so its Logstring() and ReceiveLen() describe that frame alone; ErrCode()
// then equals the result's Code. `payload` changes only for an accepted frame that carries
// data. An empty `bytes` needs more and leaves the protocol untouched.
//
// Decisions depend only on the bytes present and never go back on themselves when more
// arrive, so splitting a byte stream into chunks differently yields the same frames.
TScanResult ScanFrame(TEcrProtocol& protocol, std::span<const std::uint8_t> bytes,
                      std::vector<std::uint8_t>& payload);

// Where the next possible frame start lies at or after `from`: the first AA 03, or a
// trailing AA; bytes.size() when none.
std::size_t NextFrameStart(std::span<const std::uint8_t> bytes, std::size_t from);

}  // namespace meridox::link

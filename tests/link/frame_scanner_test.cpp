#include "link/frame_scanner.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "link/ecr_commands.h"
#include "link/ecr_protocol.h"

namespace meridox::link {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes MakeFrame(std::uint32_t command, std::uint32_t packNo, const Bytes& payload) {
  TEcrProtocol builder(nullptr);
  builder.hCmd().SetCommand(command);
  builder.SetPackNum(packNo);
  builder.SetEcrID("1");
  Bytes frame;
  builder.PackageBuffer(payload, static_cast<std::int32_t>(payload.size()), frame);
  return frame;
}

Bytes Concat(std::initializer_list<Bytes> parts) {
  Bytes all;
  for (const Bytes& part : parts) {
    all.insert(all.end(), part.begin(), part.end());
  }
  return all;
}

// What a receive path sees: every accepted frame (command and payload) and every drop.
struct Event {
  bool frame;
  std::uint32_t command;  // frames
  Bytes payload;          // frames with data
  std::size_t dropped;    // drops
  std::int32_t code;
  bool operator==(const Event&) const = default;
};

void PrintTo(const Event& e, std::ostream* os) {
  if (e.frame) {
    *os << "frame " << std::hex << e.command << std::dec << " with " << e.payload.size()
        << " bytes";
  } else {
    *os << "drop " << e.dropped << " (code " << e.code << ")";
  }
}

Event FrameEvent(std::uint32_t command, Bytes payload) {
  return Event{true, command, std::move(payload), 0, 0};
}
Event DropEvent(std::size_t count, std::int32_t code) {
  return Event{false, 0, {}, count, code};
}

// A receive path as the link runs it: append each chunk, then take decisions until more
// bytes are needed.
class ReceivePath {
 public:
  ReceivePath() : protocol_(&commands_) {
    InitCommands(commands_);
    protocol_.SetFChkSum(true);
    protocol_.SetFChkCrc(true);
    protocol_.SetBCommand(0xE082);
  }

  TEcrProtocol& protocol() { return protocol_; }
  const Bytes& pending() const { return pending_; }
  std::vector<Event> events;
  std::vector<std::int32_t> waits;  // the code of each "need more"

  void Feed(const Bytes& chunk) {
    pending_.insert(pending_.end(), chunk.begin(), chunk.end());
    for (;;) {
      Bytes payload;
      const TScanResult r = ScanFrame(protocol_, pending_, payload);
      if (!pending_.empty()) {
        ASSERT_EQ(protocol_.ErrCode(), r.Code);
      }
      if (r.Kind == TScanKind::skNeedMore) {
        ASSERT_EQ(r.Used, 0u);
        waits.push_back(r.Code);
        return;
      }
      ASSERT_GE(r.Used, 1u);
      ASSERT_LE(r.Used, pending_.size());
      if (r.Kind == TScanKind::skFrame) {
        events.push_back(FrameEvent(protocol_.Command(), payload));
      } else {
        events.push_back(DropEvent(r.Used, r.Code));
      }
      pending_.erase(pending_.begin(), pending_.begin() + static_cast<std::ptrdiff_t>(r.Used));
    }
  }

 private:
  TEcrCommands commands_;
  TEcrProtocol protocol_;
  Bytes pending_;
};

const Bytes kPayloadA{0x01, 0x02, 0x03};
const Bytes kPayloadB{0xAA, 0x03, 0xAA};  // markers inside a payload must not confuse anyone
const Bytes kSaleA = MakeFrame(0xE082, 0, kPayloadA);
const Bytes kSaleB = MakeFrame(0xE082, 0, kPayloadB);
const Bytes kOnline = MakeFrame(0xE088, 0, {});

TEST(FrameScannerTest, TwoFramesInOneChunkBothDeliveredInOrder) {
  ReceivePath path;
  path.Feed(Concat({kSaleA, kSaleB}));
  EXPECT_EQ(path.events,
            (std::vector<Event>{FrameEvent(0xE082, kPayloadA), FrameEvent(0xE082, kPayloadB)}));
  EXPECT_TRUE(path.pending().empty());
}

TEST(FrameScannerTest, FrameSplitOverThreeChunks) {
  ReceivePath path;
  path.Feed(Bytes(kSaleA.begin(), kSaleA.begin() + 10));
  path.Feed(Bytes(kSaleA.begin() + 10, kSaleA.begin() + 18));
  EXPECT_TRUE(path.events.empty());
  path.Feed(Bytes(kSaleA.begin() + 18, kSaleA.end()));
  EXPECT_EQ(path.waits, (std::vector<std::int32_t>{6, 2, 6}));
  EXPECT_EQ(path.events, (std::vector<Event>{FrameEvent(0xE082, kPayloadA)}));
}

TEST(FrameScannerTest, GarbageBeforeAFrameIsDroppedUpToTheMarker) {
  ReceivePath path;
  path.Feed(Concat({{0x00, 0xAA, 0x55, 0x03, 0xFF}, kSaleA}));
  EXPECT_EQ(path.events, (std::vector<Event>{DropEvent(5, 1), FrameEvent(0xE082, kPayloadA)}));
}

TEST(FrameScannerTest, LoneTrailingMarkerIsKeptForTheNextChunk) {
  ReceivePath path;
  path.Feed({0x10, 0x20, 0xAA});
  EXPECT_EQ(path.events, (std::vector<Event>{DropEvent(2, 1)}));
  EXPECT_EQ(path.pending(), (Bytes{0xAA}));
  path.Feed(Bytes(kSaleA.begin() + 1, kSaleA.end()));
  EXPECT_EQ(path.events.back(), FrameEvent(0xE082, kPayloadA));
  EXPECT_TRUE(path.pending().empty());
}

Bytes HeaderDeclaring(std::size_t dataLen, bool rightSum) {
  Bytes header = MakeFrame(0xE082, 0, {});
  header[12] = static_cast<std::uint8_t>(dataLen >> 8);
  header[13] = static_cast<std::uint8_t>(dataLen);
  header[15] = static_cast<std::uint8_t>(FrameHeaderSum(header) + (rightSum ? 0 : 1));
  return header;
}

TEST(FrameScannerTest, DeclaredMaximumLengthWithTooFewBytesWaits) {
  ReceivePath path;
  path.Feed(Concat({HeaderDeclaring(65535, true), Bytes(1000, 0x00)}));
  EXPECT_TRUE(path.events.empty());
  EXPECT_EQ(path.waits.back(), 2);
  EXPECT_EQ(path.protocol().ReceiveLen(), 65535);
  EXPECT_EQ(path.pending().size(), 1016u);
}

TEST(FrameScannerTest, IncompleteFrameWithDamagedHeaderDoesNotHideTheNextFrame) {
  ReceivePath path;
  path.Feed(Concat({HeaderDeclaring(65535, false), kSaleA}));
  EXPECT_EQ(path.events, (std::vector<Event>{DropEvent(16, 4), FrameEvent(0xE082, kPayloadA)}));
}

TEST(FrameScannerTest, IncompleteFrameWithDamagedHeaderWaitsWhenSumsAreNotChecked) {
  ReceivePath path;
  path.protocol().SetFChkSum(false);
  path.Feed(Concat({HeaderDeclaring(65535, false), kSaleA}));
  EXPECT_TRUE(path.events.empty());
  EXPECT_EQ(path.waits.back(), 2);
}

TEST(FrameScannerTest, FrameOfAnotherExchangeIsDroppedWholeRestKept) {
  // Payloads that hold a complete frame of this exchange: skipping by the declared length
  // must not pick it out of the foreign frame.
  const Bytes otherPacket = MakeFrame(0xE082, 7, kSaleA);
  const Bytes otherCommand = MakeFrame(0xE000, 0, kSaleA);
  ReceivePath path;
  path.Feed(Concat({otherPacket, otherCommand, kSaleB}));
  EXPECT_EQ(path.events,
            (std::vector<Event>{DropEvent(otherPacket.size(), 8), DropEvent(otherCommand.size(), 9),
                                FrameEvent(0xE082, kPayloadB)}));
}

TEST(FrameScannerTest, DamagedFrameResynchronisesOnTheNextMarker) {
  Bytes badCrc = kSaleA;
  badCrc.back() ^= 0x01;
  Bytes badSum = MakeFrame(0xE082, 0, kPayloadA);
  badSum[15] ^= 0x01;
  ReceivePath path;
  path.Feed(Concat({badCrc, badSum, kSaleB}));
  EXPECT_EQ(path.events,
            (std::vector<Event>{DropEvent(badCrc.size(), 5), DropEvent(badSum.size(), 4),
                                FrameEvent(0xE082, kPayloadB)}));
}

TEST(FrameScannerTest, FrameWithoutPayloadLeavesPayloadAlone) {
  TEcrCommands commands;
  InitCommands(commands);
  TEcrProtocol protocol(&commands);
  protocol.SetFChkCrc(true);
  protocol.SetFChkSum(true);
  Bytes payload{0x42};
  Bytes badCrc = kSaleA;
  badCrc.back() ^= 0x01;
  protocol.SetBCommand(0xE082);
  EXPECT_EQ(ScanFrame(protocol, badCrc, payload).Kind, TScanKind::skDrop);
  EXPECT_EQ(payload, Bytes{0x42});
  const TScanResult r = ScanFrame(protocol, kOnline, payload);
  EXPECT_EQ(r.Kind, TScanKind::skFrame);
  EXPECT_EQ(r.Used, 16u);
  EXPECT_EQ(payload, Bytes{0x42});
}

TEST(FrameScannerTest, CheckerDescribesOnlyTheCandidateFrame) {
  TEcrCommands commands;
  InitCommands(commands);
  TEcrProtocol protocol(&commands);
  protocol.SetBCommand(0xE082);
  Bytes payload;
  const Bytes both = Concat({kSaleA, kSaleB});
  const TScanResult r = ScanFrame(protocol, both, payload);
  EXPECT_EQ(r.Kind, TScanKind::skFrame);
  EXPECT_EQ(r.Used, kSaleA.size());
  EXPECT_EQ(protocol.Logstring(), HexImage("Receive:", kSaleA));
  EXPECT_EQ(protocol.ReceiveLen(), 3);
}

TEST(FrameScannerTest, EmptyInputNeedsMoreAndTouchesNothing) {
  TEcrProtocol protocol(nullptr);
  protocol.SetLogstring("before");
  Bytes payload;
  const TScanResult r = ScanFrame(protocol, {}, payload);
  EXPECT_EQ(r.Kind, TScanKind::skNeedMore);
  EXPECT_EQ(protocol.Logstring(), "before");
}

struct StartCase {
  Bytes bytes;
  std::size_t from;
  std::size_t expected;
};

class NextFrameStartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(NextFrameStartTest, FindsMarkerPairOrTrailingMarker) {
  const StartCase& c = GetParam();
  EXPECT_EQ(NextFrameStart(c.bytes, c.from), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Cases, NextFrameStartTest,
                         ::testing::Values(StartCase{{}, 1, 0}, StartCase{{0xAA, 0x03}, 1, 2},
                                           StartCase{{0xAA, 0x03}, 0, 0},
                                           StartCase{{0x00, 0xAA}, 1, 1},
                                           StartCase{{0x00, 0xAA, 0x04, 0xAA, 0x03}, 1, 3},
                                           StartCase{{0x00, 0x03, 0xAA, 0xAA, 0x03}, 1, 3},
                                           StartCase{{0x00, 0x01, 0x02}, 1, 3},
                                           StartCase{{0x00}, 5, 1}));

// However a stream is cut into chunks, the same frames come out in the same order.
class ChunkingTest : public ::testing::TestWithParam<std::size_t> {};

TEST_P(ChunkingTest, SameFramesForEveryChunkSize) {
  Bytes otherPacket = MakeFrame(0xE082, 3, kPayloadB);
  Bytes badCrc = kSaleB;
  badCrc.back() ^= 0x10;
  const Bytes stream = Concat({{0x00, 0xAA},
                               kSaleA,
                               {0xAA, 0xAA, 0x03, 0x00},
                               otherPacket,
                               kOnline,
                               badCrc,
                               HeaderDeclaring(40000, false),
                               kSaleB,
                               {0x13, 0xAA}});
  ReceivePath whole;
  whole.Feed(stream);
  ReceivePath cut;
  const std::size_t step = GetParam();
  for (std::size_t at = 0; at < stream.size(); at += step) {
    const std::size_t end = std::min(stream.size(), at + step);
    cut.Feed(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(at),
                   stream.begin() + static_cast<std::ptrdiff_t>(end)));
  }
  std::vector<Event> wholeFrames;
  std::vector<Event> cutFrames;
  for (const Event& e : whole.events) {
    if (e.frame) {
      wholeFrames.push_back(e);
    }
  }
  for (const Event& e : cut.events) {
    if (e.frame) {
      cutFrames.push_back(e);
    }
  }
  EXPECT_EQ(wholeFrames, (std::vector<Event>{FrameEvent(0xE082, kPayloadA), FrameEvent(0xE088, {}),
                                             FrameEvent(0xE082, kPayloadB)}));
  EXPECT_EQ(cutFrames, wholeFrames);
  EXPECT_EQ(cut.pending(), whole.pending());
  EXPECT_EQ(whole.pending(), (Bytes{0xAA}));
}

INSTANTIATE_TEST_SUITE_P(Sizes, ChunkingTest, ::testing::Values(1, 2, 3, 7, 16, 17, 1000));

}  // namespace
}  // namespace meridox::link

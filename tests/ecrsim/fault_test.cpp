// Each scripted fault as the bridge would meet it on the wire: a plain loopback client
// sends a real request frame and looks at the bytes that come back.
#include <gtest/gtest.h>

#include <thread>

#include "codec/greek.h"
#include "ecr_client.h"
#include "request_payloads.h"
#include "simulator.h"

namespace meridox::ecrsim {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;

// Cuts raw bytes into frames by their declared lengths (garbage before a marker is skipped).
std::vector<Bytes> SplitFrames(const Bytes& raw, std::size_t* garbage = nullptr) {
  std::vector<Bytes> frames;
  std::size_t pos = 0;
  std::size_t skipped = 0;
  while (pos + 16 <= raw.size()) {
    if (raw[pos] != 0xAA || raw[pos + 1] != 0x03) {
      ++pos;
      ++skipped;
      continue;
    }
    const std::size_t length = link::FrameLength((std::size_t{raw[pos + 12]} << 8) | raw[pos + 13]);
    if (pos + length > raw.size()) {
      break;
    }
    frames.emplace_back(raw.begin() + static_cast<std::ptrdiff_t>(pos),
                        raw.begin() + static_cast<std::ptrdiff_t>(pos + length));
    pos += length;
  }
  if (garbage) {
    *garbage = skipped;
  }
  return frames;
}

std::uint32_t PacketOf(const Bytes& frame) {
  return (std::uint32_t{frame[4]} << 24) | (std::uint32_t{frame[5]} << 16) |
         (std::uint32_t{frame[6]} << 8) | frame[7];
}
std::uint32_t CodeOf(const Bytes& frame) {
  return (std::uint32_t{frame[2]} << 8) | frame[3];
}

// The frame checker's verdict on one answer frame for a request of `id` with `packet`.
std::int32_t CheckerCode(const link::TEcrCommands& catalogue, std::int32_t id, std::uint32_t packet,
                         const Bytes& frame) {
  link::TEcrProtocol checker(&catalogue);
  checker.SetPackNum(packet);
  checker.SetBCommand(catalogue.FindByID(id)->Command());
  checker.SetFChkSum(true);
  checker.SetFChkCrc(true);
  Bytes payload;
  checker.CheckData(frame, static_cast<std::int32_t>(frame.size()), payload);
  return checker.ErrCode();
}

class FaultTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = sim_.StartTcp(0);
    ASSERT_NE(port_, 0) << sim_.LastError();
    client_.Connect(port_);
  }
  // Sends a status query and collects the raw answer bytes for a while.
  Bytes RawAnswer(std::int32_t id, const Bytes& payload, std::uint32_t packet,
                  std::chrono::milliseconds wait = 400ms, std::size_t enough = SIZE_MAX) {
    client_.Send(client_.Frame(id, payload, packet));
    return client_.ReadFor(wait, enough);
  }

  Simulator sim_;
  std::uint16_t port_ = 0;
  testing::EcrClient client_;
};

TEST_F(FaultTest, NoAnswerLeavesTheRequestUnansweredAndUnexecuted) {
  sim_.AddFault({.kind = FaultKind::kNoAnswer, .command_id = 10004});
  EXPECT_TRUE(RawAnswer(10004, testing::SaleLine(1, "COLA", 1000, 100), 0).empty());
  EXPECT_FALSE(sim_.State().receipt_open);
  // The rule was for one request: the retry is answered and sells.
  EXPECT_TRUE(client_.Exchange(10004, testing::SaleLine(1, "COLA", 1000, 100)).ok);
  EXPECT_TRUE(sim_.State().receipt_open);
}

TEST_F(FaultTest, NthAndTimesSelectTheRequestsHit) {
  sim_.AddFault({.kind = FaultKind::kNoAnswer, .command_id = 20000, .nth = 2, .times = 2});
  const bool expected[] = {true, false, false, true, true};
  for (bool answered : expected) {
    EXPECT_EQ(client_.Exchange(20000, {}, 0, answered ? 2000ms : 300ms).ok, answered);
  }
}

TEST_F(FaultTest, RulesForOtherCommandsDoNotCount) {
  sim_.AddFault({.kind = FaultKind::kNoAnswer, .command_id = 30008, .nth = 2});
  EXPECT_TRUE(client_.Exchange(20000, {}).ok);
  EXPECT_TRUE(client_.Exchange(30008, {}).ok);
  EXPECT_TRUE(client_.Exchange(20000, {}).ok);
  EXPECT_FALSE(client_.Exchange(30008, {}, 0, 300ms).ok);
}

TEST_F(FaultTest, DelayHoldsTheAnswerBack) {
  sim_.AddFault({.kind = FaultKind::kDelay, .command_id = 20000, .delay_ms = 600});
  client_.Send(client_.Frame(20000, {}));
  EXPECT_TRUE(client_.ReadFor(200ms).empty());
  EXPECT_TRUE(client_.Receive(20000, 0, 3000ms).ok);
}

TEST_F(FaultTest, SplitSendsTheFrameInPieces) {
  sim_.AddFault({.kind = FaultKind::kSplit, .command_id = 30008, .delay_ms = 150, .chunk_size = 5});
  client_.Send(client_.Frame(30008, {}));
  const Bytes first = client_.ReadFor(100ms);
  EXPECT_EQ(first.size(), 5u);
  const Bytes rest = client_.ReadFor(3000ms, 44 - first.size());
  Bytes whole = first;
  whole.insert(whole.end(), rest.begin(), rest.end());
  ASSERT_EQ(whole.size(), 44u);  // 16 + 26 + 2
  EXPECT_EQ(CheckerCode(client_.Catalogue(), 30008, 0, whole), link::kFrameOk);
}

TEST_F(FaultTest, GarbageComesBeforeAnIntactFrame) {
  sim_.AddFault(
      {.kind = FaultKind::kGarbageBefore, .command_id = 20000, .bytes = {0x11, 0x22, 0x33}});
  const Bytes raw = RawAnswer(20000, {}, 0, 400ms, 3 + 20);
  ASSERT_GE(raw.size(), 3u);
  EXPECT_EQ(Bytes(raw.begin(), raw.begin() + 3), (Bytes{0x11, 0x22, 0x33}));
  std::size_t garbage = 0;
  const std::vector<Bytes> frames = SplitFrames(raw, &garbage);
  EXPECT_EQ(garbage, 3u);
  ASSERT_EQ(frames.size(), 1u);
  EXPECT_EQ(CheckerCode(client_.Catalogue(), 20000, 0, frames[0]), link::kFrameOk);
  // Judged as a whole, like the bridge's receive path does, the stream fails on its marker.
  EXPECT_EQ(CheckerCode(client_.Catalogue(), 20000, 0, raw), link::kFrameBadMarker);
}

struct BrokenCase {
  const char* name;
  FaultKind kind;
  std::int32_t id;
  std::int32_t checker_code;  // what the checker says about the (only / first) answer
};

void PrintTo(const BrokenCase& c, std::ostream* os) {
  *os << c.name;
}

class BrokenAnswerTest : public FaultTest, public ::testing::WithParamInterface<BrokenCase> {};

TEST_P(BrokenAnswerTest, CheckerRejectsTheFirstAnswer) {
  const BrokenCase& c = GetParam();
  sim_.AddFault({.kind = c.kind, .command_id = static_cast<std::uint32_t>(c.id)});
  const Bytes raw = RawAnswer(c.id, {}, 7);
  const std::vector<Bytes> frames = SplitFrames(raw);
  ASSERT_FALSE(frames.empty());
  EXPECT_EQ(CheckerCode(client_.Catalogue(), c.id, 7, frames[0]), c.checker_code);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, BrokenAnswerTest,
    ::testing::Values(
        BrokenCase{"badsum", FaultKind::kBadHeaderSum, 20000, link::kFrameBadHeaderSum},
        BrokenCase{"badcrc", FaultKind::kBadCrc, 20000, link::kFrameBadCrc},
        BrokenCase{"badcrc_on_empty_answer", FaultKind::kBadCrc, 10000, link::kFrameBadCrc},
        BrokenCase{"wrongpack", FaultKind::kWrongPacketFirst, 20000, link::kFrameOtherPacket}),
    [](const ::testing::TestParamInfo<BrokenCase>& param_info) { return param_info.param.name; });

TEST_F(FaultTest, WrongPacketNumberIsFollowedByTheRightAnswer) {
  sim_.AddFault({.kind = FaultKind::kWrongPacketFirst, .command_id = 20000});
  const std::vector<Bytes> frames = SplitFrames(RawAnswer(20000, {}, 3, 400ms, 40));
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(PacketOf(frames[0]), 4u);
  EXPECT_EQ(PacketOf(frames[1]), 3u);
  EXPECT_EQ(CheckerCode(client_.Catalogue(), 20000, 3, frames[1]), link::kFrameOk);
}

TEST_F(FaultTest, UnsolicitedFrameComesFirst) {
  sim_.AddFault({.kind = FaultKind::kUnsolicited,
                 .command_id = 20000,
                 .packet_number = 0,
                 .payload = {0x01, 0x02}});
  const std::vector<Bytes> frames = SplitFrames(RawAnswer(20000, {}, 0, 400ms, 20 + 20));
  ASSERT_EQ(frames.size(), 2u);
  EXPECT_EQ(CodeOf(frames[0]), 0xE088u);
  EXPECT_EQ(Bytes(frames[0].begin() + 16, frames[0].begin() + 18), (Bytes{0x01, 0x02}));
  EXPECT_EQ(CodeOf(frames[1]), 0xE000u);
}

TEST_F(FaultTest, CloseDropsTheConnectionAndTheNextOneIsServed) {
  sim_.AddFault({.kind = FaultKind::kCloseConnection, .command_id = 10000});
  client_.Send(client_.Frame(10000, {}));
  EXPECT_TRUE(client_.PeerClosed(2000ms));
  testing::EcrClient again;
  again.Connect(port_);
  EXPECT_TRUE(again.Exchange(10000, {}).ok);
  EXPECT_EQ(sim_.Connections(), 2u);
}

TEST_F(FaultTest, RefuseNthRequestOfACommand) {
  std::uint8_t sale_number = 0;
  for (bool marker : {true, false}) {
    sim_.AddFault({.kind = FaultKind::kRefuse,
                   .command_id = 10004,
                   .nth = 2,
                   .text = "ΧΑΡΤΙ ΤΕΛΟΣ",
                   .marker = marker});
    const testing::Answer first =
        client_.Exchange(10004, testing::SaleLine(++sale_number, "A", 1000, 100));
    const testing::Answer second =
        client_.Exchange(10004, testing::SaleLine(++sale_number, "B", 1000, 100));
    ASSERT_TRUE(first.ok && second.ok);
    EXPECT_EQ(first.command, 0xE082u);
    EXPECT_EQ(second.command, 0x800Du);
    ASSERT_FALSE(second.payload.empty());
    EXPECT_EQ(second.payload[0] == 0xFE, marker);
    EXPECT_EQ(testing::RefusalText(second.payload), "ΧΑΡΤΙ ΤΕΛΟΣ");
  }
  // Refused lines were not sold: one line per round.
  EXPECT_EQ(sim_.State().lines, 2u);
}

TEST_F(FaultTest, StatusWordForNQueriesThenDerived) {
  sim_.SetStatusWord(8, 2, "ΒΛΑΒΗ ΕΚΤΥΠΩΤΗ");
  for (int i = 0; i < 3; ++i) {
    const testing::Answer answer = client_.Exchange(20000, {});
    ASSERT_TRUE(answer.ok);
    ASSERT_GE(answer.payload.size(), 2u);
    const int word = (answer.payload[0] << 8) | answer.payload[1];
    if (i < 2) {
      EXPECT_EQ(word, 8);
      EXPECT_EQ(codec::DecodeGreek(std::span(answer.payload).subspan(2)), "ΒΛΑΒΗ ΕΚΤΥΠΩΤΗ");
    } else {
      EXPECT_EQ(word, 0);
      EXPECT_EQ(answer.payload.size(), 2u);
    }
  }
}

struct PendingCase {
  PendingKind kind;
  std::int32_t read_id;
  int bit;
};

class PendingDataTest : public FaultTest, public ::testing::WithParamInterface<PendingCase> {};

TEST_P(PendingDataTest, BitStaysUntilTheEmptyLastAnswer) {
  const PendingCase& c = GetParam();
  sim_.SetPendingData(c.kind, {{0x01, 0x02}, {0x03}});
  auto status_word = [&] {
    const testing::Answer answer = client_.Exchange(20000, {});
    return answer.ok && answer.payload.size() >= 2 ? (answer.payload[0] << 8) | answer.payload[1]
                                                   : -1;
  };
  EXPECT_EQ(status_word(), c.bit);
  EXPECT_EQ(client_.Exchange(c.read_id, {}, 0).payload, (Bytes{0x01, 0x02}));
  EXPECT_EQ(client_.Exchange(c.read_id, {}, 1).payload, (Bytes{0x03}));
  EXPECT_EQ(status_word(), c.bit);  // not yet read to its end
  const testing::Answer last = client_.Exchange(c.read_id, {}, 2);
  ASSERT_TRUE(last.ok);
  EXPECT_TRUE(last.payload.empty());
  EXPECT_EQ(status_word(), 0);
}

INSTANTIATE_TEST_SUITE_P(Bits, PendingDataTest,
                         ::testing::Values(PendingCase{PendingKind::kPluReport, 20002, 1},
                                           PendingCase{PendingKind::kReceiptContent, 10009, 2}));

TEST_F(FaultTest, ReconnectBitUntilConnect) {
  sim_.RequestReconnect();
  EXPECT_EQ(client_.Exchange(20000, {}).payload, (Bytes{0, 4}));
  EXPECT_TRUE(client_.Exchange(10000, {}).ok);
  EXPECT_EQ(client_.Exchange(20000, {}).payload, (Bytes{0, 0}));
}

TEST_F(FaultTest, SlowReportDelaysOnlyTheReport) {
  sim_.AddFault(
      {.kind = FaultKind::kDelay, .command_id = 30009, .times = kForever, .delay_ms = 700});
  EXPECT_TRUE(client_.Exchange(20000, {}, 0, 300ms).ok);
  client_.Send(client_.Frame(30009, testing::Letters("101")));
  EXPECT_TRUE(client_.ReadFor(300ms).empty());
  EXPECT_TRUE(client_.Receive(30009, 0, 3000ms).ok);
}

TEST_F(FaultTest, RetriedSaleAfterBrokenAnswerIsNotSoldTwice) {
  sim_.AddFault({.kind = FaultKind::kBadCrc, .command_id = 10004});
  const Bytes sale = testing::SaleLine(1, "COLA", 1000, 120);
  EXPECT_FALSE(client_.Exchange(10004, sale, 0, 300ms).ok);
  const testing::Answer retry = client_.Exchange(10004, sale, 0);
  ASSERT_TRUE(retry.ok);
  EXPECT_EQ(retry.command, 0xE082u);
  EXPECT_EQ(sim_.State().lines, 1u);
  EXPECT_EQ(sim_.State().total, 120);
}

}  // namespace
}  // namespace meridox::ecrsim

// Exchanges over a socket supplied by the host application, scripted byte for byte, so
// that every receive-path and retry rule can be shown exactly; a fake clock makes the
// time-outs free.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "codec/greek.h"
#include "link/hecr_link.h"
#include "link_test_support.h"
#include "platform/clock.h"

namespace meridox::link {
namespace {

using testing::AnswerWith;
using testing::Bytes;
using testing::Frame;
using testing::LogCapture;
using testing::NeverAnswer;
using testing::ScriptedSocket;
using testing::SentRequest;

constexpr std::int32_t kSale = 10004;        // 0xE082, csDownload
constexpr std::int32_t kTest = 100;          // 0xA001, csUpload
constexpr std::int32_t kStatus = 20000;      // 0xE000, csUpload
constexpr std::int32_t kProperties = 30008;  // 0xE0FF, csUpload
const std::string kEcrId = "907158";

// Test names from the cases' own names.
struct CaseName {
  template <typename Info>
  std::string operator()(const Info& test) const {
    return test.param.name;
  }
};

class ExchangeTest : public ::testing::Test {
 protected:
  ExchangeTest() : link(log.logger(), clock) {
    link.ConnParams.Mode = TConnMode::cmTCP;
    link.ConnParams.Socket = socket;
  }

  bool Send(std::int32_t id, std::int32_t time_out = 50, std::int32_t retry = 1,
            std::int32_t pack = 0) {
    buffer = payload;
    return link.SendBuffer(id, buffer, pack, static_cast<std::int32_t>(payload.size()), time_out,
                           retry, kEcrId);
  }

  LogCapture log;
  platform::FakeClock clock;
  THecrLink link;
  std::shared_ptr<ScriptedSocket> socket = std::make_shared<ScriptedSocket>();
  Bytes payload{0x01, 0x02, 0x03};
  Bytes buffer;
};

TEST_F(ExchangeTest, StartsWithTheDocumentedDefaults) {
  THecrLink fresh;
  EXPECT_EQ(fresh.Retrycnt(), 3);
  EXPECT_EQ(fresh.TimeOut(), 5000);
  EXPECT_TRUE(fresh.Debug());
  EXPECT_TRUE(fresh.Checksum());
  EXPECT_TRUE(fresh.Checkcrc());
  EXPECT_FALSE(fresh.Active());
  EXPECT_FALSE(fresh.Connected());
  EXPECT_FALSE(fresh.RaiseError());
  EXPECT_EQ(fresh.ErrCode(), 0);
  EXPECT_EQ(fresh.ErrMsg(), "");
  EXPECT_EQ(fresh.ArgsRevLen(), -1);
  EXPECT_EQ(fresh.Commands().Count(), 80u);
  EXPECT_EQ(fresh.ConnParams.Mode, TConnMode::cmTCP);
  EXPECT_EQ(fresh.EventArgs().FProtocal, nullptr);
}

TEST_F(ExchangeTest, UnknownCommandIdFailsWithoutWriting) {
  socket->SetResponder(AnswerWith({}));
  EXPECT_FALSE(Send(99));
  EXPECT_EQ(link.ErrCode(), -1);
  EXPECT_EQ(link.ErrMsg(), "Error");
  EXPECT_TRUE(link.Active());  // Open ran first
  EXPECT_TRUE(socket->requests.empty());
  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 1u);
  EXPECT_EQ(lines[0].tag, "Error");
  EXPECT_EQ(lines[0].text, "ERROR ID:-1,Error");
}

struct RetryCase {
  std::int32_t retry_count;
  int attempts;
};

class RetryTest : public ExchangeTest, public ::testing::WithParamInterface<RetryCase> {};

TEST_P(RetryTest, AttemptsThenGivesUpWithOneLoggedFailure) {
  socket->SetResponder(NeverAnswer());
  EXPECT_FALSE(Send(kSale, 50, GetParam().retry_count, 4));
  ASSERT_EQ(socket->requests.size(), static_cast<std::size_t>(GetParam().attempts));
  for (const SentRequest& request : socket->requests) {
    EXPECT_EQ(request.frame, socket->requests.front().frame);  // same frame, same number
    EXPECT_EQ(request.packet, 4u);
  }
  // The supplied socket's wait counts 2 per poll up to the time-out.
  EXPECT_EQ(link.PollCount(), 25u * static_cast<unsigned>(GetParam().attempts));
  EXPECT_EQ(link.ErrCode(), 50004);
  EXPECT_EQ(link.ErrMsg(), "Send Data Error, Retry Complete");
  EXPECT_EQ(log.Count("ERROR ID:50004,Send Data Error, Retry Complete"), 1);
  EXPECT_EQ(log.Count("Retry:"), 0);
  EXPECT_EQ(log.Count("50008"), 0);
  EXPECT_EQ(log.Count("Send:"), 1);  // once per exchange, not per attempt
}

INSTANTIATE_TEST_SUITE_P(Counts, RetryTest,
                         ::testing::Values(RetryCase{0, 1}, RetryCase{1, 1}, RetryCase{2, 2},
                                           RetryCase{3, 3}, RetryCase{259, 3}, RetryCase{256, 1}));

TEST_F(ExchangeTest, RetryNoticeIsRecordedUnloggedAndClearedBySuccess) {
  std::int32_t code_seen = 0;
  std::string text_seen;
  socket->SetResponder([&](const SentRequest& request) {
    if (socket->requests.size() < 3)
      return std::vector<Bytes>{};
    code_seen = link.ErrCode();
    text_seen = link.ErrMsg();
    return std::vector<Bytes>{Frame(request.code, request.packet, {})};
  });
  EXPECT_TRUE(Send(kSale, 50, 3));
  EXPECT_EQ(socket->requests.size(), 3u);
  EXPECT_EQ(code_seen, 50008);
  EXPECT_EQ(text_seen, "Retry:2");
  EXPECT_EQ(link.ErrCode(), 0);
  EXPECT_EQ(link.ErrMsg(), "");
  EXPECT_EQ(log.Count("ERROR ID"), 0);
}

struct RefusalCase {
  bool marker;
  std::string text;
  std::int32_t code;
};

class RefusalTest : public ExchangeTest, public ::testing::WithParamInterface<RefusalCase> {};

TEST_P(RefusalTest, BecomesAnErrorWithTheDecodedText) {
  const RefusalCase& c = GetParam();
  socket->SetResponder([&c](const SentRequest& request) {
    Bytes body;
    if (c.marker)
      body.push_back(0xFE);
    const Bytes greek = codec::EncodeGreek(c.text);
    body.insert(body.end(), greek.begin(), greek.end());
    return std::vector<Bytes>{Frame(0x800D, request.packet, body)};
  });
  EXPECT_FALSE(Send(kSale));
  EXPECT_EQ(link.ErrCode(), c.code);
  EXPECT_EQ(link.ErrMsg(), c.text);
  EXPECT_EQ(link.Protocol().ResultID(), c.code);
  EXPECT_EQ(log.Count("ERROR ID:" + std::to_string(c.code) + ","), 1);
  EXPECT_EQ(socket->requests.size(), 1u);  // a refusal is an answer: no retry
}

INSTANTIATE_TEST_SUITE_P(
    Markers, RefusalTest,
    ::testing::Values(
        RefusalCase{
            true, "\u0391\u03A1\u039D\u0397\u03A3\u0397 \u0395\u039D\u03A4\u039F\u039B\u0397\u03A3",
            254},
        RefusalCase{
            false, "\u039B\u0391\u0398\u039F\u03A3 \u039A\u03A9\u0394\u0399\u039A\u039F\u03A3", 13},
        RefusalCase{false, "", 13}, RefusalCase{true, "", 254}));

// How the answer's command status decides what reaches the caller.
struct StatusCase {
  const char* name;
  std::int32_t id;
  Bytes answer;
  bool result;
  Bytes buffer_after;  // the request payload stays for acknowledgements
  std::int32_t revlen;
};

class AnswerStatusTest : public ExchangeTest, public ::testing::WithParamInterface<StatusCase> {};

TEST_P(AnswerStatusTest, HandsBackDataOnlyForUploads) {
  const StatusCase& c = GetParam();
  socket->SetResponder(AnswerWith(c.answer));
  EXPECT_EQ(Send(c.id), c.result);
  EXPECT_EQ(buffer, c.buffer_after);
  EXPECT_EQ(link.ArgsRevLen(), c.revlen);
  EXPECT_EQ(link.ErrCode(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Statuses, AnswerStatusTest,
    ::testing::Values(StatusCase{"upload", kTest, {0x0A, 0x0B}, true, {0x0A, 0x0B}, 2},
                      StatusCase{"upload_empty", kTest, {}, true, {}, 0},
                      StatusCase{"download_ack", kSale, {0x0A}, true, {0x01, 0x02, 0x03}, 1}),
    CaseName());

// The receive path: which byte sequences make an answer, however they are cut.
struct ReceiveCase {
  const char* name;
  // The chunks that arrive for the request (packet number 2, command 0xA001).
  std::vector<Bytes> (*chunks)(const SentRequest&);
  bool result;
  int online_events;
};

const Bytes kAnswer{0xA1, 0xB2, 0xC3};

Bytes Join(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

Bytes Right(const SentRequest& r) {
  return Frame(r.code, r.packet, kAnswer);
}

std::vector<Bytes> SplitInThree(const SentRequest& r) {
  const Bytes f = Right(r);
  return {Bytes(f.begin(), f.begin() + 5), Bytes(f.begin() + 5, f.begin() + 17),
          Bytes(f.begin() + 17, f.end())};
}

std::vector<Bytes> OtherPacketThenRightInOneRead(const SentRequest& r) {
  return {Join(Frame(r.code, r.packet + 1, {0x55}), Right(r))};
}

std::vector<Bytes> OtherPacketThenRightApart(const SentRequest& r) {
  return {Frame(r.code, r.packet + 1, {0x55}), Right(r)};
}

std::vector<Bytes> GarbageThenRight(const SentRequest& r) {
  return {Join(Bytes{0x00, 0x55, 0x13, 0xAA}, Right(r))};
}

std::vector<Bytes> UnknownCommandThenRight(const SentRequest& r) {
  return {Join(Frame(0x1234, r.packet, {0x77}), Right(r))};
}

std::vector<Bytes> UnsolicitedThenRightInOneRead(const SentRequest& r) {
  return {Join(Frame(0xE088, r.packet, {0x09}), Right(r))};
}

// Checked against the exchange's packet number like any frame.
std::vector<Bytes> UnsolicitedOtherPacketThenRight(const SentRequest& r) {
  return {Frame(0xE088, r.packet + 1, {0x09}), Right(r)};
}

std::vector<Bytes> OtherCommand(const SentRequest& r) {
  return {Frame(0xE000, r.packet, kAnswer)};
}

std::vector<Bytes> OnlyOtherPacket(const SentRequest& r) {
  return {Frame(r.code, r.packet + 1, kAnswer)};
}

std::vector<Bytes> BadSum(const SentRequest& r) {
  Bytes f = Right(r);
  f[15] ^= 0x01;
  return {f};
}

std::vector<Bytes> BadCrc(const SentRequest& r) {
  Bytes f = Right(r);
  f.back() ^= 0x01;
  return {f};
}

std::vector<Bytes> BadCrcThenRight(const SentRequest& r) {
  return {BadCrc(r)[0], Right(r)};
}

std::vector<Bytes> Truncated(const SentRequest& r) {
  Bytes f = Right(r);
  f.pop_back();
  return {f};
}

class ReceivePathTest : public ExchangeTest, public ::testing::WithParamInterface<ReceiveCase> {};

TEST_P(ReceivePathTest, FindsTheAnswerOrTimesOut) {
  const ReceiveCase& c = GetParam();
  int online = 0;
  link.SetOnLine([&online](THecrLink&, TEventArgs&) { ++online; });
  socket->SetResponder(c.chunks);
  EXPECT_EQ(Send(kTest, 50, 1, 2), c.result);
  EXPECT_EQ(online, c.online_events);
  if (c.result) {
    EXPECT_EQ(buffer, kAnswer);
    EXPECT_EQ(link.ArgsRevLen(), 3);
    EXPECT_EQ(link.ErrCode(), 0);
  } else {
    EXPECT_EQ(link.ErrCode(), 50004);
  }
  EXPECT_EQ(link.Protocol().PackNum(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Arrivals, ReceivePathTest,
    ::testing::Values(
        ReceiveCase{"split_over_three_reads", SplitInThree, true, 0},
        ReceiveCase{"other_packet_then_right_in_one_read", OtherPacketThenRightInOneRead, true, 0},
        ReceiveCase{"other_packet_then_right_apart", OtherPacketThenRightApart, true, 0},
        ReceiveCase{"garbage_then_right", GarbageThenRight, true, 0},
        ReceiveCase{"unknown_command_then_right", UnknownCommandThenRight, true, 0},
        ReceiveCase{"unsolicited_then_right", UnsolicitedThenRightInOneRead, true, 1},
        ReceiveCase{"unsolicited_other_packet_then_right", UnsolicitedOtherPacketThenRight, true,
                    0},
        ReceiveCase{"bad_crc_then_right", BadCrcThenRight, true, 0},
        ReceiveCase{"other_command", OtherCommand, false, 0},
        ReceiveCase{"only_other_packet", OnlyOtherPacket, false, 0},
        ReceiveCase{"bad_header_sum", BadSum, false, 0}, ReceiveCase{"bad_crc", BadCrc, false, 0},
        ReceiveCase{"one_byte_short", Truncated, false, 0}),
    CaseName());

TEST_F(ExchangeTest, RejectedFramesAreLoggedAsReceiveLines) {
  socket->SetResponder(OtherPacketThenRightApart);
  ASSERT_TRUE(Send(kTest, 50, 1, 2));
  EXPECT_EQ(log.Count("Receive:AA 03 A0 01 00 00 00 03 "), 1);  // the other packet
  EXPECT_EQ(log.Count("Receive:AA 03 A0 01 00 00 00 02 "), 1);  // the answer
}

struct CheckFlagCase {
  const char* name;
  bool checksum;
  bool checkcrc;
  std::vector<Bytes> (*chunks)(const SentRequest&);
  bool result;
};

class CheckFlagTest : public ExchangeTest, public ::testing::WithParamInterface<CheckFlagCase> {};

TEST_P(CheckFlagTest, TheLinkSettingsDecideWhatIsVerified) {
  const CheckFlagCase& c = GetParam();
  link.SetChecksum(c.checksum);
  link.SetCheckcrc(c.checkcrc);
  socket->SetResponder(c.chunks);
  EXPECT_EQ(Send(kTest), c.result);
}

INSTANTIATE_TEST_SUITE_P(Flags, CheckFlagTest,
                         ::testing::Values(CheckFlagCase{"sum_off", false, true, BadSum, true},
                                           CheckFlagCase{"sum_on", true, false, BadSum, false},
                                           CheckFlagCase{"crc_off", true, false, BadCrc, true},
                                           CheckFlagCase{"crc_on", false, true, BadCrc, false}),
                         CaseName());

TEST_F(ExchangeTest, AbortedLinkFailsWithoutTouchingTheWireUntilReopened) {
  socket->SetResponder(AnswerWith({0x01}));
  ASSERT_TRUE(link.Open());
  link.Abort();
  EXPECT_TRUE(link.Active());
  EXPECT_FALSE(link.Open() && !link.Terminated());  // Open on an open link changes nothing
  EXPECT_FALSE(Send(kTest));
  EXPECT_EQ(link.ErrCode(), 11);
  EXPECT_EQ(link.ErrMsg(), "Lost Connection");
  EXPECT_TRUE(socket->requests.empty());
  EXPECT_EQ(log.Count("ERROR ID:11,Lost Connection"), 1);
  link.Close();
  EXPECT_FALSE(link.Active());
  EXPECT_TRUE(link.Open());
  EXPECT_TRUE(Send(kTest));
  EXPECT_EQ(socket->requests.size(), 1u);
}

TEST_F(ExchangeTest, AbortOnAClosedLinkIsClearedByTheNextOpen) {
  socket->SetResponder(AnswerWith({0x01}));
  link.Abort();
  EXPECT_FALSE(link.Active());
  EXPECT_TRUE(Send(kTest));
}

TEST_F(ExchangeTest, StatusQueryFramesStayOutOfTheLog) {
  socket->SetResponder(AnswerWith({0x00, 0x00}));
  ASSERT_TRUE(Send(kStatus));
  EXPECT_EQ(log.Count("Send:"), 0);
  EXPECT_EQ(log.Count("Receive:"), 0);
  // Its failures are logged like any other.
  socket->SetResponder(NeverAnswer());
  EXPECT_FALSE(Send(kStatus));
  EXPECT_EQ(log.Count("ERROR ID:50004"), 1);
  EXPECT_EQ(log.Count("Send:"), 0);
}

TEST_F(ExchangeTest, OtherFramesAreLoggedAsHexImages) {
  socket->SetResponder(AnswerWith({0x04}));
  buffer = {0x04, 0x00};
  ASSERT_TRUE(link.SendBuffer(kTest, buffer, 0, 1, 50, 1, "1"));
  const auto lines = log.Lines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].tag, "Infor");
  EXPECT_EQ(lines[1].tag, "Infor");
  EXPECT_EQ(lines[0].text, "Send:AA 03 A0 01 00 00 00 00 00 00 00 01 00 01 00 50 04 40 84 ");
  EXPECT_EQ(lines[1].text.rfind("Receive:AA 03 A0 01 00 00 00 00 00 0D D7 96 00 01 00 ", 0), 0u);
}

enum class Ending { kSuccess, kTimeOut, kRefusal, kWithoutWait, kSendFailure };

class PackNumTest : public ExchangeTest, public ::testing::WithParamInterface<Ending> {};

TEST_P(PackNumTest, IsZeroAfterEveryExchange) {
  switch (GetParam()) {
    case Ending::kSuccess:
      socket->SetResponder(AnswerWith({0x01}));
      break;
    case Ending::kTimeOut:
    case Ending::kWithoutWait:
      socket->SetResponder(NeverAnswer());
      break;
    case Ending::kRefusal:
      socket->SetResponder([](const SentRequest& r) {
        return std::vector<Bytes>{Frame(0x800D, r.packet, {0xFE, 0x41})};
      });
      break;
    case Ending::kSendFailure:
      socket->fail_sends = true;
      break;
  }
  if (GetParam() == Ending::kWithoutWait) {
    EXPECT_TRUE(link.SendBufferEx(kTest, payload, 5, 3, 50, 1, kEcrId));
  } else {
    Send(kTest, 50, 1, 5);
  }
  if (!socket->requests.empty()) {
    EXPECT_EQ(socket->requests[0].packet, 5u);
  }
  EXPECT_EQ(link.Protocol().PackNum(), 0u);
}

INSTANTIATE_TEST_SUITE_P(Endings, PackNumTest,
                         ::testing::Values(Ending::kSuccess, Ending::kTimeOut, Ending::kRefusal,
                                           Ending::kWithoutWait, Ending::kSendFailure));

TEST_F(ExchangeTest, RefusedWritesAreReportedAndCountedAsAttempts) {
  socket->fail_sends = true;
  EXPECT_FALSE(Send(kTest, 50, 2));
  EXPECT_EQ(link.PollCount(), 0u);  // no waiting after a refused write
  EXPECT_EQ(log.Count("ERROR ID:14,Send Data ErrorConnection reset by peer"), 2);
  EXPECT_EQ(link.ErrCode(), 50004);
}

TEST_F(ExchangeTest, ReleasedOrDisconnectedSocketIsLostConnection) {
  socket->connected = false;
  EXPECT_FALSE(Send(kTest));
  EXPECT_EQ(link.ErrCode(), 11);
  EXPECT_EQ(link.ErrMsg(), "Lost Connection");
  socket->connected = true;
  std::weak_ptr<ScriptedSocket> watch = socket;
  socket.reset();  // the owner releases it
  EXPECT_TRUE(watch.expired());
  EXPECT_FALSE(Send(kTest));
  EXPECT_EQ(link.ErrCode(), 11);
  EXPECT_EQ(log.Count("ERROR ID:11,Lost Connection"), 2);
}

TEST_F(ExchangeTest, SocketReleasedDuringTheWaitClosesTheLinkQuietly) {
  socket->SetResponder(NeverAnswer());
  std::weak_ptr<ScriptedSocket> watch = socket;
  link.SetMessagePump([this] { socket.reset(); });
  EXPECT_FALSE(Send(kTest, 5000, 3));
  EXPECT_TRUE(watch.expired());
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(link.ErrCode(), 0);
  EXPECT_EQ(log.Count("ERROR ID"), 0);
}

// The eight forms of the exchange: which time-out and attempts apply, and whether they
// wait. The link's own settings: 50 ms, 2 attempts.
struct OverloadCase {
  const char* name;
  bool (*call)(THecrLink&, Bytes&);
  bool result;
  std::size_t requests;
  int polls;
};

bool ById(THecrLink& l, Bytes& b) {
  return l.SendBuffer(kTest, b, 0, 1, 30, 1, kEcrId);
}
bool ByIdDefaults(THecrLink& l, Bytes& b) {
  return l.SendBuffer(kTest, b, 0, 1, kEcrId);
}
bool ByItem(THecrLink& l, Bytes& b) {
  return l.SendBuffer(l.Commands().FindByID(kTest), b, 0, 1, 30, 1, kEcrId);
}
bool ByItemDefaults(THecrLink& l, Bytes& b) {
  return l.SendBuffer(l.Commands().FindByID(kTest), b, 0, 1, kEcrId);
}
bool ExById(THecrLink& l, Bytes& b) {
  return l.SendBufferEx(kTest, b, 0, 1, kEcrId);
}
bool ExByItem(THecrLink& l, Bytes& b) {
  return l.SendBufferEx(l.Commands().FindByID(kTest), b, 0, 1, kEcrId);
}
bool ExByIdTimed(THecrLink& l, Bytes& b) {
  return l.SendBufferEx(kTest, b, 0, 1, 30, 1, kEcrId);
}
bool ExByItemTimed(THecrLink& l, Bytes& b) {
  return l.SendBufferEx(l.Commands().FindByID(kTest), b, 0, 1, 30, 1, kEcrId);
}

class OverloadTest : public ExchangeTest, public ::testing::WithParamInterface<OverloadCase> {};

TEST_P(OverloadTest, UsesItsTimeOutAttemptsAndWaiting) {
  const OverloadCase& c = GetParam();
  link.SetTimeOut(50);
  link.SetRetrycnt(2);
  socket->SetResponder(NeverAnswer());
  buffer = {0x04};
  EXPECT_EQ(c.call(link, buffer), c.result);
  EXPECT_EQ(socket->requests.size(), c.requests);
  EXPECT_EQ(link.PollCount(), static_cast<std::uint64_t>(c.polls));
  EXPECT_EQ(buffer, Bytes{0x04});
}

INSTANTIATE_TEST_SUITE_P(
    Forms, OverloadTest,
    ::testing::Values(OverloadCase{"by_id", ById, false, 1, 15},
                      OverloadCase{"by_id_defaults", ByIdDefaults, false, 2, 50},
                      OverloadCase{"by_item", ByItem, false, 1, 15},
                      OverloadCase{"by_item_defaults", ByItemDefaults, false, 2, 50},
                      OverloadCase{"ex_by_id", ExById, true, 1, 0},
                      OverloadCase{"ex_by_item", ExByItem, true, 1, 0},
                      OverloadCase{"ex_by_id_timed", ExByIdTimed, true, 1, 0},
                      OverloadCase{"ex_by_item_timed", ExByItemTimed, true, 1, 0}),
    CaseName());

TEST_F(ExchangeTest, SendWithoutWaitLeavesTheAnswerUnread) {
  socket->SetResponder(AnswerWith({0x0F}));
  EXPECT_TRUE(link.SendBufferEx(kTest, payload, 0, 3, kEcrId));
  EXPECT_EQ(link.ArgsRevLen(), -1);
  EXPECT_GT(socket->ReceiveLength(), 0);
}

TEST_F(ExchangeTest, ListeningRaisesOnLineForUnsolicitedFrames) {
  std::vector<Bytes> seen;
  link.SetOnLine([&seen](THecrLink&, TEventArgs& args) { seen.push_back(args.Buffer); });
  socket->Push(Frame(0xE088, 0, {0x07, 0x08}));
  link.CheckAutoDataFromECR();
  EXPECT_TRUE(socket->requests.empty());
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0], (Bytes{0x07, 0x08}));
  EXPECT_EQ(link.EventArgs().FProtocal->Command(), 0xE088u);
  // Nothing arriving is not a failure.
  const auto polls = link.PollCount();
  link.CheckAutoDataFromECR();
  EXPECT_EQ(link.PollCount() - polls, 25u);
  EXPECT_EQ(link.ErrCode(), 0);
  EXPECT_EQ(log.Count("ERROR ID"), 0);
}

TEST_F(ExchangeTest, ListeningOnAnAbortedLinkIsAnError) {
  ASSERT_TRUE(link.Open());
  link.Abort();
  link.CheckAutoDataFromECR();
  EXPECT_EQ(link.ErrCode(), 11);
  EXPECT_EQ(link.ErrMsg(), "Error");
}

TEST_F(ExchangeTest, ErrorEventIsNeverRaised) {
  int raised = 0;
  link.SetOnError([&raised](THecrLink&, std::int32_t, const std::string&) { ++raised; });
  EXPECT_FALSE(Send(99));
  socket->SetResponder(NeverAnswer());
  EXPECT_FALSE(Send(kTest));
  EXPECT_EQ(raised, 0);
}

}  // namespace
}  // namespace meridox::link

namespace meridox::link {
namespace {

TEST_F(ExchangeTest, BytesLeftFromAnEarlierExchangeAreDiscardedBeforeWriting) {
  socket->Push(Frame(0xA001, 0, {0x66}));  // a late answer to an earlier probe
  socket->SetResponder(AnswerWith({0x01}));
  EXPECT_TRUE(Send(kTest));
  EXPECT_EQ(buffer, Bytes{0x01});
}

}  // namespace
}  // namespace meridox::link

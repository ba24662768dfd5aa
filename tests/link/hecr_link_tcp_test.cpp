// The link's own TCP client against the simulated register on the loopback address.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "link/hecr_link.h"
#include "link_test_support.h"
#include "simulator.h"

namespace meridox::link {
namespace {

using namespace std::chrono_literals;
using ecrsim::FaultKind;
using ecrsim::FaultRule;
using ecrsim::Simulator;
using testing::Bytes;
using testing::LogCapture;
using testing::ScriptedSocket;

constexpr std::int32_t kTest = 100;
constexpr std::int32_t kStatus = 20000;
const std::string kEcrId = "907158";

// A loopback port that nobody listens on (a simulator held it a moment ago).
std::uint16_t ClosedPort() {
  Simulator sim;
  const std::uint16_t port = sim.StartTcp();
  sim.Stop();
  return port;
}

class TcpLinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port = sim.StartTcp();
    ASSERT_NE(port, 0) << sim.LastError();
    link.ConnParams.Mode = TConnMode::cmTCPClient;
    link.ConnParams.Host = "127.0.0.1";
    link.ConnParams.Port = port;
  }

  bool Probe(std::int32_t time_out = 500, std::int32_t retry = 1) {
    buffer = {0x04, 0x00};
    return link.SendBuffer(kTest, buffer, 0, 1, time_out, retry, "1");
  }

  Simulator sim;
  LogCapture log;
  THecrLink link{log.logger()};
  std::uint16_t port = 0;
  Bytes buffer;
};

TEST_F(TcpLinkTest, ConnectsToALoopbackRegisterAndExchanges) {
  EXPECT_TRUE(link.Open());
  EXPECT_TRUE(link.Active());
  buffer.clear();
  ASSERT_TRUE(link.SendBuffer(kStatus, buffer, 0, 0, 500, 1, kEcrId));
  EXPECT_GE(link.ArgsRevLen(), 2);
  EXPECT_EQ(sim.Connections(), 1u);
  ASSERT_EQ(sim.Requests().size(), 1u);
  EXPECT_EQ(sim.Requests()[0].command_id, 20000u);
  EXPECT_EQ(sim.Requests()[0].ecr_id, 907158u);
}

TEST_F(TcpLinkTest, ConnectNeedsNoTrafficOnTheNetwork) {
  EXPECT_TRUE(link.Connect(kTest, "1"));
  EXPECT_FALSE(link.Connected());
  EXPECT_TRUE(sim.Requests().empty());
}

TEST_F(TcpLinkTest, UnansweredAttemptsPollTimeOutByTen) {
  sim.AddFault({.kind = FaultKind::kNoAnswer, .command_id = kTest, .times = ecrsim::kForever});
  ASSERT_TRUE(link.Open());
  const auto before = link.PollCount();
  EXPECT_FALSE(Probe(50, 3));
  EXPECT_EQ(link.PollCount() - before, 15u);  // 5 polls per attempt
  EXPECT_TRUE(sim.WaitForRequests(3, 2s));
  EXPECT_EQ(sim.Requests().size(), 3u);
  EXPECT_EQ(link.ErrCode(), 50004);
  // A time-out of 0 still polls once.
  const auto again = link.PollCount();
  EXPECT_FALSE(Probe(0, 1));
  EXPECT_EQ(link.PollCount() - again, 1u);
}

TEST_F(TcpLinkTest, ClosedPortIsReportedWithinAboutASecond) {
  const std::uint16_t closed = ClosedPort();
  ASSERT_NE(closed, 0);
  link.ConnParams.Port = closed;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(link.Open());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_EQ(link.ErrCode(), 12);
  const std::string text =
      "Can not Connect to Remote Host(127.0.0.1:" + std::to_string(closed) + ")";
  EXPECT_EQ(link.ErrMsg(), text);
  EXPECT_EQ(log.Count("ERROR ID:12," + text), 1);
  // The exchange then fails for want of a connection.
  EXPECT_FALSE(Probe());
  EXPECT_EQ(link.ErrCode(), 11);
}

TEST_F(TcpLinkTest, OnlyTheLowSixteenBitsOfThePortAreUsed) {
  Simulator high;
  if (high.StartTcp(4464) == 0)
    GTEST_SKIP() << "port 4464 is taken: " << high.LastError();
  link.ConnParams.Port = 70000;  // 70000 - 65536
  ASSERT_TRUE(link.Open());
  EXPECT_TRUE(Probe());
  EXPECT_EQ(high.Requests().size(), 1u);
  EXPECT_TRUE(sim.Requests().empty());
}

// When the link connects and when a supplied socket stands for the connection.
struct HostRuleCase {
  const char* name;
  std::string host;
  enum { kNone, kLive, kReleased } supplied;
  bool active;
  std::size_t connections;
};

class HostRuleTest : public TcpLinkTest, public ::testing::WithParamInterface<HostRuleCase> {};

TEST_P(HostRuleTest, DecidesWhetherToConnect) {
  const HostRuleCase& c = GetParam();
  auto socket = std::make_shared<ScriptedSocket>();
  if (c.supplied != HostRuleCase::kNone)
    link.ConnParams.Socket = socket;
  if (c.supplied == HostRuleCase::kReleased)
    socket.reset();
  link.ConnParams.Host = c.host;
  EXPECT_EQ(link.Open(), c.active);
  EXPECT_EQ(link.ErrCode(), 0);  // nothing recorded either way
  std::this_thread::sleep_for(50ms);
  EXPECT_EQ(sim.Connections(), c.connections);
}

INSTANTIATE_TEST_SUITE_P(Hosts, HostRuleTest,
                         ::testing::Values(HostRuleCase{"loopback_without_socket", "127.0.0.1",
                                                        HostRuleCase::kNone, true, 1},
                                           HostRuleCase{"dot_one_with_socket", "127.0.0.1",
                                                        HostRuleCase::kLive, true, 0},
                                           HostRuleCase{"dot_one_with_released_socket", "127.0.0.1",
                                                        HostRuleCase::kReleased, false, 0},
                                           HostRuleCase{"no_host", "", HostRuleCase::kNone, false,
                                                        0}),
                         [](const auto& test) { return std::string(test.param.name); });

TEST_F(TcpLinkTest, DroppedConnectionClosesTheLinkAndTheNextExchangeReconnects) {
  sim.AddFault({.kind = FaultKind::kCloseConnection, .command_id = kTest});
  EXPECT_FALSE(Probe(500, 3));
  EXPECT_FALSE(link.Active());
  EXPECT_EQ(link.ErrCode(), 0);  // closing clears the code; the text stays
  EXPECT_EQ(link.ErrMsg(), "Retry:1");
  EXPECT_EQ(log.Count("ERROR ID:-1,Send Data Error"), 1);
  EXPECT_TRUE(Probe());
  EXPECT_TRUE(link.Active());
}

TEST_F(TcpLinkTest, AbortFromAnotherThreadEndsTheWaitAfterTheCurrentAttempt) {
  sim.AddFault({.kind = FaultKind::kNoAnswer, .command_id = kTest, .times = ecrsim::kForever});
  ASSERT_TRUE(link.Open());
  std::thread aborter([this] {
    std::this_thread::sleep_for(100ms);
    link.Abort();
  });
  const auto start = std::chrono::steady_clock::now();
  EXPECT_FALSE(Probe(300, 10));
  aborter.join();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 3s);
  EXPECT_EQ(sim.Requests().size(), 1u);
  EXPECT_NE(link.ErrCode(), 50004);
}

struct FaultCase {
  const char* name;
  FaultRule rule;
  bool result;
  std::int32_t code;
  int online_events;
};

class TcpFaultTest : public TcpLinkTest, public ::testing::WithParamInterface<FaultCase> {};

TEST_P(TcpFaultTest, CopesWithTheRegister) {
  const FaultCase& c = GetParam();
  FaultRule rule = c.rule;
  rule.command_id = kTest;
  sim.AddFault(rule);
  int online = 0;
  link.SetOnLine([&online](THecrLink&, TEventArgs&) { ++online; });
  EXPECT_EQ(Probe(500, 1), c.result);
  EXPECT_EQ(link.ErrCode(), c.code);
  EXPECT_EQ(online, c.online_events);
  EXPECT_EQ(link.Protocol().PackNum(), 0u);
}

INSTANTIATE_TEST_SUITE_P(
    Faults, TcpFaultTest,
    ::testing::Values(
        FaultCase{
            "delay_within_time_out", {.kind = FaultKind::kDelay, .delay_ms = 100}, true, 0, 0},
        FaultCase{
            "split", {.kind = FaultKind::kSplit, .delay_ms = 15, .chunk_size = 5}, true, 0, 0},
        FaultCase{"garbage_before", {.kind = FaultKind::kGarbageBefore}, true, 0, 0},
        FaultCase{"wrong_packet_first", {.kind = FaultKind::kWrongPacketFirst}, true, 0, 0},
        FaultCase{"unsolicited_first", {.kind = FaultKind::kUnsolicited}, true, 0, 1},
        FaultCase{"bad_header_sum", {.kind = FaultKind::kBadHeaderSum}, false, 50004, 0},
        FaultCase{"bad_crc", {.kind = FaultKind::kBadCrc}, false, 50004, 0},
        FaultCase{"refusal", {.kind = FaultKind::kRefuse}, false, 254, 0},
        FaultCase{
            "refusal_without_marker", {.kind = FaultKind::kRefuse, .marker = false}, false, 13, 0}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(TcpLinkTest, RefusalCarriesTheRegistersGreekText) {
  sim.AddFault({.kind = FaultKind::kRefuse, .command_id = kTest, .text = "ΛΑΘΟΣ ΚΩΔΙΚΟΣ"});
  EXPECT_FALSE(Probe());
  EXPECT_EQ(link.ErrCode(), 254);
  EXPECT_EQ(link.ErrMsg(), "ΛΑΘΟΣ ΚΩΔΙΚΟΣ");
  EXPECT_EQ(link.Protocol().ResultID(), 254);
}

TEST_F(TcpLinkTest, ReadsTheRegistersProperties) {
  TEcrProperties properties;
  ASSERT_TRUE(GetEcrProperties(link, properties));
  EXPECT_EQ(properties.FisCode, "SIM00000001");
  EXPECT_EQ(properties.MachineId, 1);
  EXPECT_EQ(properties.host, "127.0.0.1");
  EXPECT_EQ(properties.MachineType, 1);
  ASSERT_EQ(sim.Requests().size(), 1u);  // no probing on the network
  EXPECT_EQ(sim.Requests()[0].command_id, 30008u);
  EXPECT_EQ(sim.Requests()[0].ecr_id, 1u);
  EXPECT_TRUE(sim.Requests()[0].payload.empty());
}

}  // namespace
}  // namespace meridox::link

namespace meridox::link {
namespace {

// An answer that arrives after its exchange gave up must not pass for the answer to the
// next request of the same command and packet number.
TEST_F(TcpLinkTest, LateAnswerIsNotTakenForTheNextOne) {
  sim.AddFault({.kind = FaultKind::kDelay, .command_id = kTest, .delay_ms = 300});
  buffer = {0x04};
  EXPECT_FALSE(link.SendBuffer(kTest, buffer, 0, 1, 100, 1, "1"));
  ASSERT_TRUE(sim.WaitForAnswers(1, 3s));
  std::this_thread::sleep_for(100ms);  // the late answer (code 4) is on its way in
  buffer = {0x03};
  ASSERT_TRUE(link.SendBuffer(kTest, buffer, 0, 1, 500, 1, "1")) << link.ErrMsg();
  EXPECT_EQ(buffer, Bytes{0x03});
}

}  // namespace
}  // namespace meridox::link

namespace meridox::link {
namespace {

// Without a network only a register on this machine can be reached; the check comes
// before any connection attempt, so no traffic leaves for the other hosts.
struct NetworkCase {
  const char* name;
  TConnMode mode;
  std::string host;
  bool active;
  std::int32_t code;
};

class NoNetworkTest : public TcpLinkTest, public ::testing::WithParamInterface<NetworkCase> {};

TEST_P(NoNetworkTest, OnlyLoopbackTargetsOpen) {
  const NetworkCase& c = GetParam();
  link.SetNetworkCheck([] { return false; });
  link.ConnParams.Mode = c.mode;
  link.ConnParams.Host = c.host;
  EXPECT_EQ(link.Open(), c.active);
  EXPECT_EQ(link.ErrCode(), c.code);
  if (c.code == 11) {
    EXPECT_EQ(link.ErrMsg(), "Lost Connection");
    EXPECT_EQ(log.Count("ERROR ID:11,Lost Connection"), 1);
  }
}

INSTANTIATE_TEST_SUITE_P(
    Modes, NoNetworkTest,
    ::testing::Values(NetworkCase{"tcp_loopback", TConnMode::cmTCPClient, "127.0.0.1", true, 0},
                      NetworkCase{"tcp_localhost", TConnMode::cmTCPClient, "localhost", true, 0},
                      NetworkCase{"tcp_remote", TConnMode::cmTCPClient, "ecr.invalid", false, 11},
                      NetworkCase{"udp_loopback", TConnMode::cmUDP, "127.0.0.1", true, 0},
                      NetworkCase{"udp_remote", TConnMode::cmUDP, "ecr.invalid", false, 11},
                      NetworkCase{"supplied_socket", TConnMode::cmTCP, "ecr.invalid", true, 0}),
    [](const auto& test) { return std::string(test.param.name); });

}  // namespace
}  // namespace meridox::link

// The serial line: a pty pair whose far end the simulated register holds (Linux; the
// tests that need it skip where there is none), and baud-rate probing.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "link/hecr_link.h"
#include "link_test_support.h"
#include "platform/clock.h"
#include "platform/serial_port.h"
#include "simulator.h"

namespace meridox::link {
namespace {

using namespace std::chrono_literals;
using ecrsim::FaultKind;
using ecrsim::FaultRule;
using ecrsim::Simulator;
using ecrsim::SimulatorOptions;
using testing::Bytes;
using testing::LogCapture;

constexpr std::int32_t kTest = 100;
constexpr std::int32_t kStatus = 20000;

SimulatorOptions ListeningAt(int speed) {
  SimulatorOptions options;
  options.listen_speed = speed;
  return options;
}

class SerialLinkTest : public ::testing::Test {
 protected:
  // Starts the register on a pty listening at `listen`, the link configured at `rate`.
  // False where there is no pty (the caller skips).
  bool Start(int listen, int rate, platform::Clock& clock = platform::SystemClock()) {
    sim = std::make_unique<Simulator>(ListeningAt(listen));
    if (!sim->StartPty())
      return false;
    link = std::make_unique<THecrLink>(log.logger(), clock);
    link->ConnParams.Mode = TConnMode::cmCOM;
    link->ConnParams.PortName = sim->SerialPath();
    link->ConnParams.BaudRate = rate;
    return true;
  }

  bool Status(std::int32_t time_out = 500, std::int32_t retry = 1) {
    buffer.clear();
    return link->SendBuffer(kStatus, buffer, 0, 0, time_out, retry, "907158");
  }

  LogCapture log;
  std::unique_ptr<Simulator> sim;
  std::unique_ptr<THecrLink> link;
  Bytes buffer;
};

TEST_F(SerialLinkTest, MissingPortIsLostConnection) {
  THecrLink missing(log.logger());
  missing.ConnParams.Mode = TConnMode::cmCOM;
  missing.ConnParams.PortName = "COM250";
  missing.ConnParams.BaudRate = 9600;
  EXPECT_FALSE(missing.Open());
  EXPECT_FALSE(missing.Active());
  EXPECT_EQ(missing.ErrCode(), 11);
  EXPECT_EQ(missing.ErrMsg(), "Lost Connection");
  EXPECT_EQ(log.Count("ERROR ID:11,Lost Connection"), 1);
}

TEST_F(SerialLinkTest, ExchangesAtTheListeningRate) {
  if (!Start(115200, 115200))
    GTEST_SKIP() << "no pty here";
  ASSERT_TRUE(link->Open()) << link->ErrMsg();
  ASSERT_TRUE(Status()) << link->ErrMsg();
  EXPECT_GE(link->ArgsRevLen(), 2);
  EXPECT_EQ(sim->Requests().size(), 1u);
  // The port is ours while open, and still counts as existing.
  EXPECT_TRUE(platform::PortExists(link->ConnParams.PortName));
  link->Close();
  EXPECT_FALSE(link->Active());
  EXPECT_TRUE(Status());  // reopened by the exchange
}

TEST_F(SerialLinkTest, ProbingFindsTheRegistersRateAndAnnouncesTheConfiguredOne) {
  if (!Start(57600, 9600))
    GTEST_SKIP() << "no pty here";
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(link->Connect(kTest, "1")) << link->ErrMsg();
  EXPECT_TRUE(link->Connected());
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);  // four 500 ms misses
  EXPECT_EQ(link->ConnParams.BaudRate, 9600);
  const auto probes = sim->RequestsOf(kTest);
  ASSERT_EQ(probes.size(), 1u);  // the misses arrived at the wrong rate
  EXPECT_EQ(probes[0].payload, Bytes{0x00});
  EXPECT_EQ(probes[0].ecr_id, 1u);
  EXPECT_EQ(log.Count("ERROR ID:50004"), 4);  // 115200, 9600, 19200, 38400
  EXPECT_EQ(sim->ListenSpeed(), 9600);
  EXPECT_TRUE(Status());  // the port was reopened at the configured rate
}

TEST_F(SerialLinkTest, RateOutsideTheTableIsAnnouncedWithCodeOne) {
  if (!Start(115200, 4800))
    GTEST_SKIP() << "no pty here";
  ASSERT_TRUE(link->Connect(kTest, "1"));
  const auto probes = sim->RequestsOf(kTest);
  ASSERT_EQ(probes.size(), 1u);
  EXPECT_EQ(probes[0].payload, Bytes{0x01});
  EXPECT_EQ(link->ConnParams.BaudRate, 4800);
}

TEST_F(SerialLinkTest, RegisterAnsweringAtNoRateFailsAfterSixProbes) {
  if (!Start(57600, 9600))
    GTEST_SKIP() << "no pty here";
  sim->AddFault({.kind = FaultKind::kNoAnswer, .command_id = kTest, .times = ecrsim::kForever});
  EXPECT_FALSE(link->Connect(kTest, "1"));
  EXPECT_FALSE(link->Connected());
  EXPECT_EQ(link->ConnParams.BaudRate, 9600);
  EXPECT_EQ(log.Count("ERROR ID:50004"), 6);
  EXPECT_EQ(log.Count("Send:AA 03 A0 01 00 00 00 00 00 00 00 01 00 01 00 50 00 "), 6);
}

TEST_F(SerialLinkTest, UnknownProbeCommandFailsEveryProbe) {
  if (!Start(115200, 115200))
    GTEST_SKIP() << "no pty here";
  EXPECT_FALSE(link->Connect(99, "1"));
  EXPECT_EQ(log.Count("ERROR ID:-1,Error"), 6);
  EXPECT_TRUE(sim->Requests().empty());
}

// On the serial line the time-out runs from the last piece that arrived.
struct PaceCase {
  const char* name;
  FaultRule rule;
  bool result;
};

class SerialPaceTest : public SerialLinkTest, public ::testing::WithParamInterface<PaceCase> {};

TEST_P(SerialPaceTest, TimeOutRestartsWithEveryPiece) {
  if (!Start(115200, 115200))
    GTEST_SKIP() << "no pty here";
  FaultRule rule = GetParam().rule;
  rule.command_id = kStatus;
  sim->AddFault(rule);
  EXPECT_EQ(Status(300, 1), GetParam().result) << link->ErrMsg();
}

INSTANTIATE_TEST_SUITE_P(
    Paces, SerialPaceTest,
    ::testing::Values(
        // 18 bytes in pieces of 3, 150 ms apart: 750 ms in all, no gap near 300 ms.
        PaceCase{
            "slow_pieces", {.kind = FaultKind::kSplit, .delay_ms = 150, .chunk_size = 3}, true},
        PaceCase{"late_answer", {.kind = FaultKind::kDelay, .delay_ms = 900}, false},
        PaceCase{"garbage_first", {.kind = FaultKind::kGarbageBefore}, true}),
    [](const auto& test) { return std::string(test.param.name); });

TEST_F(SerialLinkTest, WaitPollsTheClockUntilTheTimeOutHasPassed) {
  platform::FakeClock clock;
  if (!Start(115200, 115200, clock))
    GTEST_SKIP() << "no pty here";
  sim->AddFault({.kind = FaultKind::kNoAnswer, .command_id = kStatus, .times = ecrsim::kForever});
  // Each poll "takes" 2 ms of the fake clock.
  link->SetMessagePump([&clock] { clock.Advance(2ms); });
  ASSERT_TRUE(link->Open());
  const auto before = link->PollCount();
  EXPECT_FALSE(Status(100, 2));
  // More than 100 ms must have passed: 51 polls per attempt.
  EXPECT_EQ(link->PollCount() - before, 102u);
  EXPECT_EQ(link->ErrCode(), 50004);
}

}  // namespace
}  // namespace meridox::link

namespace meridox::link {
namespace {

// A register outside this process on a named port, handed in by scripts/wine-serial.sh:
// under wine, COMn is a symlink in the prefix to the pty slave of an ecrsim that listens
// at 57600. Skipped when no port is named.
TEST(ExternalSerialLine, ProbesAndExchangesOnANamedPort) {
  const char* name = std::getenv("MERIDOX_TEST_COM");
  if (name == nullptr || *name == '\0')
    GTEST_SKIP() << "MERIDOX_TEST_COM names no port";
  testing::LogCapture log;
  THecrLink link(log.logger());
  link.ConnParams.Mode = TConnMode::cmCOM;
  link.ConnParams.PortName = name;
  link.ConnParams.BaudRate = 57600;
  EXPECT_TRUE(platform::PortExists(name));
  // The register listens at 57600: the probes at 115200, 9600, 19200 and 38400 miss.
  const auto all_lines = [&log] {
    std::string text;
    for (const auto& line : log.Lines())
      text += line.text + "\n";
    return text;
  };
  ASSERT_TRUE(link.Connect(kTest, "1")) << all_lines();
  EXPECT_EQ(log.Count("ERROR ID:50004"), 4);
  EXPECT_EQ(log.Count("Send:AA 03 A0 01 00 00 00 00 00 00 00 01 00 01 00 50 03 "), 5);
  Bytes buffer;
  ASSERT_TRUE(link.SendBuffer(kStatus, buffer, 0, 0, 500, 1, "907158")) << link.ErrMsg();
  EXPECT_GE(link.ArgsRevLen(), 2);
  link.Close();
  EXPECT_TRUE(platform::PortExists(name));
}

}  // namespace
}  // namespace meridox::link

namespace meridox::link {
namespace {

TEST_F(SerialLinkTest, VanishedPortClosesTheLink) {
  if (!Start(115200, 115200))
    GTEST_SKIP() << "no pty here";
  ASSERT_TRUE(link->Open());
  const std::string path = link->ConnParams.PortName;
  sim.reset();  // the far end goes away, and with it the device
  EXPECT_FALSE(Status(100, 3));
  EXPECT_EQ(log.Count("WriteDataCOM Error,"), platform::PortExists(path) ? 3 : 1);
  if (!platform::PortExists(path)) {
    EXPECT_FALSE(link->Active());
    EXPECT_EQ(link->ErrCode(), 0);  // closing cleared it; the text stays
    EXPECT_FALSE(link->ErrMsg().empty());
  }
}

}  // namespace
}  // namespace meridox::link

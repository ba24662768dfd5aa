// The serial line through a pseudo-terminal (Linux only): the simulator reads the rate the
// bridge set on its end and ignores frames sent at another rate than it listens at.
#if defined(__linux__)

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "link/ecr_commands.h"
#include "link/ecr_protocol.h"
#include "link/hecr_link.h"
#include "posix/line_speed.h"
#include "simulator.h"

namespace meridox::ecrsim {
namespace {

using Bytes = std::vector<std::uint8_t>;

class PtyTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(sim_.StartPty()) << sim_.LastError();
    fd_ = ::open(sim_.SerialPath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd_, 0);
    link::InitCommands(catalogue_);
  }
  void TearDown() override {
    if (fd_ >= 0) {
      ::close(fd_);
    }
  }

  // The probe frame with a rate code, as the bridge sends it.
  Bytes Probe(std::uint8_t code) {
    link::TEcrProtocol protocol(&catalogue_);
    protocol.SetHCmd(*catalogue_.FindByID(100));
    protocol.SetEcrID("1");
    Bytes frame;
    const Bytes payload{code};
    protocol.PackageBuffer(payload, 1, frame);
    return frame;
  }

  // Sets the line like the bridge does, writes the probe, collects what comes back.
  Bytes ProbeAt(int speed, std::uint8_t code, int wait_ms) {
    EXPECT_TRUE(posix::SetRawLine(fd_, speed));
    const Bytes frame = Probe(code);
    EXPECT_EQ(::write(fd_, frame.data(), frame.size()), static_cast<ssize_t>(frame.size()));
    Bytes got;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(wait_ms);
    while (std::chrono::steady_clock::now() < deadline && got.size() < 19) {
      pollfd p{fd_, POLLIN, 0};
      if (::poll(&p, 1, 10) > 0) {
        std::uint8_t buffer[256];
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
          got.insert(got.end(), buffer, buffer + n);
        }
      }
    }
    return got;
  }

  bool JournalMentions(const std::string& text) const {
    for (const JournalEntry& e : sim_.JournalEntries()) {
      if (e.meaning.find(text) != std::string::npos) {
        return true;
      }
    }
    return false;
  }

  Simulator sim_;  // listens at 115200
  int fd_ = -1;
  link::TEcrCommands catalogue_;
};

TEST_F(PtyTest, MasterSeesTheRateSetOnTheSlaveIncludingCustomRates) {
  for (int speed : {9600, 57600, 230400, 250000}) {
    ASSERT_TRUE(posix::SetRawLine(fd_, speed));
    EXPECT_EQ(posix::ReadLineSpeed(fd_), speed);
  }
}

TEST_F(PtyTest, FramesAtAnotherRateAreIgnoredAndTheProbeSwitchesTheRate) {
  EXPECT_TRUE(ProbeAt(9600, 0, 300).empty());
  EXPECT_TRUE(JournalMentions("sent at 9600 baud"));
  EXPECT_TRUE(ProbeAt(250000, 0, 300).empty());
  EXPECT_TRUE(JournalMentions("sent at 250000 baud"));

  // At the listening rate the probe is answered; its code 0 asks for 9600 from now on.
  const Bytes answer = ProbeAt(115200, 0, 2000);
  ASSERT_EQ(answer.size(), 19u);
  link::TEcrProtocol checker(&catalogue_);
  checker.SetBCommand(0xA001);
  checker.SetFChkSum(true);
  checker.SetFChkCrc(true);
  Bytes payload;
  ASSERT_TRUE(checker.CheckData(answer, 19, payload));
  EXPECT_EQ(payload, Bytes{0});
  EXPECT_EQ(sim_.ListenSpeed(), 9600);

  EXPECT_TRUE(ProbeAt(115200, 0, 300).empty());
  EXPECT_EQ(ProbeAt(9600, 4, 2000).size(), 19u);
  EXPECT_EQ(sim_.ListenSpeed(), 115200);
}

TEST(PtyProbe, BridgeFindsTheListeningRateAndAnnouncesItsOwn) {
  SimulatorOptions options;
  options.listen_speed = 57600;
  Simulator sim(options);
  ASSERT_TRUE(sim.StartPty()) << sim.LastError();
  link::THecrLink bridge;
  bridge.ConnParams.Mode = link::TConnMode::cmCOM;
  bridge.ConnParams.PortName = sim.SerialPath();
  bridge.ConnParams.BaudRate = 9600;
  ASSERT_TRUE(bridge.Connect(100, "1")) << bridge.ErrMsg();
  // 115200, 9600, 19200 and 38400 went unanswered; 57600 carried the code of 9600.
  const std::vector<ReceivedRequest> probes = sim.RequestsOf(100);
  ASSERT_EQ(probes.size(), 1u);
  EXPECT_EQ(probes[0].payload, Bytes{0});
  EXPECT_EQ(sim.ListenSpeed(), 9600);
  int ignored = 0;
  for (const JournalEntry& e : sim.JournalEntries()) {
    ignored += e.meaning.find("ignored") != std::string::npos ? 1 : 0;
  }
  EXPECT_EQ(ignored, 4);
  // The bridge reopened at 9600, where the register now listens.
  link::TEcrProperties properties;
  EXPECT_TRUE(link::GetEcrProperties(bridge, properties)) << bridge.ErrMsg();
}

}  // namespace
}  // namespace meridox::ecrsim

#endif

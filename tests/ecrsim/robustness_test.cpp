// Whatever a client sends, the simulator answers or ignores it and keeps serving: every
// catalogue command with payloads of random length and content, and random noise.
#include <gtest/gtest.h>

#include <random>

#include "ecr_client.h"
#include "simulator.h"

namespace meridox::ecrsim {
namespace {

using namespace std::chrono_literals;

TEST(Robustness, EveryCommandWithRandomPayloadsIsAnswered) {
  Simulator sim;
  testing::EcrClient client;
  client.Connect(sim.StartTcp(0));
  std::mt19937 random(20261211);
  std::uniform_int_distribution<int> byte(0, 255);
  std::uniform_int_distribution<int> length(0, 300);
  std::size_t answered = 0;
  std::size_t sent = 0;
  for (const link::TEcrCommand& command : client.Catalogue()) {
    for (int round = 0; round < 4; ++round) {
      std::vector<std::uint8_t> payload(static_cast<std::size_t>(length(random)));
      for (std::uint8_t& b : payload) {
        b = static_cast<std::uint8_t>(byte(random));
      }
      ++sent;
      answered += client.Exchange(command.ID(), payload, static_cast<std::uint32_t>(round)).ok;
    }
  }
  EXPECT_EQ(answered, sent);
  EXPECT_TRUE(client.Exchange(20000, {}).ok);
}

TEST(Robustness, NoiseAndTruncatedFramesDoNotStopTheServer) {
  Simulator sim;
  testing::EcrClient client;
  client.Connect(sim.StartTcp(0));
  std::mt19937 random(7);
  std::uniform_int_distribution<int> byte(0, 255);
  std::vector<std::uint8_t> noise(2000);
  for (std::uint8_t& b : noise) {
    b = static_cast<std::uint8_t>(byte(random));
  }
  // Sprinkle frame starts so the scanner keeps finding candidates.
  for (std::size_t i = 0; i + 1 < noise.size(); i += 97) {
    noise[i] = 0xAA;
    noise[i + 1] = 0x03;
  }
  client.Send(noise);
  // A header that promises a long payload that never comes, then a valid request: the
  // promised bytes swallow the request, so the simulator must resynchronise on the retry.
  std::vector<std::uint8_t> lying = client.Frame(10004, std::vector<std::uint8_t>(40, 1));
  lying.resize(20);
  client.Send(lying);
  bool answered = false;
  for (int attempt = 0; attempt < 10 && !answered; ++attempt) {
    answered = client.Exchange(20000, {}, 0, 300ms).ok;
  }
  EXPECT_TRUE(answered);
}

TEST(Robustness, StalledPartialFrameIsDroppedAfterAPause) {
  Simulator sim;
  testing::EcrClient client;
  client.Connect(sim.StartTcp(0));
  std::vector<std::uint8_t> partial = client.Frame(10004, std::vector<std::uint8_t>(40, 1));
  partial.resize(30);
  client.Send(partial);
  ASSERT_TRUE(sim.GetJournal().WaitFor(
      [](const JournalEntry& e) { return e.meaning.find("incomplete frame dropped") == 0; }, 5s));
  // The next request is read on its own, not as the rest of the stalled one.
  EXPECT_TRUE(client.Exchange(20000, {}).ok);
  EXPECT_EQ(sim.Requests().size(), 1u);
}

}  // namespace
}  // namespace meridox::ecrsim

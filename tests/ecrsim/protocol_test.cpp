// The simulator's answers as the bridge's own frame checker sees them, for every command
// the bridge sends.
#include <gtest/gtest.h>

#include "ecr_client.h"
#include "request_payloads.h"
#include "simulator.h"

namespace meridox::ecrsim {
namespace {

using namespace std::chrono_literals;
using testing::Bytes;

constexpr std::uint32_t kRefusalCode = 0x800D;

struct Step {
  std::int32_t id;
  Bytes payload;
};

struct ProtocolCase {
  const char* name;
  std::vector<Step> setup;  // requests that bring the register into the needed state
  std::int32_t id;
  Bytes payload;
  std::uint32_t packet;
  bool accepted;            // answered with the request's code, else refused
  std::size_t answer_size;  // expected payload length of an accepted answer
};

void PrintTo(const ProtocolCase& c, std::ostream* os) {
  *os << c.name;
}

const std::vector<Step> kOpenReceipt = {{10004, testing::SaleLine(1, "COLA", 2000, 120)}};

class ProtocolTest : public ::testing::TestWithParam<ProtocolCase> {};

TEST_P(ProtocolTest, AnswerCarriesPacketNumberAndCommand) {
  const ProtocolCase& c = GetParam();
  Simulator sim;
  const std::uint16_t port = sim.StartTcp(0);
  ASSERT_NE(port, 0) << sim.LastError();
  testing::EcrClient client;
  client.Connect(port);
  for (const Step& step : c.setup) {
    ASSERT_TRUE(client.Exchange(step.id, step.payload).ok);
  }
  const testing::Answer answer = client.Exchange(c.id, c.payload, c.packet);
  ASSERT_TRUE(answer.ok) << "no acceptable answer";
  EXPECT_EQ(answer.packet, c.packet);
  const link::TEcrCommand* command = client.Catalogue().FindByID(c.id);
  if (c.accepted) {
    EXPECT_EQ(answer.command, command->Command());
    EXPECT_EQ(answer.payload.size(), c.answer_size);
  } else {
    EXPECT_EQ(answer.command, kRefusalCode);
    ASSERT_FALSE(answer.payload.empty());
    EXPECT_EQ(answer.payload[0], 0xFE);
    EXPECT_FALSE(testing::RefusalText(answer.payload).empty());
  }
  // The journal holds the request as sent and the answer.
  const std::vector<ReceivedRequest> requests = sim.RequestsOf(static_cast<std::uint32_t>(c.id));
  ASSERT_FALSE(requests.empty());
  EXPECT_EQ(requests.back().packet_number, c.packet);
  EXPECT_EQ(requests.back().payload, c.payload);
  EXPECT_EQ(requests.back().ecr_id, 907158u);
}

INSTANTIATE_TEST_SUITE_P(
    BridgeCommands, ProtocolTest,
    ::testing::Values(
        ProtocolCase{"probe", {}, 100, {4}, 0, true, 1},
        ProtocolCase{"properties", {}, 30008, {}, 0, true, 26},
        ProtocolCase{"status", {}, 20000, {}, 0, true, 2},
        ProtocolCase{"connect", {}, 10000, {}, 0, true, 0},
        ProtocolCase{"disconnect", {}, 10001, {}, 0, true, 0},
        ProtocolCase{"login", {}, 10002, {0, 2, 0, 0, 0, 5}, 0, true, 0},
        ProtocolCase{"sale", {}, 10004, testing::SaleLine(1, "COLA", 2000, 120), 0, true, 0},
        ProtocolCase{"sale packet 1", {}, 10004, testing::SaleLine(1, "COLA", 1000, 50), 1, true,
                     0},
        ProtocolCase{"discount", kOpenReceipt, 10004, testing::DiscountAmount(2, 50), 0, true, 0},
        ProtocolCase{"percent", kOpenReceipt, 10004, testing::DiscountPercent(2, 1000), 0, true, 0},
        ProtocolCase{"subtotal", kOpenReceipt, 10004, testing::Subtotal(2), 0, true, 0},
        ProtocolCase{"payment", kOpenReceipt, 10004, testing::Payment(2, 1, 500), 0, true, 0},
        ProtocolCase{"void", kOpenReceipt, 10004, testing::VoidReceipt(2), 0, true, 0},
        ProtocolCase{"payment without receipt", {}, 10004, testing::Payment(1, 1, 500), 0, false,
                     0},
        ProtocolCase{"free text", {}, 10011, testing::Texts({"ΚΑΛΗΜΕΡΑ"}, 22, ' '), 0, true, 0},
        ProtocolCase{"tail", {}, 10013, testing::Texts({"ΕΥΧΑΡΙΣΤΟΥΜΕ"}, 32, 0), 0, true, 0},
        ProtocolCase{"drawer", {}, 10012, {'d'}, 0, true, 0},
        ProtocolCase{"end of day query", {}, 10012, {'e'}, 0, true, 2},
        ProtocolCase{"open table", {}, 10017, testing::TwoByte(3), 0, true, 0},
        ProtocolCase{"close temporary table",
                     {{10017, testing::TwoByte(3)}, {10004, testing::SaleLine(1, "ΚΑΦΕΣ", 1000, 250)}},
                     10018, testing::TwoByte(3), 0, true, 0},
        ProtocolCase{"close table",
                     {{10017, testing::TwoByte(3)}, {10004, testing::SaleLine(1, "ΚΑΦΕΣ", 1000, 250)}},
                     10016, testing::TwoByte(3), 0, true, 5},
        ProtocolCase{"transfer table",
                     {{10017, testing::TwoByte(3)}, {10004, testing::SaleLine(1, "ΚΑΦΕΣ", 1000, 250)}},
                     10015, {0, 3, 0, 7}, 0, true, 5},
        ProtocolCase{"invoice", {}, 10014, [] {
                       Bytes b(245, 0);
                       b[6] = '1';
                       return b;
                     }(), 0, true, 0},
        ProtocolCase{"X report", {}, 30009, testing::Letters("101"), 0, true, 0},
        ProtocolCase{"Z report", {}, 30009, testing::Letters("501"), 0, true, 0},
        ProtocolCase{"Z with open receipt", kOpenReceipt, 30009, testing::Letters("501"), 0,
                     false, 0},
        ProtocolCase{"receipt content end", {}, 10009, {}, 0, true, 0},
        ProtocolCase{"PLU report end", {}, 20002, {}, 0, true, 0}),
    [](const ::testing::TestParamInfo<ProtocolCase>& param_info) {
      std::string name = param_info.param.name;
      for (char& ch : name) {
        if (!std::isalnum(static_cast<unsigned char>(ch))) {
          ch = '_';
        }
      }
      return name;
    });

TEST(ProtocolRefusal, MarkerCanBeSwitchedOff) {
  for (bool marker : {true, false}) {
    SimulatorOptions options;
    options.refusal_marker = marker;
    Simulator sim(options);
    testing::EcrClient client;
    client.Connect(sim.StartTcp(0));
    const testing::Answer answer = client.Exchange(10004, testing::Payment(1, 1, 100));
    ASSERT_TRUE(answer.ok);
    EXPECT_EQ(answer.command, kRefusalCode);
    ASSERT_FALSE(answer.payload.empty());
    EXPECT_EQ(answer.payload[0] == 0xFE, marker);
    EXPECT_EQ(testing::RefusalText(answer.payload), refusal::kNoReceipt);
  }
}

TEST(ProtocolEcrId, AnswerRepeatsTheRequestsEcrId) {
  Simulator sim;
  testing::EcrClient client;
  client.Connect(sim.StartTcp(0));
  client.Send(client.Frame(30008, {}, 0, "1"));
  const testing::Answer answer = client.Receive(30008, 0, 2000ms);
  ASSERT_TRUE(answer.ok);
  ASSERT_GE(answer.raw.size(), 12u);
  EXPECT_EQ(answer.raw[11], 1);
  EXPECT_EQ(sim.Requests().back().ecr_id, 1u);
}

}  // namespace
}  // namespace meridox::ecrsim

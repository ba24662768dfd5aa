// The properties query and its decoding, with the answer scripted byte for byte.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "link/hecr_link.h"
#include "link_test_support.h"
#include "platform/clock.h"

namespace meridox::link {
namespace {

using testing::AnswerWith;
using testing::Bytes;
using testing::ScriptedSocket;

// FisCode "ABC12345678", machine 7, clerk 5, password 1234, host 10.0.0.5, status 2,
// port 23 8C (9100), machine type 3.
const Bytes kFull{'A',  'B',  'C',  '1',  '2',  '3',  '4',  '5',  '6',  '7',  '8',  0x00, 0x07,
                  0x05, 0x00, 0x00, 0x04, 0xD2, 0x0A, 0x00, 0x00, 0x05, 0x02, 0x23, 0x8C, 0x03};

Bytes FirstBytes(std::size_t n) {
  return Bytes(kFull.begin(), kFull.begin() + static_cast<long>(n));
}

struct PropertiesCase {
  const char* name;
  Bytes payload;
  bool result;
  TEcrProperties expected;  // after the call, starting from Stale()
};

// What the record holds before the query, so that clearing and keeping show.
TEcrProperties Stale() {
  TEcrProperties p;
  p.FisCode = "OLD";
  p.FisidNo = "OLDID";
  p.MachineId = 99;
  p.ClerkID = 98;
  p.PassWord = 97;
  p.port = 96;
  p.host = "9.9.9.9";
  p.Status = 95;
  p.MachineType = 94;
  p.LineBit = 93;
  return p;
}

TEcrProperties Cleared() {
  TEcrProperties p = Stale();
  p.FisidNo.clear();
  p.host.clear();
  p.MachineId = p.ClerkID = p.PassWord = p.port = 0;
  return p;
}

TEcrProperties Full() {
  TEcrProperties p = Cleared();
  p.FisCode = "ABC12345678";
  p.MachineId = 7;
  p.ClerkID = 5;
  p.PassWord = 1234;
  p.host = "10.0.0.5";
  p.Status = 2;
  p.port = 9100;
  p.MachineType = 3;
  return p;
}

TEcrProperties ThroughPassword() {
  TEcrProperties p = Cleared();
  p.FisCode = "ABC12345678";
  p.MachineId = 7;
  p.ClerkID = 5;
  p.PassWord = 1234;
  return p;
}

TEcrProperties ThroughPort() {
  TEcrProperties p = Full();
  p.MachineType = Stale().MachineType;
  return p;
}

void ExpectSame(const TEcrProperties& actual, const TEcrProperties& expected) {
  EXPECT_EQ(actual.FisCode, expected.FisCode);
  EXPECT_EQ(actual.FisidNo, expected.FisidNo);
  EXPECT_EQ(actual.MachineId, expected.MachineId);
  EXPECT_EQ(actual.ClerkID, expected.ClerkID);
  EXPECT_EQ(actual.PassWord, expected.PassWord);
  EXPECT_EQ(actual.port, expected.port);
  EXPECT_EQ(actual.host, expected.host);
  EXPECT_EQ(actual.Status, expected.Status);
  EXPECT_EQ(actual.MachineType, expected.MachineType);
  EXPECT_EQ(actual.LineBit, expected.LineBit);
}

class PropertiesTest : public ::testing::TestWithParam<PropertiesCase> {
 protected:
  PropertiesTest() : link(nullptr, clock) {
    link.ConnParams.Mode = TConnMode::cmTCP;
    link.ConnParams.Socket = socket;
  }
  platform::FakeClock clock;
  THecrLink link;
  std::shared_ptr<ScriptedSocket> socket = std::make_shared<ScriptedSocket>();
};

TEST_P(PropertiesTest, DecodesTheAnswerInPayloadOrder) {
  const PropertiesCase& c = GetParam();
  socket->SetResponder(AnswerWith(c.payload));
  TEcrProperties properties = Stale();
  EXPECT_EQ(GetEcrProperties(link, properties), c.result);
  ExpectSame(properties, c.expected);
  ASSERT_EQ(socket->requests.size(), 1u);
  EXPECT_EQ(socket->requests[0].code, 0xE0FF);
  EXPECT_EQ(socket->requests[0].ecr_id, 1u);
  EXPECT_EQ(socket->requests[0].frame.size(), 16u);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, PropertiesTest,
    ::testing::Values(PropertiesCase{"full_26_bytes", kFull, true, Full()},
                      PropertiesCase{"longer_than_needed",
                                     [] {
                                       Bytes b = kFull;
                                       b.push_back(0xEE);
                                       return b;
                                     }(),
                                     true, Full()},
                      // A TCP port above 32767 is a port, not a negative number.
                      PropertiesCase{"port_above_32767",
                                     [] {
                                       Bytes b = kFull;
                                       b[23] = 0x89;
                                       b[24] = 0x21;
                                       return b;
                                     }(),
                                     true,
                                     [] {
                                       TEcrProperties p = Full();
                                       p.port = 35105;
                                       return p;
                                     }()},
                      PropertiesCase{"short_19_bytes", FirstBytes(19), false, Cleared()},
                      PropertiesCase{"short_20_bytes", FirstBytes(20), false, ThroughPassword()},
                      PropertiesCase{"short_25_bytes", FirstBytes(25), false, ThroughPort()}),
    [](const auto& test) { return std::string(test.param.name); });

TEST(PropertiesQuery, LeavesTheRecordAloneWhenTheExchangeFails) {
  platform::FakeClock clock;
  THecrLink link(nullptr, clock);
  auto socket = std::make_shared<ScriptedSocket>();
  link.ConnParams.Mode = TConnMode::cmTCP;
  link.ConnParams.Socket = socket;
  socket->SetResponder(testing::NeverAnswer());
  TEcrProperties properties = Stale();
  EXPECT_FALSE(GetEcrProperties(link, properties));
  ExpectSame(properties, Stale());
  EXPECT_EQ(link.ErrCode(), 50004);
  EXPECT_EQ(socket->requests.size(), 1u);  // one attempt of 500 ms
  EXPECT_EQ(link.PollCount(), 250u);
}

TEST(BaudRates, CodesFollowTheTable) {
  const std::pair<std::int32_t, std::uint8_t> cases[] = {
      {115200, 4}, {9600, 0}, {19200, 1}, {38400, 2}, {57600, 3}, {230400, 5}, {4800, 1}, {0, 1}};
  for (const auto& [rate, code] : cases)
    EXPECT_EQ(BaudRateCode(rate), code) << rate;
}

}  // namespace
}  // namespace meridox::link

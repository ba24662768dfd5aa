// The simulator against the bridge's own link component: properties, refusals, the
// status query and multi-packet reads as the link reads them.
#include <gtest/gtest.h>

#include "link/hecr_link.h"
#include "request_payloads.h"
#include "simulator.h"

namespace meridox::ecrsim {
namespace {

class LinkTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SimulatorOptions options;
    options.register_settings.fiscal_code = "ABC12345678";
    options.register_settings.machine_id = 0x0102;
    options.register_settings.port = 9100;
    sim_ = std::make_unique<Simulator>(options);
    const std::uint16_t port = sim_->StartTcp(0);
    ASSERT_NE(port, 0) << sim_->LastError();
    link_.ConnParams.Mode = link::TConnMode::cmTCPClient;
    link_.ConnParams.Host = "127.0.0.1";
    link_.ConnParams.Port = port;
    link_.SetTimeOut(1000);
    link_.SetRetrycnt(1);
    ASSERT_TRUE(link_.Open()) << link_.ErrMsg();
  }

  std::unique_ptr<Simulator> sim_;
  link::THecrLink link_;
};

TEST_F(LinkTest, PropertiesDecodeIntoAllFields) {
  link::TEcrProperties p;
  ASSERT_TRUE(link::GetEcrProperties(link_, p)) << link_.ErrMsg();
  EXPECT_EQ(p.FisCode, "ABC12345678");
  EXPECT_EQ(p.MachineId, 0x0102);
  EXPECT_EQ(p.ClerkID, 1);
  EXPECT_EQ(p.host, "127.0.0.1");
  EXPECT_EQ(p.port, 9100);
  EXPECT_EQ(p.Status, 0);  // nothing sold today
  EXPECT_EQ(p.MachineType, 1);
}

TEST_F(LinkTest, RefusalBecomesTheErrorTextWithOrWithoutMarker) {
  for (bool marker : {true, false}) {
    sim_->SetRefusalMarker(marker);
    std::vector<std::uint8_t> buf = testing::Payment(1, 1, 100);
    EXPECT_FALSE(link_.SendBuffer(10004, buf, 0, static_cast<std::int32_t>(buf.size()), "907158"));
    EXPECT_EQ(link_.ErrCode(), marker ? 254 : 13);
    EXPECT_EQ(link_.ErrMsg(), refusal::kNoReceipt);
  }
}

TEST_F(LinkTest, ReceiptThroughTheLinkThenStatusIsClean) {
  std::vector<std::uint8_t> sale = testing::SaleLine(1, "ΚΑΦΕΣ", 1000, 250);
  ASSERT_TRUE(link_.SendBuffer(10004, sale, 0, static_cast<std::int32_t>(sale.size()), "907158"));
  std::vector<std::uint8_t> pay = testing::Payment(2, 1, 0);
  ASSERT_TRUE(link_.SendBuffer(10004, pay, 0, static_cast<std::int32_t>(pay.size()), "907158"));
  std::vector<std::uint8_t> status;
  ASSERT_TRUE(link_.SendBuffer(20000, status, 0, 0, 50, 1, "907158"));
  ASSERT_EQ(link_.ArgsRevLen(), 2);
  EXPECT_EQ(status[0], 0);
  EXPECT_EQ(status[1], 0);
  EXPECT_EQ(sim_->State().day_receipts, 1);
}

TEST_F(LinkTest, MultiPacketReadEndsWithAnEmptyAnswer) {
  sim_->SetPendingData(PendingKind::kReceiptContent, {{1, 2, 3}, {4}});
  std::vector<std::size_t> sizes;
  for (std::int32_t n = 0; n < 5; ++n) {
    std::vector<std::uint8_t> buf;
    ASSERT_TRUE(link_.SendBuffer(10009, buf, n, 0, "907158")) << link_.ErrMsg();
    sizes.push_back(static_cast<std::size_t>(link_.ArgsRevLen()));
    if (link_.ArgsRevLen() == 0) {
      break;
    }
  }
  EXPECT_EQ(sizes, (std::vector<std::size_t>{3, 1, 0}));
}

TEST_F(LinkTest, RetryAfterNoAnswerSucceeds) {
  sim_->AddFault({.kind = FaultKind::kNoAnswer, .command_id = 10000});
  std::vector<std::uint8_t> buf;
  EXPECT_TRUE(link_.SendBuffer(10000, buf, 0, 0, 300, 2, "907158")) << link_.ErrMsg();
  EXPECT_EQ(sim_->RequestsOf(10000).size(), 2u);
}

}  // namespace
}  // namespace meridox::ecrsim

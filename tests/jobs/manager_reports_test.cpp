// X and Z reports with the "Print Now?" question and the end-of-day transfer dialog.
#include <gtest/gtest.h>

#include "jobs/end_daily.h"
#include "jobs_fixture.h"
#include "link/hecr_link.h"
#include "packing/command.h"

namespace meridox::jobs::testing {
namespace {

class Reports : public JobsTest {
 protected:
  // A closed receipt: the day holds fiscal receipts, so no "Print Now?".
  void SellOne(TManager& manager) {
    TResult r;
    for (const char* line : {"SL/COLA//1/1,00/1", "CR/1/1,00"}) {
      manager.ExecuteCommand(packing::TCommand::FetchCommand(line, "/"), r);
      ASSERT_EQ(r.Code, TRetCode::rcSuccess) << line << ": " << r.Msg;
    }
    sim_.ClearJournal();
  }
  std::size_t Printed() const { return Sent(30009).size(); }
};

TEST_F(Reports, OtherModesReturnFalseWithoutTouchingTheEcrOrTheWorker) {
  auto manager = MakeManager();
  for (auto mode :
       {packing::TUploadReportMode::umDayCJReport, packing::TUploadReportMode::umClerkCJReport}) {
    EXPECT_FALSE(manager->PrintReport(mode, true));
  }
  EXPECT_TRUE(sim_.Requests().empty());
  EXPECT_FALSE(manager->Stoped());
  EXPECT_EQ(manager->Locker(), 0);
}

TEST_F(Reports, XReportPrintsCode101AndAsksNothing) {
  auto manager = MakeManager();
  TResult r;
  manager->ExecuteCommand(packing::TCommand::FetchCommand("XX/", "/"), r);
  EXPECT_EQ(r.Code, TRetCode::rcSuccess) << r.Msg;
  const auto prints = Sent(30009);
  ASSERT_EQ(prints.size(), 1u);
  EXPECT_EQ(prints[0].payload, (std::vector<std::uint8_t>{'1', '0', '1'}));
  EXPECT_EQ(prints[0].ecr_id, 907158u);
  EXPECT_EQ(prompts_.dialogs.load(), 0);
  EXPECT_EQ(prompts_.print_now_asked.load(), 0);
}

TEST_F(Reports, ZReportOnAnEmptyDayAsksPrintNowAndDeclinedPrintsNothing) {
  auto manager = MakeManager();
  prompts_.print_now_answer = false;
  EXPECT_TRUE(manager->PrintReport(packing::TUploadReportMode::umZDailyReport, true));
  EXPECT_EQ(prompts_.print_now_asked.load(), 1);
  EXPECT_EQ(Printed(), 0u);
  EXPECT_EQ(prompts_.dialogs.load(), 0);
  EXPECT_EQ(manager->Locker(), 0);
}

TEST_F(Reports, ZReportFromAFileIsPrintedAndItsTransferConfirmed) {
  auto manager = MakeManager();
  SellOne(*manager);
  PutFile("z.txt", "ZZ/\r\n");
  Pass(*manager);
  EXPECT_EQ(AnswersOf("z"), std::vector<std::string>{"OK\r\n"});
  const auto prints = Sent(30009);
  ASSERT_EQ(prints.size(), 1u);
  EXPECT_EQ(prints[0].payload, (std::vector<std::uint8_t>{'5', '0', '1'}));
  EXPECT_EQ(prompts_.print_now_asked.load(), 0);
  // Only the dialog after the report: no transfer was pending before it.
  EXPECT_EQ(prompts_.dialogs.load(), 1);
  EXPECT_EQ(sim_.State().z_number, 1);
  EXPECT_EQ(sim_.State().transfer, ecrsim::TransferState::kDone);
}

struct PendingCase {
  const char* name;
  int attempts;
  bool dialog_before;
};

class PendingTransfer : public Reports, public ::testing::WithParamInterface<PendingCase> {};

TEST_P(PendingTransfer, ADialogLeftOpenWithoutTransferPrintsNoReport) {
  auto manager = MakeManager();
  SellOne(*manager);
  sim_.SetTransfer(ecrsim::TransferState::kPending, GetParam().attempts);
  prompts_.select_in_dialog = false;  // the operator does nothing for five minutes
  const bool printed = manager->PrintReport(packing::TUploadReportMode::umZDailyReport, true);
  if (GetParam().dialog_before) {
    EXPECT_FALSE(printed);
    EXPECT_EQ(Printed(), 0u);
    EXPECT_EQ(prompts_.dialogs.load(), 1);
  } else {
    // Too many attempts already: printed at once; the dialog after it times out.
    EXPECT_EQ(Printed(), 1u);
    EXPECT_FALSE(printed);
    EXPECT_EQ(prompts_.dialogs.load(), 1);
  }
  EXPECT_EQ(manager->Locker(), 0);
}

INSTANTIATE_TEST_SUITE_P(Counts, PendingTransfer,
                         ::testing::Values(PendingCase{"count_3", 3, true},
                                           PendingCase{"count_10", 10, true},
                                           PendingCase{"count_11", 11, false}),
                         [](const auto& p) { return std::string(p.param.name); });

TEST_F(Reports, APendingTransferConfirmedBeforeIsFollowedByTheReport) {
  auto manager = MakeManager();
  SellOne(*manager);
  sim_.SetTransfer(ecrsim::TransferState::kPending, 3);
  EXPECT_TRUE(manager->PrintReport(packing::TUploadReportMode::umZDailyReport, true));
  EXPECT_EQ(prompts_.dialogs.load(), 2);
  EXPECT_EQ(Printed(), 1u);
}

TEST_F(Reports, AFailedPrintIsFalseAlsoAfterAConfirmedTransfer) {
  auto manager = MakeManager();
  SellOne(*manager);
  sim_.SetTransfer(ecrsim::TransferState::kPending, 3);
  sim_.AddFault(
      {.kind = ecrsim::FaultKind::kRefuse, .command_id = 30009, .times = ecrsim::kForever});
  EXPECT_FALSE(manager->PrintReport(packing::TUploadReportMode::umZDailyReport, true));
  EXPECT_EQ(prompts_.dialogs.load(), 1);
  TResult r;
  manager->ExecuteCommand(packing::TCommand::FetchCommand("ZZ/", "/"), r);
  EXPECT_EQ(r.Code, TRetCode::rcError);
  EXPECT_EQ(r.Msg, "Print Report Error");
}

TEST_F(Reports, EndOfDayRequestsOverTheLink) {
  auto manager = MakeManager();
  sim_.SetTransfer(ecrsim::TransferState::kPending, 4);
  int status = -1;
  int count = -1;
  EXPECT_TRUE(QueryEndDaily(manager->Link(), 500, status, count));
  EXPECT_EQ(status, 1);
  EXPECT_EQ(count, 4);
  EXPECT_TRUE(CancelEndDaily(manager->Link()));
  EXPECT_TRUE(SelectEndDaily(manager->Link()));
  EXPECT_TRUE(QueryEndDaily(manager->Link(), 500, status, count));
  EXPECT_EQ(status, 2);
  const auto general = Sent(10012);
  ASSERT_EQ(general.size(), 4u);
  const std::vector<std::uint8_t> letters{general[0].payload.at(0), general[1].payload.at(0),
                                          general[2].payload.at(0), general[3].payload.at(0)};
  EXPECT_EQ(letters, (std::vector<std::uint8_t>{'e', 'c', 's', 'e'}));
  sim_.Stop();
  EXPECT_FALSE(QueryEndDaily(manager->Link(), 100, status, count));
  EXPECT_EQ(status, 0);
  EXPECT_EQ(count, 0);
}

}  // namespace
}  // namespace meridox::jobs::testing

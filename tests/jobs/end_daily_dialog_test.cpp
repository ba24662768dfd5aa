// The end-of-day dialog's behaviour on a fake clock with a scripted ECR.
#include "jobs/end_daily_dialog.h"

#include <gtest/gtest.h>

#include <deque>
#include <utility>

#include "jobs/prompts.h"
#include "log/messages.h"

namespace meridox::jobs {
namespace {

using namespace std::chrono_literals;

// Answers the status queries from a script; the last answer repeats.
class ScriptedEcr : public TEndDailyEcr {
 public:
  struct Answer {
    bool ok;
    int status;
    int count;
  };
  explicit ScriptedEcr(std::deque<Answer> answers) : answers_(std::move(answers)) {}

  bool Query(std::chrono::milliseconds time_out, int& status, int& count) override {
    ++queries;
    last_time_out = time_out;
    Answer a = answers_.front();
    if (answers_.size() > 1)
      answers_.pop_front();
    status = a.ok ? a.status : 0;
    count = a.ok ? a.count : 0;
    return a.ok;
  }
  bool Select() override {
    ++selects;
    if (after_select)
      answers_ = *after_select;
    return select_ok;
  }
  bool Cancel() override {
    ++cancels;
    return true;
  }

  int queries = 0;
  int selects = 0;
  int cancels = 0;
  bool select_ok = true;
  std::chrono::milliseconds last_time_out{0};
  std::optional<std::deque<Answer>> after_select;

 private:
  std::deque<Answer> answers_;
};

TEST(EndDailyDialog, StatusTwoAtTheFirstQueryClosesWithOK) {
  platform::FakeClock clock;
  ScriptedEcr ecr({{true, 2, 0}});
  TEndDailyDialogModel model(ecr, clock);
  model.Open();
  EXPECT_EQ(model.Result(), TDialogResult::drOK);
  EXPECT_FALSE(model.TimerEnabled());
  EXPECT_EQ(ecr.last_time_out, 1000ms);
}

struct StatusCase {
  int status;
  bool buttons;
};

class EndDailyButtons : public ::testing::TestWithParam<StatusCase> {};

TEST_P(EndDailyButtons, ButtonsFollowTheStatusAndTheAttemptTextTheCount) {
  platform::FakeClock clock;
  ScriptedEcr ecr({{true, GetParam().status, 3}});
  TEndDailyDialogModel model(ecr, clock);
  model.Open();
  EXPECT_FALSE(model.Closed());
  EXPECT_TRUE(model.TimerEnabled());
  EXPECT_EQ(model.YesEnabled(), GetParam().buttons);
  EXPECT_EQ(model.CancelEnabled(), GetParam().buttons);
  EXPECT_EQ(model.AttemptText(), msg::FormatTransferAttempt(3));
}

INSTANTIATE_TEST_SUITE_P(Statuses, EndDailyButtons,
                         ::testing::Values(StatusCase{0, false}, StatusCase{1, true},
                                           StatusCase{7, true}));

TEST(EndDailyDialog, SelectThenStatusTwoClosesWithOK) {
  platform::FakeClock clock;
  ScriptedEcr ecr({{true, 1, 3}});
  ecr.after_select = std::deque<ScriptedEcr::Answer>{{true, 1, 3}, {true, 2, 3}};
  TEndDailyDialogModel model(ecr, clock);
  model.Open();
  model.SelectClick();
  EXPECT_EQ(ecr.selects, 1);
  // The refresh inside the handler ran while the operation was running: buttons off.
  EXPECT_FALSE(model.YesEnabled());
  EXPECT_TRUE(model.TimerEnabled());
  EXPECT_FALSE(model.OperationRunning());
  clock.Advance(1000ms);
  model.TimerTick();
  EXPECT_EQ(model.Result(), TDialogResult::drOK);
  EXPECT_FALSE(model.TimerEnabled());
}

TEST(EndDailyDialog, FailedSelectShowsErrorAndStaysOpen) {
  platform::FakeClock clock;
  ScriptedEcr ecr({{true, 1, 1}});
  ecr.select_ok = false;
  std::vector<std::string> shown;
  TEndDailyDialogModel model(ecr, clock, [&](const std::string& t) { shown.push_back(t); });
  model.Open();
  model.SelectClick();
  EXPECT_EQ(shown, std::vector<std::string>{"Error"});
  EXPECT_FALSE(model.Closed());
  EXPECT_TRUE(model.TimerEnabled());
  model.TimerTick();
  EXPECT_TRUE(model.YesEnabled());
}

TEST(EndDailyDialog, NoAnswerForFiveMinutesClosesWithCancel) {
  platform::FakeClock clock;
  ScriptedEcr ecr({{false, 0, 0}});
  TEndDailyDialogModel model(ecr, clock);
  model.Open();
  int ticks = 0;
  while (!model.Closed() && ticks < 1000) {
    clock.Advance(1000ms);
    model.TimerTick();
    ++ticks;
    EXPECT_FALSE(model.YesEnabled());
  }
  EXPECT_EQ(model.Result(), TDialogResult::drCancel);
  EXPECT_EQ(ticks, 300);
}

TEST(EndDailyDialog, TheLimitCountsFromOpeningNotFromTheLastAction) {
  platform::FakeClock clock;
  ScriptedEcr ecr({{true, 1, 1}});
  TEndDailyDialogModel model(ecr, clock);
  model.Open();
  clock.Advance(299s);
  model.CancelClick();
  model.TimerTick();
  EXPECT_FALSE(model.Closed());
  clock.Advance(1s);
  model.TimerTick();
  EXPECT_EQ(model.Result(), TDialogResult::drCancel);
  EXPECT_EQ(ecr.cancels, 1);
}

TEST(EndDailyDialog, CloseBoxCancels) {
  platform::FakeClock clock;
  ScriptedEcr ecr({{true, 1, 1}});
  TEndDailyDialogModel model(ecr, clock);
  model.Open();
  model.CloseBox();
  EXPECT_EQ(model.Result(), TDialogResult::drCancel);
  model.TimerTick();
  EXPECT_EQ(ecr.queries, 1);
}

TEST(EndDailyDialog, HeadlessSelectsOnceAndPollsToStatusTwo) {
  platform::FakeClock clock;
  ScriptedEcr ecr({{true, 0, 0}, {true, 0, 0}, {true, 1, 4}});
  ecr.after_select = std::deque<ScriptedEcr::Answer>{{true, 1, 4}, {true, 1, 4}, {true, 2, 4}};
  THeadlessPrompts prompts(clock);
  EXPECT_TRUE(prompts.ConfirmPrintNow());
  EXPECT_TRUE(prompts.ShowEndDailyConfirm(ecr));
  EXPECT_EQ(ecr.selects, 1);
}

TEST(EndDailyDialog, HeadlessGivesUpAfterTheLimit) {
  platform::FakeClock clock;
  ScriptedEcr ecr({{true, 1, 2}});
  const auto start = clock.Monotonic();
  THeadlessPrompts prompts(clock);
  EXPECT_FALSE(prompts.ShowEndDailyConfirm(ecr));
  EXPECT_EQ(ecr.selects, 1);
  EXPECT_GE(clock.Monotonic() - start, 5min);
  EXPECT_LT(clock.Monotonic() - start, 5min + 2s);
}

}  // namespace
}  // namespace meridox::jobs

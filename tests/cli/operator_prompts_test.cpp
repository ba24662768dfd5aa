#include "app/cli/operator_prompts.h"

#include <gtest/gtest.h>

#include <deque>

#include "log/messages.h"

namespace meridox::cli {
namespace {

using namespace std::chrono_literals;

// An ECR whose end-of-day answers follow a script: the status changes to 2 a number of
// queries after Select.
class ScriptedEcr final : public jobs::TEndDailyEcr {
 public:
  int status = 1;
  int count = 3;
  int done_after_select = 2;
  int selects = 0;
  int cancels = 0;
  int queries = 0;
  bool Query(std::chrono::milliseconds, int& s, int& c) override {
    ++queries;
    if (selects > 0 && --done_after_select <= 0)
      status = 2;
    s = status;
    c = count;
    return true;
  }
  bool Select() override {
    ++selects;
    return true;
  }
  bool Cancel() override {
    ++cancels;
    status = 0;
    return true;
  }
};

class ScriptedQuestioner final : public Questioner {
 public:
  std::deque<bool> answers;
  std::vector<std::string> asked;
  std::vector<std::string> said;
  bool AskYesNo(std::string_view question, bool fallback) override {
    asked.emplace_back(question);
    if (answers.empty())
      return fallback;
    const bool answer = answers.front();
    answers.pop_front();
    return answer;
  }
  void Say(std::string_view text) override { said.emplace_back(text); }
};

TEST(OperatorPrompts, WithoutQuestionerTheHeadlessPolicyDecides) {
  platform::FakeClock clock;
  std::vector<std::string> busy;
  OperatorPrompts prompts(
      clock, [&](const std::string& text) { busy.push_back(text); }, 1000ms, 5min);
  EXPECT_TRUE(prompts.ConfirmPrintNow());
  ScriptedEcr ecr;
  EXPECT_TRUE(prompts.ShowEndDailyConfirm(ecr));
  EXPECT_EQ(ecr.selects, 1);
  prompts.ShowBusyNotice();
  ASSERT_EQ(busy.size(), 1u);
  EXPECT_EQ(busy[0], msg::sEcrBusy);
}

TEST(OperatorPrompts, QuestionerAnswersPrintNowOnItsThreadOnly) {
  platform::FakeClock clock;
  OperatorPrompts prompts(clock, {});
  ScriptedQuestioner questioner;
  questioner.answers = {false};
  {
    OperatorPrompts::Scope scope(questioner);
    EXPECT_FALSE(prompts.ConfirmPrintNow());
    bool other_thread = false;
    std::thread([&] { other_thread = prompts.ConfirmPrintNow(); }).join();
    EXPECT_TRUE(other_thread);  // the worker's own prompts stay headless
  }
  ASSERT_EQ(questioner.asked.size(), 1u);
  EXPECT_EQ(questioner.asked[0], msg::sPrintNow);
  EXPECT_TRUE(prompts.ConfirmPrintNow());  // the scope has ended
}

TEST(OperatorPrompts, TerminalDialogSelectsOnTheOperatorsWordAndShowsTheAttempts) {
  platform::FakeClock clock;
  OperatorPrompts prompts(clock, {}, 1000ms, 5min);
  ScriptedQuestioner questioner;
  questioner.answers = {true};
  ScriptedEcr ecr;
  OperatorPrompts::Scope scope(questioner);
  EXPECT_TRUE(prompts.ShowEndDailyConfirm(ecr));
  EXPECT_EQ(ecr.selects, 1);
  EXPECT_EQ(ecr.cancels, 0);
  EXPECT_EQ(questioner.asked.size(), 1u);
  ASSERT_FALSE(questioner.said.empty());
  EXPECT_EQ(questioner.said[0], msg::FormatTransferAttempt(3));
}

TEST(OperatorPrompts, TerminalDialogCancelsOnNo) {
  platform::FakeClock clock;
  OperatorPrompts prompts(clock, {}, 1000ms, 5min);
  ScriptedQuestioner questioner;
  questioner.answers = {false};
  ScriptedEcr ecr;
  OperatorPrompts::Scope scope(questioner);
  EXPECT_FALSE(prompts.ShowEndDailyConfirm(ecr));
  EXPECT_EQ(ecr.selects, 0);
  EXPECT_EQ(ecr.cancels, 1);
}

TEST(OperatorPrompts, TerminalDialogGivesUpAfterItsLimit) {
  platform::FakeClock clock;
  OperatorPrompts prompts(clock, {}, 1000ms, 5min);
  ScriptedQuestioner questioner;
  ScriptedEcr ecr;
  ecr.status = 0;  // the ECR never offers the transfer
  OperatorPrompts::Scope scope(questioner);
  const auto start = clock.Monotonic();
  EXPECT_FALSE(prompts.ShowEndDailyConfirm(ecr));
  EXPECT_TRUE(questioner.asked.empty());
  EXPECT_GE(clock.Monotonic() - start, 5min);
  EXPECT_LT(clock.Monotonic() - start, 5min + 5s);
}

}  // namespace
}  // namespace meridox::cli

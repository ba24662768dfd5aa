// The worker thread: its passes, its end, its answer folder, and the lock a manual
// operation takes.
#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "jobs/command_file.h"
#include "jobs_fixture.h"
#include "platform/app_folder.h"
#include "platform/utf8_path.h"

namespace meridox::jobs::testing {
namespace {

namespace fs = std::filesystem;

// Polls until the condition holds; generous, the sanitizer build is slow.
template <typename Condition>
bool Eventually(Condition condition, std::chrono::milliseconds limit = 20s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (std::chrono::steady_clock::now() < end) {
    if (condition())
      return true;
    std::this_thread::sleep_for(10ms);
  }
  return condition();
}

using Worker = JobsTest;

TEST_F(Worker, AnswersFilesAsTheyComeAndDisconnectsAtTheEnd) {
  auto manager = MakeManager();
  manager->Start();
  const std::string a = PutFile("a.txt", "SL/COLA//1/1,00/1\r\nCR/1/1,00\r\n");
  ASSERT_TRUE(Eventually([&] { return AnswersOf("a").size() == 1; }));
  const std::string b = PutFile("b.txt", "QQ/\r\n");
  ASSERT_TRUE(Eventually([&] { return AnswersOf("b").size() == 1; }));
  manager->Terminate();
  manager->WaitFor();
  EXPECT_EQ(AnswersOf("a")[0], "OK\r\n");
  EXPECT_FALSE(fs::exists(platform::PathFromUtf8(a)));
  EXPECT_EQ(Sent(10001).size(), 1u);
  EXPECT_EQ(SentIds().back(), 10001u);
  EXPECT_EQ(manager->Locker(), 0);
}

TEST_F(Worker, TerminateCutsTheWaitShort) {
  TManagerOptions options = FastOptions();
  options.Period = 60s;
  auto manager = MakeManager(options);
  manager->Start();
  std::this_thread::sleep_for(50ms);
  const auto start = std::chrono::steady_clock::now();
  manager->Terminate();
  manager->WaitFor();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  EXPECT_EQ(Sent(10001).size(), 1u);
}

TEST_F(Worker, APassInProgressIsFinishedBeforeTheEnd) {
  sim_.AddFault({.kind = ecrsim::FaultKind::kDelay, .command_id = 10004, .delay_ms = 300});
  auto manager = MakeManager();
  PutFile("a.txt", "SL/COLA//1/1,00/1\r\n");
  PutFile("b.txt", "QQ/\r\n");
  manager->Start();
  ASSERT_TRUE(sim_.GetJournal().WaitFor(
      [](const ecrsim::JournalEntry& e) {
        return e.direction == ecrsim::Direction::kReceived && e.command_id == 10004;
      },
      20s));
  manager->Terminate();
  manager->WaitFor();
  EXPECT_EQ(AnswersOf("a").size(), 1u);
  EXPECT_EQ(AnswersOf("b").size(), 1u);
}

TEST_F(Worker, StoppedOrFolderlessWorkersDoNotScan) {
  PutFile("a.txt", "QQ/\r\n");
  {
    auto stopped = MakeManager();
    stopped->SetStoped(true);
    stopped->Start();
    std::this_thread::sleep_for(300ms);
    stopped->Terminate();
    stopped->WaitFor();
  }
  EXPECT_TRUE(AnswerFiles().empty());
  // A manual operation's UnLock clears the stop flag; a worker without a folder still
  // never scans.
  auto folderless = MakeManager();
  folderless->SetReceiptsDir("");
  folderless->SetStoped(true);
  folderless->Start();
  ASSERT_TRUE(folderless->Lock());
  folderless->UnLock();
  EXPECT_FALSE(folderless->Stoped());
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(AnswerFiles().empty());
  folderless->Terminate();
  folderless->WaitFor();
}

TEST_F(Worker, AnswersStayInTheFolderOfTheStartDayAfterMidnight) {
  platform::FakeClock clock(std::chrono::system_clock::now());
  TManagerServices services;
  services.Codec = &codec_;
  services.Config = config_.get();
  services.Notices = &notices_;
  services.Prompts = &prompts_;
  services.Clock = &clock;
  TManagerOptions options = FastOptions();
  options.JournalFile = JournalFile();
  TManager manager(services, options);
  manager.SetReceiptsDir(In());
  manager.SetAnswerDir(AnswerRoot());
  const std::string start_folder = AnswerFolderOf(manager.AnswerDir(), clock.LocalNow());
  manager.Start();
  ASSERT_TRUE(Eventually([&] { return !manager.CurrentAnswerFolder().empty(); }));
  EXPECT_EQ(manager.CurrentAnswerFolder(), start_folder);
  clock.Advance(std::chrono::hours(24 * 3));
  PutFile("late.txt", "QQ/\r\n");
  ASSERT_TRUE(Eventually([&] { return AnswersOf("late").size() == 1; }));
  manager.Terminate();
  manager.WaitFor();
  const auto files = AnswerFiles();
  ASSERT_EQ(files.size(), 1u);
  EXPECT_EQ(platform::Utf8FromPath(files[0].parent_path()) + platform::kPathDelimiter,
            platform::Utf8FromPath(platform::PathFromUtf8(start_folder)));
  // The name carries the time of the pick-up, three days later.
  EXPECT_EQ(platform::Utf8FromPath(files[0].filename()),
            AnswerFileName("late.txt", clock.LocalNow()));
}

TEST_F(Worker, ALockRefusedDuringALongPassLeavesTheWorkerUndisturbed) {
  sim_.AddFault({.kind = ecrsim::FaultKind::kDelay, .command_id = 10004, .delay_ms = 1500});
  TManagerOptions options = FastOptions();
  options.LockChecks = 50;  // about half a second instead of five
  auto manager = MakeManager(options);
  manager->Link().SetTimeOut(5000);  // the slow answer is an answer
  int pumped = 0;
  manager->SetMessagePump([&] { ++pumped; });
  PutFile("long.txt", "SL/COLA//1/1,00/1\r\nCR/1/1,00\r\n");
  manager->Start();
  ASSERT_TRUE(sim_.GetJournal().WaitFor(
      [](const ecrsim::JournalEntry& e) {
        return e.direction == ecrsim::Direction::kReceived && e.command_id == 10004;
      },
      20s));
  const auto start = std::chrono::steady_clock::now();
  const TResult voided = manager->AllVoid();
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_EQ(voided.Code, TRetCode::rcError);
  EXPECT_EQ(voided.Msg, "All Void Error");
  EXPECT_EQ(prompts_.busy_notices.load(), 1);
  EXPECT_GE(waited, 400ms);
  EXPECT_GE(pumped, 40);
  // The refused lock gave nothing back that was the worker's.
  EXPECT_EQ(manager->Locker(), 1);
  ASSERT_TRUE(Eventually([&] { return AnswersOf("long").size() == 1; }));
  EXPECT_EQ(AnswersOf("long")[0], "OK\r\n");
  ASSERT_TRUE(Eventually([&] { return manager->Locker() == 0; }));
  // Afterwards a manual operation gets the ECR.
  const TResult connected = manager->Connect(true);
  EXPECT_EQ(connected.Code, TRetCode::rcSuccess) << connected.Msg;
  EXPECT_EQ(manager->Locker(), 0);
  EXPECT_FALSE(manager->Stoped());
  manager->Terminate();
  manager->WaitFor();
}

TEST_F(Worker, AHeldLockKeepsTheWorkerFromScanning) {
  auto manager = MakeManager();
  manager->Start();
  ASSERT_TRUE(manager->Lock());
  PutFile("a.txt", "QQ/\r\n");
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(AnswerFiles().empty());
  manager->UnLock();
  ASSERT_TRUE(Eventually([&] { return AnswersOf("a").size() == 1; }));
  manager->Terminate();
  manager->WaitFor();
}

}  // namespace
}  // namespace meridox::jobs::testing

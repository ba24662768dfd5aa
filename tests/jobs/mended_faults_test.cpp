// A command file's lines reach the ECR once, whatever goes wrong after: an answer that
// cannot be written, a file that cannot be deleted, a program killed in the middle.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <thread>

#include "jobs/command_file.h"
#include "jobs/execution_journal.h"
#include "jobs_fixture.h"
#include "log/messages.h"
#include "platform/app_folder.h"
#include "platform/process_start.h"
#include "platform/utf8_path.h"

namespace meridox::jobs::testing {
namespace {

namespace fs = std::filesystem;

const std::string kReceipt =
    "SL/A//1/1,00/1\r\nSL/B//1/2,00/1\r\nSL/C//1/3,00/1\r\nSL/D//1/4,00/1\r\nCR/1/10,00\r\n";

std::vector<std::string> ReceiptLines() {
  return SplitLines(kReceipt);
}

bool Exists(const std::string& path) {
  return fs::exists(platform::PathFromUtf8(path));
}

using Mended = JobsTest;

TEST_F(Mended, AnUnwritableAnswerIsRetriedWithoutSendingTheFileAgain) {
  auto manager = MakeManager();
  const std::string folder =
      AnswerFolderOf(manager->AnswerDir(), platform::SystemClock().LocalNow());
  // A file where the dated folder belongs: neither it nor the answer can be created.
  std::string blocker = folder;
  blocker.pop_back();
  std::ofstream(platform::PathFromUtf8(blocker)) << "in the way";
  const std::string path = PutFile("pay.txt", kReceipt);
  Pass(*manager);
  Pass(*manager);
  EXPECT_TRUE(Exists(path));
  EXPECT_EQ(Sent(10004).size(), 5u);
  const auto notices = notices_.Notices();
  ASSERT_GE(notices.size(), 2u);
  EXPECT_EQ(notices.back().kind, TNoticeKind::nkError);
  EXPECT_EQ(notices.back().text.rfind("Handle File[" + path + "] Error:\r\n", 0), 0u);

  fs::remove(platform::PathFromUtf8(blocker));
  Pass(*manager);
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(AnswersOf("pay"), std::vector<std::string>{"OK\r\n"});
  EXPECT_EQ(Sent(10004).size(), 5u);
  EXPECT_EQ(manager->Journal().Count(), 0u);
}

TEST_F(Mended, AFailureAnswerIsKeptForTheRetryToo) {
  sim_.AddFault({.kind = ecrsim::FaultKind::kRefuse,
                 .command_id = 10004,
                 .nth = 2,
                 .text = "\xCE\x9F\xCE\xA7\xCE\x99"});
  auto manager = MakeManager();
  const std::string folder =
      AnswerFolderOf(manager->AnswerDir(), platform::SystemClock().LocalNow());
  std::string blocker = folder;
  blocker.pop_back();
  std::ofstream(platform::PathFromUtf8(blocker)) << "in the way";
  PutFile("pay.txt", kReceipt);
  Pass(*manager);
  fs::remove(platform::PathFromUtf8(blocker));
  Pass(*manager);
  EXPECT_EQ(Sent(10004).size(), 2u);
  EXPECT_EQ(
      AnswersOf("pay"),
      std::vector<std::string>{FailureAnswer(ReceiptLines(), "\xCE\x9F\xCE\xA7\xCE\x99") + "\r\n"});
}

TEST_F(Mended, AFileThatCannotBeDeletedIsNotSentAgain) {
  std::atomic<bool> held{true};
  TManagerOptions options = FastOptions();
  options.RemoveFile = [&held](const std::string& file) {
    if (held.load())
      return false;
    return fs::remove(platform::PathFromUtf8(file));
  };
  auto manager = MakeManager(options);
  const std::string path = PutFile("held.txt", kReceipt);
  Pass(*manager);
  Pass(*manager);
  Pass(*manager);
  EXPECT_TRUE(Exists(path));
  EXPECT_EQ(Sent(10004).size(), 5u);
  EXPECT_EQ(AnswersOf("held").size(), 1u);  // answered once, not once per pass
  held = false;
  Pass(*manager);
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(Sent(10004).size(), 5u);
  EXPECT_EQ(manager->Journal().Count(), 0u);

  // The same name with new content later is new work.
  PutFile("held.txt", "QQ/\r\n");
  Pass(*manager);
  EXPECT_FALSE(Exists(path));
}

TEST_F(Mended, ANewFileUnderAStuckNameIsRunInFull) {
  std::atomic<bool> held{true};
  TManagerOptions options = FastOptions();
  options.RemoveFile = [&held](const std::string& file) {
    return !held.load() && fs::remove(platform::PathFromUtf8(file));
  };
  auto manager = MakeManager(options);
  PutFile("same.txt", "SL/A//1/1,00/1\r\nCR/1/1,00\r\n");
  Pass(*manager);
  EXPECT_EQ(Sent(10004).size(), 2u);
  // The point-of-sale software overwrites the file it could not see deleted.
  PutFile("same.txt", "SL/B//1/2,00/1\r\nSL/C//1/2,00/1\r\nCR/1/4,00\r\n");
  held = false;
  Pass(*manager);
  EXPECT_EQ(Sent(10004).size(), 5u);
  EXPECT_EQ(AnswersOf("same").back(), "OK\r\n");  // both within a second: one name
}

TEST_F(Mended, WithoutAJournalNothingIsSent) {
  TManagerOptions options = FastOptions();
  options.JournalFile = dir_.Utf8WithSlash() + "in_the_way";
  fs::create_directory(platform::PathFromUtf8(options.JournalFile));
  auto manager = MakeManager(options);
  const std::string path = PutFile("a.txt", kReceipt);
  Pass(*manager);
  EXPECT_TRUE(Exists(path));
  EXPECT_TRUE(Sent(10004).empty());
  EXPECT_TRUE(AnswerFiles().empty());
  ASSERT_FALSE(notices_.Notices().empty());
  EXPECT_EQ(notices_.Notices().back().kind, TNoticeKind::nkError);
}

// ---- a kill in the middle of a file, in a child process

std::filesystem::path ChildParams() {
  return platform::CurrentExecutablePath().parent_path() / "jobs_kill_child.params";
}

TEST_F(Mended, AKillInTheMiddleSendsNothingTwiceAndAnswersTheInterruption) {
  // The third sale is never answered: the child waits for it until it is killed.
  sim_.AddFault({.kind = ecrsim::FaultKind::kNoAnswer, .command_id = 10004, .nth = 3});
  const std::string path = PutFile("kill.txt", kReceipt);
  const std::string die = dir_.Utf8WithSlash() + "die";
  {
    std::ofstream params(ChildParams(), std::ios::binary);
    params << port_ << "\n"
           << In() << "\n"
           << AnswerRoot() << "\n"
           << JournalFile() << "\n"
           << config_->FileName() << "\n"
           << die << "\n";
  }
  const std::string command =
      "\"" + platform::Utf8FromPath(platform::CurrentExecutablePath()) +
      "\" --gtest_filter=JobsChild.DISABLED_RunUntilKilled"
      " --gtest_also_run_disabled_tests > " +
      platform::Utf8FromPath(platform::PathFromUtf8(dir_.Utf8WithSlash() + "child.log")) + " 2>&1";
  std::atomic<int> child_status{-1};
  std::thread child([&] { child_status = std::system(command.c_str()); });
  bool third = false;
  for (int i = 0; i < 6000 && !third; ++i) {
    third = Sent(10004).size() >= 3;
    if (!third)
      std::this_thread::sleep_for(10ms);
  }
  std::ofstream(platform::PathFromUtf8(die)) << "now";
  child.join();
  fs::remove(ChildParams());
  ASSERT_TRUE(third) << "the child never sent its third line";
  EXPECT_NE(child_status.load(), 0);
  ASSERT_EQ(Sent(10004).size(), 3u);
  EXPECT_TRUE(Exists(path));

  // The restarted program.
  sim_.ClearJournal();
  auto manager = MakeManager();
  Pass(*manager);
  EXPECT_TRUE(Sent(10004).empty());
  EXPECT_FALSE(Exists(path));
  EXPECT_EQ(
      AnswersOf("kill"),
      std::vector<std::string>{
          FailureAnswer(ReceiptLines(), msg::Format(msg::sProcessingInterrupted, 2)) + "\r\n"});
  EXPECT_EQ(manager->Journal().Count(), 0u);
}

// Runs only when the test above starts this program for it.
TEST(JobsChild, DISABLED_RunUntilKilled) {
  std::ifstream params(ChildParams(), std::ios::binary);
  std::string port, in, answers, journal, config, die;
  std::getline(params, port);
  std::getline(params, in);
  std::getline(params, answers);
  std::getline(params, journal);
  std::getline(params, config);
  std::getline(params, die);
  ASSERT_FALSE(die.empty());
  std::thread([die] {
    while (!fs::exists(platform::PathFromUtf8(die)))
      std::this_thread::sleep_for(5ms);
    std::_Exit(9);  // as abrupt as a kill: no destructors, no flushing
  }).detach();
  TIniConfig ini(config);
  ini.ReadConfig();
  codec::TccEncode codec;
  TManagerServices services;
  services.Codec = &codec;
  services.Config = &ini;
  TManagerOptions options;
  options.JournalFile = journal;
  TManager manager(services, options);
  manager.Link().SetTimeOut(60000);
  manager.SetReceiptsDir(in);
  manager.SetAnswerDir(answers);
  manager.SetInEncoding(kFileEncoding);
  manager.SetOutEncoding(kFileEncoding);
  manager.ScanFiles(AnswerFolderOf(manager.AnswerDir(), platform::SystemClock().LocalNow()));
  std::this_thread::sleep_for(120s);
}

}  // namespace
}  // namespace meridox::jobs::testing

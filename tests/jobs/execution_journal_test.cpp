// The journal of executed command files survives restarts and torn writes.
#include "jobs/execution_journal.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/utf8_path.h"
#include "temp_dir.h"

namespace meridox::jobs {
namespace {

namespace fs = std::filesystem;

TFileIdentity Id(const std::string& path, std::uint64_t hash = 42) {
  return TFileIdentity{path, 10, 1234567, hash};
}

class JournalTest : public ::testing::Test {
 protected:
  std::string FileName() const { return dir_.Utf8WithSlash() + "Jobs.journal"; }
  testing::TempDir dir_;
};

TEST_F(JournalTest, EveryStateSurvivesARestart) {
  {
    TExecutionJournal journal(FileName());
    journal.Begin(Id("/in/run\tning.txt"));
    journal.LineAccepted("/in/run\tning.txt", 3);
    journal.Begin(Id("/in/fin.txt"));
    journal.LineAccepted("/in/fin.txt", 1);
    journal.Finish("/in/fin.txt", TResult{TRetCode::rcECRError, "Send Data Error\r\n50%"});
    journal.Begin(Id("/in/ans.txt"));
    journal.Finish("/in/ans.txt", TResult{TRetCode::rcSuccess, ""});
    journal.Answered("/in/ans.txt");
    journal.Begin(Id("/in/gone.txt"));
    journal.Remove("/in/gone.txt");
  }
  TExecutionJournal journal(FileName());
  EXPECT_EQ(journal.Count(), 3u);
  const auto running = journal.Find(Id("/in/run\tning.txt"));
  ASSERT_TRUE(running.has_value());
  EXPECT_EQ(running->State, TJournalState::jsRunning);
  EXPECT_EQ(running->LastLine, 3);
  const auto fin = journal.Find(Id("/in/fin.txt"));
  ASSERT_TRUE(fin.has_value());
  EXPECT_EQ(fin->State, TJournalState::jsFinished);
  EXPECT_EQ(fin->Result.Code, TRetCode::rcECRError);
  EXPECT_EQ(fin->Result.Msg, "Send Data Error\r\n50%");
  const auto ans = journal.Find(Id("/in/ans.txt"));
  ASSERT_TRUE(ans.has_value());
  EXPECT_EQ(ans->State, TJournalState::jsAnswered);
  EXPECT_FALSE(journal.Find(Id("/in/gone.txt")).has_value());
}

TEST_F(JournalTest, AnotherFileUnderTheSameNameIsNotTheJournaledOne) {
  TExecutionJournal journal(FileName());
  journal.Begin(Id("/in/a.txt", 1));
  EXPECT_TRUE(journal.Find(Id("/in/a.txt", 1)).has_value());
  EXPECT_FALSE(journal.Find(Id("/in/a.txt", 2)).has_value());
  TFileIdentity other_size = Id("/in/a.txt", 1);
  other_size.Size = 11;
  EXPECT_FALSE(journal.Find(other_size).has_value());
}

TEST_F(JournalTest, TornOrDamagedRecordsAreIgnored) {
  {
    TExecutionJournal journal(FileName());
    journal.Begin(Id("/in/a.txt"));
    journal.LineAccepted("/in/a.txt", 2);
  }
  {
    std::ofstream out(platform::PathFromUtf8(FileName()), std::ios::binary | std::ios::app);
    out << "L\t/in/a.txt\t7\t00000000\n";  // wrong checksum
    out << "L\t/in/a.txt\t9";              // torn: no checksum, no line end
  }
  TExecutionJournal journal(FileName());
  const auto entry = journal.Find(Id("/in/a.txt"));
  ASSERT_TRUE(entry.has_value());
  EXPECT_EQ(entry->LastLine, 2);
}

TEST_F(JournalTest, ManyFinishedFilesDoNotGrowTheFile) {
  {
    TExecutionJournal journal(FileName());
    journal.Begin(Id("/in/open.txt"));
    for (int i = 0; i < 1000; ++i) {
      const std::string path = "/in/f" + std::to_string(i) + ".txt";
      journal.Begin(Id(path));
      journal.Finish(path, TResult{TRetCode::rcSuccess, ""});
      journal.Remove(path);
    }
    EXPECT_LT(fs::file_size(platform::PathFromUtf8(FileName())), 32u * 1024u);
  }
  TExecutionJournal reopened(FileName());
  EXPECT_EQ(reopened.Count(), 1u);
  EXPECT_TRUE(reopened.Find(Id("/in/open.txt")).has_value());
}

TEST_F(JournalTest, IdentityFollowsTheBytes) {
  const std::string path = dir_.Utf8WithSlash() + "a.txt";
  std::ofstream(platform::PathFromUtf8(path)) << "SL";
  const TFileIdentity a = IdentityOf(path, "SL/1");
  EXPECT_EQ(a.Size, 4u);
  EXPECT_EQ(a, IdentityOf(path, "SL/1"));
  EXPECT_NE(a.Hash, IdentityOf(path, "SL/2").Hash);
  EXPECT_NE(a.ModifiedTime, 0);
}

TEST_F(JournalTest, UnwritableJournalFailsLoudly) {
  const std::string blocked = dir_.Utf8WithSlash() + "dir";
  fs::create_directory(platform::PathFromUtf8(blocked));
  EXPECT_THROW(TExecutionJournal journal(blocked), std::runtime_error);
}

}  // namespace
}  // namespace meridox::jobs

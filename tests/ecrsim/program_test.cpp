// The ecrsim program itself: started on a free TCP port with a rules file, driven by a
// plain client, its journal and paper roll read from files.
#include <gtest/gtest.h>

#include <fstream>

#include "child_process.h"
#include "ecr_client.h"
#include "request_payloads.h"
#include "temp_dir.h"

namespace meridox::ecrsim {
namespace {

using namespace std::chrono_literals;

TEST(Program, ServesTcpWithRulesJournalAndPaper) {
  meridox::testing::TempDir dir;
  const auto rules = dir.path() / "rules.txt";
  std::ofstream(rules) << "# the second sale line is refused\n"
                          "refuse cmd=10004 nth=2 text=\"ΧΑΡΤΙ ΤΕΛΟΣ\"\n";
  const auto output = dir.path() / "out.txt";
  const auto journal = dir.path() / "journal.jsonl";
  const auto paper = dir.path() / "paper.txt";
  std::string error;
  auto child =
      meridox::testing::ChildProcess::Start(meridox::testing::ProgramPath("ecrsim"),
                                            {"--tcp", "0", "--rules", rules.string(), "--journal",
                                             journal.string(), "--paper", paper.string()},
                                            output, &error);
  ASSERT_TRUE(child) << error;
  const std::string marker = "listening on 127.0.0.1:";
  ASSERT_TRUE(meridox::testing::WaitForText(output, marker, 20s))
      << meridox::testing::ReadFileText(output);
  const std::string text = meridox::testing::ReadFileText(output);
  const int port = std::stoi(text.substr(text.find(marker) + marker.size()));
  ASSERT_GT(port, 0);

  testing::EcrClient client;
  client.Connect(static_cast<std::uint16_t>(port));
  EXPECT_EQ(client.Exchange(10004, testing::SaleLine(1, "ΤΥΡΟΠΙΤΑ", 1000, 180)).command, 0xE082u);
  const testing::Answer refused = client.Exchange(10004, testing::SaleLine(2, "X", 1000, 10));
  EXPECT_EQ(refused.command, 0x800Du);
  EXPECT_EQ(testing::RefusalText(refused.payload), "ΧΑΡΤΙ ΤΕΛΟΣ");
  EXPECT_EQ(client.Exchange(10004, testing::Payment(3, 1, 0)).command, 0xE082u);

  EXPECT_TRUE(meridox::testing::WaitForText(paper, "ΤΥΡΟΠΙΤΑ", 5s));
  EXPECT_TRUE(meridox::testing::WaitForText(journal, "\"meaning\":\"refused: ΧΑΡΤΙ ΤΕΛΟΣ", 5s));
  EXPECT_TRUE(meridox::testing::WaitForText(journal, "receipt 1 closed", 5s));
  EXPECT_NE(meridox::testing::ReadFileText(journal).find(
                "\"dir\":\"in\",\"id\":10004,\"code\":\"0xE082\""),
            std::string::npos);

  int exit_code = -1;
  if (meridox::testing::kStopBySignal) {
    child->RequestStop();
    ASSERT_TRUE(child->Wait(10s, exit_code));
    EXPECT_EQ(exit_code, 0);
  } else {
    child->Kill();
    child->Wait(10s, exit_code);
  }
}

TEST(Program, BadRulesFileIsReportedWithItsLine) {
  meridox::testing::TempDir dir;
  const auto rules = dir.path() / "rules.txt";
  std::ofstream(rules) << "delay ms=10\nexplode\n";
  const auto output = dir.path() / "out.txt";
  std::string error;
  auto child = meridox::testing::ChildProcess::Start(meridox::testing::ProgramPath("ecrsim"),
                                                     {"--tcp", "0", "--rules", rules.string()},
                                                     output, &error);
  ASSERT_TRUE(child) << error;
  int exit_code = -1;
  ASSERT_TRUE(child->Wait(20s, exit_code));
  EXPECT_EQ(exit_code, 2);
  EXPECT_NE(meridox::testing::ReadFileText(output).find("line 2"), std::string::npos);
}

}  // namespace
}  // namespace meridox::ecrsim

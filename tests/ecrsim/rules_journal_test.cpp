// The rules file, the journal's JSON lines and the program's command line.
#include <gtest/gtest.h>

#include "command_line.h"
#include "fault_plan.h"
#include "journal.h"

namespace meridox::ecrsim {
namespace {

TEST(FaultRules, FullFileParses) {
  const ParseResult r = ParseFaultRules(
      "# demo\n"
      "noanswer cmd=10004 nth=2 times=3\r\n"
      "\n"
      "refuse cmd=10004 text=\"ΧΑΡΤΙ ΤΕΛΟΣ\" marker=no   # paper out\n"
      "garbage bytes=00FF13 ms=20\n"
      "split cmd=30008 chunk=4 ms=15\n"
      "unsolicited cmd=20000 pack=0 payload=0102\n"
      "slowreport ms=4000\n"
      "status word=8 times=forever text=\"ΒΛΑΒΗ\"\n"
      "pending which=receipt packets=3\n");
  ASSERT_TRUE(r.ok) << r.error;
  ASSERT_EQ(r.setup.faults.size(), 6u);
  const FaultRule& no = r.setup.faults[0];
  EXPECT_EQ(no.kind, FaultKind::kNoAnswer);
  EXPECT_EQ(no.command_id, 10004u);
  EXPECT_EQ(no.nth, 2);
  EXPECT_EQ(no.times, 3);
  EXPECT_EQ(r.setup.faults[1].text, "ΧΑΡΤΙ ΤΕΛΟΣ");
  EXPECT_FALSE(r.setup.faults[1].marker);
  EXPECT_EQ(r.setup.faults[2].command_id, 0u);
  EXPECT_EQ(r.setup.faults[2].bytes, (std::vector<std::uint8_t>{0x00, 0xFF, 0x13}));
  EXPECT_EQ(r.setup.faults[3].chunk_size, 4u);
  EXPECT_EQ(r.setup.faults[4].payload, (std::vector<std::uint8_t>{0x01, 0x02}));
  EXPECT_EQ(r.setup.faults[5].kind, FaultKind::kDelay);
  EXPECT_EQ(r.setup.faults[5].command_id, 30009u);
  EXPECT_EQ(r.setup.faults[5].delay_ms, 4000);
  ASSERT_EQ(r.setup.statuses.size(), 1u);
  EXPECT_EQ(r.setup.statuses[0].word, 8);
  EXPECT_EQ(r.setup.statuses[0].times, kForever);
  ASSERT_EQ(r.setup.pending.size(), 1u);
  EXPECT_EQ(r.setup.pending[0].kind, PendingKind::kReceiptContent);
  EXPECT_EQ(r.setup.pending[0].packets, 3);
}

struct BadRule {
  const char* text;
  const char* error_part;
};

class BadRulesTest : public ::testing::TestWithParam<BadRule> {};

TEST_P(BadRulesTest, ErrorNamesTheLine) {
  const ParseResult r = ParseFaultRules(std::string("delay ms=5\n") + GetParam().text);
  EXPECT_FALSE(r.ok);
  EXPECT_NE(r.error.find("line 2"), std::string::npos) << r.error;
  EXPECT_NE(r.error.find(GetParam().error_part), std::string::npos) << r.error;
}

INSTANTIATE_TEST_SUITE_P(Rules, BadRulesTest,
                         ::testing::Values(BadRule{"explode cmd=1", "unknown rule"},
                                           BadRule{"delay ms=abc", "ms"},
                                           BadRule{"delay colour=red", "unknown key"},
                                           BadRule{"garbage bytes=ABC", "hex"},
                                           BadRule{"refuse text=\"open", "quote"},
                                           BadRule{"noanswer times=0", "times"},
                                           BadRule{"refuse marker=maybe", "marker"},
                                           BadRule{"pending which=other", "which"},
                                           BadRule{"noanswer 10004", "key=value"}));

TEST(FaultPlanMatch, ForeverRuleKeepsHittingAndClearRemovesIt) {
  FaultPlan plan;
  plan.Add({.kind = FaultKind::kDelay, .command_id = 30009, .times = kForever});
  for (int i = 0; i < 5; ++i) {
    EXPECT_EQ(plan.Match(30009).size(), 1u);
  }
  EXPECT_TRUE(plan.Match(20000).empty());
  plan.Clear();
  EXPECT_TRUE(plan.Match(30009).empty());
}

TEST(JournalLine, FrameEntryAsJson) {
  JournalEntry e;
  e.direction = Direction::kSent;
  e.command_id = 10007;
  e.command_code = 0x800D;
  e.packet_number = 3;
  e.ecr_id = 907158;
  e.payload = {0xFE, 0xC1};
  e.meaning = "refused: \"Α\"\n";
  const std::string line = JournalLine(e);
  EXPECT_NE(line.find("\"dir\":\"out\""), std::string::npos) << line;
  EXPECT_NE(line.find("\"id\":10007,\"code\":\"0x800D\",\"packet\":3,\"ecr\":907158"),
            std::string::npos)
      << line;
  EXPECT_NE(line.find("\"payload\":\"FEC1\""), std::string::npos) << line;
  EXPECT_NE(line.find("\"meaning\":\"refused: \\\"Α\\\"\\u000a\""), std::string::npos) << line;
  EXPECT_EQ(line.find('\n'), std::string::npos);
  EXPECT_EQ(line.front(), '{');
  EXPECT_EQ(line.back(), '}');
}

TEST(JournalMemory, LimitKeepsTheNewestEntries) {
  Journal journal;
  journal.SetMemoryLimit(3);
  for (std::uint32_t i = 1; i <= 5; ++i) {
    JournalEntry e;
    e.packet_number = i;
    journal.Add(e);
  }
  const std::vector<JournalEntry> kept = journal.Entries();
  ASSERT_EQ(kept.size(), 3u);
  EXPECT_EQ(kept.front().packet_number, 3u);
  EXPECT_EQ(kept.back().packet_number, 5u);
}

struct CommandLineCase {
  std::vector<std::string> args;
  bool ok;
  ProgramOptions::Transport transport;
};

class CommandLineTest : public ::testing::TestWithParam<CommandLineCase> {};

TEST_P(CommandLineTest, Parses) {
  const ParsedCommandLine r = ParseCommandLine(GetParam().args);
  EXPECT_EQ(r.ok, GetParam().ok) << r.error;
  if (r.ok) {
    EXPECT_EQ(r.options.transport, GetParam().transport);
  } else {
    EXPECT_FALSE(r.error.empty());
  }
}

using T = ProgramOptions::Transport;
INSTANTIATE_TEST_SUITE_P(
    Args, CommandLineTest,
    ::testing::Values(CommandLineCase{{"--tcp", "0"}, true, T::kTcp},
                      CommandLineCase{{"--pty", "--baud", "9600"}, true, T::kPty},
                      CommandLineCase{{"--com", "COM5", "--journal", "-"}, true, T::kSerial},
                      CommandLineCase{{"--help"}, true, T::kNone},
                      CommandLineCase{{}, false, T::kNone},
                      CommandLineCase{{"--tcp", "70000"}, false, T::kNone},
                      CommandLineCase{{"--tcp"}, false, T::kNone},
                      CommandLineCase{{"--tcp", "0", "--pty"}, false, T::kNone},
                      CommandLineCase{{"--tcp", "0", "--frobnicate"}, false, T::kNone}));

TEST(CommandLineHelp, DocumentsEveryRuleAndTransport) {
  const std::string help = HelpText();
  for (const char* word :
       {"--tcp",       "--pty",       "--com", "--baud", "--journal",  "--paper",   "--rules",
        "--no-marker", "noanswer",    "delay", "split",  "garbage",    "wrongpack", "badsum",
        "badcrc",      "unsolicited", "close", "refuse", "slowreport", "status",    "pending"}) {
    EXPECT_NE(help.find(word), std::string::npos) << word;
  }
}

}  // namespace
}  // namespace meridox::ecrsim

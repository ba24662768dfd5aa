#include "app/cli/options.h"

#include <gtest/gtest.h>

#include "app/cli/questioner.h"

namespace meridox::cli {
namespace {

struct ArgsCase {
  std::vector<std::string> args;
  bool ok;
  Command command;
  std::string home;
  bool keep;
};

class ParseArgumentsTest : public ::testing::TestWithParam<ArgsCase> {};

TEST_P(ParseArgumentsTest, ReadsCommandAndOptions) {
  const ArgsCase& c = GetParam();
  const ParseResult result = ParseArguments(c.args);
  ASSERT_EQ(result.ok, c.ok) << result.error;
  if (!c.ok) {
    EXPECT_FALSE(result.error.empty());
    return;
  }
  EXPECT_EQ(result.options.command, c.command);
  EXPECT_EQ(result.options.home, c.home);
  EXPECT_EQ(result.options.keep, c.keep);
}

INSTANTIATE_TEST_SUITE_P(
    Table, ParseArgumentsTest,
    ::testing::Values(ArgsCase{{"run"}, true, Command::kRun, "", false},
                      ArgsCase{{"run", "--home", "/srv/m"}, true, Command::kRun, "/srv/m", false},
                      ArgsCase{{"x-report", "--home=/a b"}, true, Command::kXReport, "/a b", false},
                      ArgsCase{{"z-report"}, true, Command::kZReport, "", false},
                      ArgsCase{{"check"}, true, Command::kCheck, "", false},
                      ArgsCase{{"close-receipt"}, true, Command::kCloseReceipt, "", false},
                      ArgsCase{{"void"}, true, Command::kVoid, "", false},
                      ArgsCase{{"demo", "--keep"}, true, Command::kDemo, "", true},
                      ArgsCase{{"--version"}, true, Command::kVersion, "", false},
                      ArgsCase{{"--help"}, true, Command::kHelp, "", false},
                      // Refused: no command, unknown words, options out of place.
                      ArgsCase{{}, false, Command::kHelp, "", false},
                      ArgsCase{{"start"}, false, Command::kHelp, "", false},
                      ArgsCase{{"run", "--keep"}, false, Command::kHelp, "", false},
                      ArgsCase{{"run", "--home"}, false, Command::kHelp, "", false},
                      ArgsCase{{"run", "extra"}, false, Command::kHelp, "", false},
                      ArgsCase{{"RUN"}, false, Command::kHelp, "", false},
                      ArgsCase{{"--version", "--home", "x"}, false, Command::kHelp, "", false}));

TEST(CommandWords, EveryManualOperationHasAWordThatParsesBack) {
  for (Command c : {Command::kCheck, Command::kCloseReceipt, Command::kVoid, Command::kXReport,
                    Command::kZReport}) {
    ASSERT_TRUE(IsManualOperation(c));
    const ParseResult result = ParseArguments({std::string(CommandWord(c))});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.options.command, c);
  }
  EXPECT_FALSE(IsManualOperation(Command::kRun));
  EXPECT_FALSE(IsManualOperation(Command::kDemo));
}

TEST(ParseAnswer, KnownWordsAndFallback) {
  struct Case {
    const char* answer;
    bool fallback;
    bool expected;
  };
  const Case cases[] = {{"y", false, true}, {" YES ", false, true},  {"ok", false, true},
                        {"n", true, false}, {"Cancel", true, false}, {"", true, true},
                        {"", false, false}, {"maybe", true, true},   {"maybe", false, false}};
  for (const Case& c : cases)
    EXPECT_EQ(ParseAnswer(c.answer, c.fallback), c.expected) << "'" << c.answer << "'";
}

}  // namespace
}  // namespace meridox::cli

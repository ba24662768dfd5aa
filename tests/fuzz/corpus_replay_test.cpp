// Runs every file of the fuzz corpus through the same property checks the fuzzers use, so
// the normal suite exercises them without libFuzzer.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "../../fuzz/answer_decoder_targets.h"
#include "../../fuzz/command_line_targets.h"
#include "../../fuzz/ecrsim_targets.h"
#include "../../fuzz/frame_targets.h"
#include "../../fuzz/ini_file_targets.h"

namespace meridox::fuzz {
namespace {

using Target = std::string (*)(const std::uint8_t*, std::size_t);

struct ReplayCase {
  const char* corpus;
  Target target;
  std::size_t minFiles;
};

std::vector<std::filesystem::path> CorpusFiles(const char* corpus) {
  const std::filesystem::path dir =
      std::filesystem::path(MERIDOX_SOURCE_DIR) / "fuzz" / "corpus" / corpus;
  std::vector<std::filesystem::path> files;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(dir, error)) {
    if (entry.is_regular_file()) {
      files.push_back(entry.path());
    }
  }
  return files;
}

class CorpusReplayTest : public ::testing::TestWithParam<ReplayCase> {};

TEST_P(CorpusReplayTest, EveryFileKeepsEveryProperty) {
  const ReplayCase& c = GetParam();
  const auto files = CorpusFiles(c.corpus);
  ASSERT_GE(files.size(), c.minFiles) << "corpus " << c.corpus << " missing or too small";
  for (const auto& file : files) {
    std::ifstream in(file, std::ios::binary);
    ASSERT_TRUE(in) << file.string();
    const std::vector<std::uint8_t> data((std::istreambuf_iterator<char>(in)),
                                         std::istreambuf_iterator<char>());
    EXPECT_EQ(c.target(data.data(), data.size()), "") << file.filename().string();
  }
}

INSTANTIATE_TEST_SUITE_P(Targets, CorpusReplayTest,
                         ::testing::Values(ReplayCase{"check_data", &CheckDataTarget, 8},
                                           ReplayCase{"frame_scanner", &FrameScannerTarget, 8},
                                           ReplayCase{"command_line", &CommandLineTarget, 8},
                                           ReplayCase{"answer_decoder", &AnswerDecoderTarget, 8},
                                           ReplayCase{"ini_file", &IniFileTarget, 8},
                                           ReplayCase{"fault_rules", &FaultRulesTarget, 5},
                                           ReplayCase{"sim_request", &SimRequestTarget, 5}),
                         [](const auto& p) { return std::string(p.param.corpus); });

// The replay is only as good as the independent derivation of the result code.
TEST(FrameTargetsTest, ExpectedCodeFollowsTheOrderOfChecks) {
  const detail::Settings all{true, true, true, 0, 0xE082};
  // Another packet number and a wrong sum: the packet number is judged first.
  std::vector<std::uint8_t> frame{0xAA, 0x03, 0xE0, 0x82, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0, 0};
  EXPECT_EQ(detail::ExpectedCode(frame, all), 8);
  frame[7] = 0;
  EXPECT_EQ(detail::ExpectedCode(frame, all), 4);
  frame[15] = link::FrameHeaderSum(frame);
  EXPECT_EQ(detail::ExpectedCode(frame, all), 0);
  frame[3] = 0x00;  // 0xE000 answering 0xE082
  EXPECT_EQ(detail::ExpectedCode(frame, all), 9);
}

}  // namespace
}  // namespace meridox::fuzz

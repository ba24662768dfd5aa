// Command and answer files on disk: lines, names, contents, listing.
#include "jobs/command_file.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "platform/app_folder.h"
#include "platform/utf8_path.h"
#include "temp_dir.h"

namespace meridox::jobs {
namespace {

namespace fs = std::filesystem;

struct SplitCase {
  const char* name;
  std::string text;
  std::vector<std::string> lines;
};

class SplitLinesTable : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitLinesTable, SplitsAtEveryKindOfLineEnd) {
  EXPECT_EQ(SplitLines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitLinesTable,
    ::testing::Values(SplitCase{"empty", "", {}}, SplitCase{"one_without_end", "SL/1", {"SL/1"}},
                      SplitCase{"final_end_adds_nothing", "a\r\n", {"a"}},
                      SplitCase{"crlf_cr_lf", "a\r\nb\rc\nd", {"a", "b", "c", "d"}},
                      SplitCase{"lf_cr_is_two_ends", "a\n\rb", {"a", "", "b"}},
                      SplitCase{"blank_lines_kept", "\r\n\r\n", {"", ""}},
                      SplitCase{"bom_is_kept", "\xEF\xBB\xBFSL", {"\xEF\xBB\xBFSL"}},
                      SplitCase{"nul_is_data", std::string("a\0b", 3), {std::string("a\0b", 3)}}),
    [](const auto& p) { return std::string(p.param.name); });

TEST(CommandFile, BlankMeansOnlyBlanksAndControls) {
  EXPECT_TRUE(IsBlankLine(""));
  EXPECT_TRUE(IsBlankLine(" \t\x01\x1F "));
  EXPECT_FALSE(IsBlankLine("  x "));
  EXPECT_FALSE(IsBlankLine("\xCE\x91"));
}

struct NameCase {
  const char* path;
  platform::LocalTime at;
  const char* answer;
};

class AnswerNameTable : public ::testing::TestWithParam<NameCase> {};

TEST_P(AnswerNameTable, NameIsTheFileWithTimeInsteadOfExtension) {
  EXPECT_EQ(AnswerFileName(GetParam().path, GetParam().at), GetParam().answer);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AnswerNameTable,
    ::testing::Values(
        NameCase{"/in/order17.txt", {2026, 12, 13, 14, 30, 5, 0}, "order17_143005.Ans"},
        NameCase{"order17.txt", {2026, 12, 13, 0, 0, 0, 0}, "order17_000000.Ans"},
        NameCase{"/in/a.b.TXT", {2026, 1, 2, 23, 59, 59, 999}, "a.b_235959.Ans"},
        NameCase{"/in/noext", {2026, 1, 2, 9, 8, 7, 0}, "noext_090807.Ans"}));

TEST(CommandFile, AnswerFolderIsTheDayAsYyMMdd) {
  EXPECT_EQ(AnswerFolderOf("/ans/", {2026, 12, 13, 23, 59, 59, 0}),
            std::string("/ans/261213") + platform::kPathDelimiter);
  EXPECT_EQ(AnswerFolderOf("/ans/", {2009, 1, 2, 0, 0, 0, 0}),
            std::string("/ans/090102") + platform::kPathDelimiter);
}

TEST(CommandFile, FailureAnswerListsTheFileThenTwoEmptyLinesThenTheError) {
  const std::string text = FailureAnswer({"SL/1/A/1", "", "CR/1"}, "Send Data Error");
  EXPECT_EQ(text, "File Text:\r\nSL/1/A/1\r\n\r\nCR/1\r\n\r\n\r\nError:Send Data Error");
  EXPECT_EQ(SuccessAnswer(), "OK");
}

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

TEST(CommandFile, SaveWritesCrLfLinesEncodedAndLoadReadsThemBack) {
  testing::TempDir dir;
  const std::string file = dir.Utf8WithSlash() + "x_120000.Ans";
  const TTextEncoding cp737(TTextEncodingKind::te737);
  SaveFile(file, FailureAnswer({"SL/1/\xCE\x91/1"}, "multi\nline"), cp737);
  EXPECT_EQ(ReadAll(platform::PathFromUtf8(file)),
            "File Text:\r\nSL/1/\x80/1\r\n\r\n\r\nError:multi\r\nline\r\n");
  EXPECT_EQ(LoadFile(file, cp737), (std::vector<std::string>{"File Text:", "SL/1/\xCE\x91/1", "",
                                                             "", "Error:multi", "line"}));
}

TEST(CommandFile, SaveRecreatesAMissingFolderAndReplacesAnOldFile) {
  testing::TempDir dir;
  const std::string file = dir.Utf8WithSlash() + "gone" + platform::kPathDelimiter + "a.Ans";
  const TTextEncoding ascii(TTextEncodingKind::teASCII);
  SaveFile(file, "a long first answer", ascii);
  SaveFile(file, "OK", ascii);
  EXPECT_EQ(ReadAll(platform::PathFromUtf8(file)), "OK\r\n");
}

TEST(CommandFile, LoadOfAMissingFileThrows) {
  testing::TempDir dir;
  EXPECT_THROW(
      LoadFile(dir.Utf8WithSlash() + "none.txt", TTextEncoding(TTextEncodingKind::teASCII)),
      std::runtime_error);
}

TEST(CommandFile, ListFilesMatchesTheMaskAndKeepsFolders) {
  testing::TempDir dir;
  for (const char* name : {"a.txt", "B.TXT", "c.txt.bak", "d.ans"})
    std::ofstream(dir.path() / name) << "x";
  fs::create_directory(dir.path() / "sub.txt");
  std::vector<std::string> list{"stale"};
  ListFiles(platform::Utf8FromPath(dir.path()), "*.txt", list);
  std::sort(list.begin(), list.end());
  const std::string prefix = dir.Utf8WithSlash();
  EXPECT_EQ(list,
            (std::vector<std::string>{prefix + "B.TXT", prefix + "a.txt", prefix + "sub.txt"}));
  ListFiles(prefix + "missing", "*.txt", list);
  EXPECT_TRUE(list.empty());
}

TEST(CommandFile, MaskMatching) {
  EXPECT_TRUE(MatchesMask("order.txt", "*.txt"));
  EXPECT_TRUE(MatchesMask("a.b.Txt", "*.txt"));
  EXPECT_FALSE(MatchesMask("a.txt1", "*.txt"));
  EXPECT_FALSE(MatchesMask("txt", "*.txt"));
  EXPECT_TRUE(MatchesMask("ab", "a?"));
  EXPECT_FALSE(MatchesMask("abc", "a?"));
}

}  // namespace
}  // namespace meridox::jobs

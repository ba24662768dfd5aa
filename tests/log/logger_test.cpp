#include "log/logger.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <ctime>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>
#include <vector>

#include "platform/ansi_text.h"
#include "platform/app_folder.h"
#include "platform/utf8_path.h"
#include "temp_dir.h"

namespace meridox {
namespace {

using namespace std::chrono_literals;
namespace fs = std::filesystem;

// The wall-clock moment of a local date and time, so that the fake clock shows it.
std::chrono::system_clock::time_point LocalMoment(int year, int month, int day, int hour,
                                                  int minute, int second, int millisecond) {
  std::tm parts{};
  parts.tm_year = year - 1900;
  parts.tm_mon = month - 1;
  parts.tm_mday = day;
  parts.tm_hour = hour;
  parts.tm_min = minute;
  parts.tm_sec = second;
  parts.tm_isdst = -1;
  const std::time_t t = std::mktime(&parts);
  return std::chrono::system_clock::from_time_t(t) + std::chrono::milliseconds(millisecond);
}

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<fs::path> FilesIn(const fs::path& dir) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(dir))
    files.push_back(entry.path().filename());
  std::sort(files.begin(), files.end());
  return files;
}

class LoggerTest : public ::testing::Test {
 protected:
  testing::TempDir temp_;
  platform::FakeClock clock_{LocalMoment(2016, 12, 13, 14, 3, 7, 125)};
  fs::path DayFile(const char* name) const { return temp_.path() / name; }
};

struct LineCase {
  TLogLevel level;
  std::string message;
  std::string line;
};

class LoggerLineTest : public LoggerTest, public ::testing::WithParamInterface<LineCase> {};

TEST_P(LoggerLineTest, WritesOneStampedLineWithTheLevelTag) {
  TLogger logger(temp_.Utf8WithSlash(), {}, clock_);
  ASSERT_TRUE(logger.WriteLog(GetParam().message, GetParam().level)) << logger.LastError();
  EXPECT_EQ(logger.LogName(), "20161213.log");
  EXPECT_EQ(ReadBytes(DayFile("20161213.log")), GetParam().line);
}

INSTANTIATE_TEST_SUITE_P(
    Levels, LoggerLineTest,
    ::testing::Values(
        LineCase{llError, "Pack Data Error", "[14:03:07.125 <Error>] Pack Data Error\r\n"},
        LineCase{llDebug, "d", "[14:03:07.125 <Debug>] d\r\n"},
        LineCase{llInfor, "i", "[14:03:07.125 <Infor>] i\r\n"},
        LineCase{llNotice, "n", "[14:03:07.125 <Notice>] n\r\n"},
        LineCase{llWarning, "w", "[14:03:07.125 <Warning>] w\r\n"},
        LineCase{llError, "", "[14:03:07.125 <Error>] \r\n"},
        // Not trimmed, line breaks not escaped.
        LineCase{llInfor, "  two\r\nlines ", "[14:03:07.125 <Infor>]   two\r\nlines \r\n"},
        // Up to the first zero byte, and still a whole line.
        LineCase{llInfor, std::string("abc\0def", 7), "[14:03:07.125 <Infor>] abc\r\n"}));

TEST_F(LoggerTest, StampIsZeroPaddedToMilliseconds) {
  clock_.Set(LocalMoment(2017, 1, 2, 3, 4, 5, 6));
  TLogger logger(temp_.Utf8WithSlash(), {}, clock_);
  ASSERT_TRUE(logger.WriteLog("x", llInfor));
  EXPECT_EQ(ReadBytes(DayFile("20170102.log")), "[03:04:05.006 <Infor>] x\r\n");
}

TEST_F(LoggerTest, AppendsToTheDayFile) {
  TLogger logger(temp_.Utf8WithSlash(), {}, clock_);
  ASSERT_TRUE(logger.WriteLog("one", llInfor));
  clock_.Advance(1500ms);
  ASSERT_TRUE(logger.WriteLog("two", llError));
  EXPECT_EQ(ReadBytes(DayFile("20161213.log")),
            "[14:03:07.125 <Infor>] one\r\n[14:03:08.625 <Error>] two\r\n");
}

TEST_F(LoggerTest, WritesOnEitherSideOfMidnightGoToTheFileOfEachDay) {
  clock_.Set(LocalMoment(2016, 12, 31, 23, 59, 59, 950));
  TLogger logger(temp_.Utf8WithSlash(), {}, clock_);
  ASSERT_TRUE(logger.WriteLog("old year", llInfor));
  clock_.Advance(100ms);
  ASSERT_TRUE(logger.WriteLog("new year", llInfor));
  EXPECT_EQ(logger.LogName(), "20170101.log");
  EXPECT_EQ(FilesIn(temp_.path()), (std::vector<fs::path>{"20161231.log", "20170101.log"}));
  EXPECT_EQ(ReadBytes(DayFile("20161231.log")), "[23:59:59.950 <Infor>] old year\r\n");
  EXPECT_EQ(ReadBytes(DayFile("20170101.log")), "[00:00:00.050 <Infor>] new year\r\n");
}

TEST_F(LoggerTest, DeletedDayFileIsCreatedAgainWithOnlyTheNewLine) {
  TLogger logger(temp_.Utf8WithSlash(), {}, clock_);
  ASSERT_TRUE(logger.WriteLog("before", llInfor));
  ASSERT_TRUE(fs::remove(DayFile("20161213.log")));
  ASSERT_TRUE(logger.WriteLog("after", llInfor));
  EXPECT_EQ(ReadBytes(DayFile("20161213.log")), "[14:03:07.125 <Infor>] after\r\n");
}

TEST_F(LoggerTest, UnwritableDayFileFailsWithTheReasonAndTheNextWriteRetries) {
  TLogger logger(temp_.Utf8WithSlash(), {}, clock_);
  fs::create_directory(DayFile("20161213.log"));  // a folder where the file should be
  EXPECT_FALSE(logger.WriteLog("lost", llError));
  EXPECT_FALSE(logger.LastError().empty());
  fs::remove(DayFile("20161213.log"));
  EXPECT_TRUE(logger.WriteLog("kept", llError));
  EXPECT_TRUE(logger.LastError().empty());
  EXPECT_EQ(ReadBytes(DayFile("20161213.log")), "[14:03:07.125 <Error>] kept\r\n");
}

struct DirCase {
  const char* name;
  std::string suffix;      // appended to the temporary folder; "" = folder as given
  bool add_delimiter;      // give the folder with a trailing delimiter
  std::string expect_sub;  // where the files must land, below the temporary folder
};

class LoggerDirTest : public LoggerTest, public ::testing::WithParamInterface<DirCase> {};

TEST_P(LoggerDirTest, FilesLandInsideTheFolderWhichIsCreatedWithItsParents) {
  const DirCase& c = GetParam();
  // Written with '/', given to the logger with this system's own delimiter.
  std::string suffix = c.suffix;
  std::replace(suffix.begin(), suffix.end(), '/', platform::kPathDelimiter);
  std::string dir = platform::Utf8FromPath(temp_.path()) + suffix;
  if (c.add_delimiter)
    dir += platform::kPathDelimiter;
  TLogger logger("  " + dir + " ", {}, clock_);
  const fs::path expected = (temp_.path() / platform::PathFromUtf8(c.expect_sub)).make_preferred();
  EXPECT_EQ(logger.LogDir(), platform::WithTrailingDelimiter(platform::Utf8FromPath(expected)));
  ASSERT_TRUE(fs::is_directory(expected));
  ASSERT_TRUE(logger.WriteLog("x", llInfor));
  EXPECT_TRUE(fs::is_regular_file(expected / "20161213.log"));
}

INSTANTIATE_TEST_SUITE_P(
    Folders, LoggerDirTest,
    ::testing::Values(DirCase{"WithDelimiter", "/Log", true, "Log"},
                      DirCase{"WithoutDelimiter", "/Log", false, "Log"},
                      DirCase{"MissingParents", "/a/b/Log", false, "a/b/Log"},
                      DirCase{"GreekName", "/\xCE\x91\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xB1",
                              false, "\xCE\x91\xCF\x81\xCF\x87\xCE\xB5\xCE\xAF\xCE\xB1"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(LoggerTest, BlankFolderMeansLogBesideTheExecutable) {
  const fs::path beside = platform::PathFromUtf8(platform::ExecutableFolder()) / "log";
  const bool existed = fs::exists(beside);
  for (const char* blank : {"", "   ", "\t "}) {
    TLogger logger(blank, {}, clock_);
    EXPECT_EQ(logger.LogDir(), platform::ExecutableFolder() + "log" + platform::kPathDelimiter);
    EXPECT_TRUE(fs::is_directory(beside));
  }
  if (!existed)
    fs::remove_all(beside);
}

TEST_F(LoggerTest, ImpossibleFolderThrowsWithTheSystemText) {
  std::ofstream(temp_.path() / "plain").put('x');  // a file cannot hold a folder
  const std::string dir = platform::Utf8FromPath(temp_.path() / "plain" / "Log");
  try {
    TLogger logger(dir, {}, clock_);
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    const std::string text = e.what();
    EXPECT_EQ(text.rfind("Log Path is Error, ", 0), 0u) << text;
    EXPECT_GT(text.size(), std::string("Log Path is Error, ").size()) << text;
  }
}

TEST_F(LoggerTest, CharactersOutsideTheCodePageBecomeItsDefaultCharacter) {
  // "Café Σ✓": é exists in 1252 but not 1253, Σ the other way round, ✓ in neither.
  const std::string message = "Caf\xC3\xA9 \xCE\xA3\xE2\x9C\x93";
  std::string expected;
  switch (platform::AnsiCodePage()) {
    case 65001:
      expected = message;
      break;
    case 1252:
      expected = "Caf\xE9 ??";
      break;
    case 1253:
      expected = "Caf? \xD3?";
      break;
    default:
      GTEST_SKIP() << "no expectation for code page " << platform::AnsiCodePage();
  }
  TLogger logger(temp_.Utf8WithSlash(), {}, clock_);
  ASSERT_TRUE(logger.WriteLog(message, llInfor));
  EXPECT_EQ(ReadBytes(DayFile("20161213.log")), "[14:03:07.125 <Infor>] " + expected + "\r\n");
}

TEST_F(LoggerTest, FormattingOverloadAndOptionalLogger) {
  TLogger logger(temp_.Utf8WithSlash(), {}, clock_);
  ASSERT_TRUE(logger.WriteLog(msg::sErrorID, LogArgs(-5), llError));
  ASSERT_TRUE(LogTo(&logger, "%s:%d", LogArgs("COM1", 9600), llInfor));
  EXPECT_FALSE(LogTo(nullptr, "nowhere", llInfor));
  EXPECT_FALSE(LogTo(nullptr, msg::sErrorID, LogArgs(1), llError));
  EXPECT_EQ(ReadBytes(DayFile("20161213.log")),
            "[14:03:07.125 <Error>] ERROR ID:-5\r\n[14:03:07.125 <Infor>] COM1:9600\r\n");
}

TEST_F(LoggerTest, DisplayReceivesDateTimeAndMessage) {
  std::vector<std::pair<std::string, TLogLevel>> shown;
  TLogger logger(
      temp_.Utf8WithSlash(),
      [&shown](std::string_view text, TLogLevel level) { shown.emplace_back(text, level); },
      clock_);
  ASSERT_TRUE(logger.WriteLog("hello", llWarning));
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(shown[0].first, "2016/12/13 14:03:07.125 hello");
  EXPECT_EQ(shown[0].second, llWarning);
}

TEST_F(LoggerTest, FailingDisplayDoesNotKeepTheLineFromTheFile) {
  TLogger logger(
      temp_.Utf8WithSlash(),
      [](std::string_view, TLogLevel) { throw std::runtime_error("display gone"); }, clock_);
  EXPECT_TRUE(logger.WriteLog("still here", llError));
  EXPECT_EQ(ReadBytes(DayFile("20161213.log")), "[14:03:07.125 <Error>] still here\r\n");
}

TEST_F(LoggerTest, ConcurrentWritersNeverMixLines) {
  TLogger logger(temp_.Utf8WithSlash(), {}, clock_);
  constexpr int kLines = 200;
  const std::string long_text(300, 'a');
  const auto writer = [&](const char* who) {
    for (int i = 0; i < kLines; ++i)
      logger.WriteLog(std::string(who) + long_text, llInfor);
  };
  std::thread first(writer, "A");
  std::thread second(writer, "B");
  first.join();
  second.join();
  const std::string bytes = ReadBytes(DayFile("20161213.log"));
  const std::string prefix = "[14:03:07.125 <Infor>] ";
  int lines = 0;
  size_t pos = 0;
  while (pos < bytes.size()) {
    const size_t end = bytes.find("\r\n", pos);
    ASSERT_NE(end, std::string::npos);
    const std::string line = bytes.substr(pos, end - pos);
    ASSERT_TRUE(line == prefix + "A" + long_text || line == prefix + "B" + long_text) << line;
    ++lines;
    pos = end + 2;
  }
  EXPECT_EQ(lines, 2 * kLines);
}

}  // namespace
}  // namespace meridox

#include "config/ini_config.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "config/ini_text.h"
#include "platform/ansi_text.h"
#include "platform/app_folder.h"
#include "platform/utf8_path.h"
#include "temp_dir.h"

namespace meridox {
namespace {

namespace fs = std::filesystem;

std::string ReadBytes(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void WriteBytes(const fs::path& file, std::string_view bytes) {
  std::ofstream(file, std::ios::binary)
      .write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

class IniConfigTest : public ::testing::Test {
 protected:
  void SetUp() override { SetAppPath(temp_.Utf8WithSlash()); }
  void TearDown() override {
    FreeConfig();
    SetAppPath("");
  }
  fs::path File() const { return temp_.path() / "Config.ini"; }
  std::string FileName() const { return temp_.Utf8WithSlash() + "Config.ini"; }
  testing::TempDir temp_;
};

TEST_F(IniConfigTest, WithoutAFileEverySettingHasItsDefault) {
  TIniConfig config(FileName());
  // Before reading, everything is zero or empty.
  EXPECT_EQ(config.Port(), 0);
  EXPECT_EQ(config.Host(), "");
  EXPECT_EQ(config.LastClerkID(), 0);
  config.ReadConfig();
  EXPECT_EQ(config.ConnKind(), 0);
  EXPECT_EQ(config.Host(), "COM1");
  EXPECT_EQ(config.Port(), 9600);
  EXPECT_EQ(config.InEncodingName(), "Default");
  EXPECT_EQ(config.OutEncodingName(), "Default");
  EXPECT_EQ(config.SourceDataPath(), "");
  EXPECT_EQ(config.AnswerPath(), temp_.Utf8WithSlash() + "Answer");
  EXPECT_FALSE(config.ClearFiles());
  EXPECT_FALSE(config.BootWithWindow());
  EXPECT_EQ(config.LastClerkID(), 1);
  EXPECT_EQ(config.LastClerkPassWord(), 0);
  EXPECT_EQ(config.DecimalType(), 0);
  EXPECT_FALSE(fs::exists(File()));
}

struct ValueCase {
  const char* name;
  std::string line;  // under [System]
  // The value read back through the getter named by the case, as text.
  std::string (*read)(const TIniConfig&);
  std::string expected;
};

std::string ReadPort(const TIniConfig& c) {
  return std::to_string(c.Port());
}
std::string ReadConnKind(const TIniConfig& c) {
  return std::to_string(c.ConnKind());
}
std::string ReadClearFiles(const TIniConfig& c) {
  return c.ClearFiles() ? "true" : "false";
}
std::string ReadBoot(const TIniConfig& c) {
  return c.BootWithWindow() ? "true" : "false";
}
std::string ReadHost(const TIniConfig& c) {
  return c.Host();
}
std::string ReadClerk(const TIniConfig& c) {
  return std::to_string(c.LastClerkID());
}

class IniConfigValueTest : public IniConfigTest, public ::testing::WithParamInterface<ValueCase> {};

TEST_P(IniConfigValueTest, ReadsTheValueOrTheDefault) {
  WriteBytes(File(), "[System]\r\n" + GetParam().line + "\r\n");
  TIniConfig config(FileName());
  config.ReadConfig();
  EXPECT_EQ(GetParam().read(config), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Values, IniConfigValueTest,
    ::testing::Values(
        ValueCase{"ConnKindTwoIsEthernet", "ConnKind=2", ReadConnKind, "2"},
        ValueCase{"ClearFilesYesIsNotANumber", "ClearFiles=yes", ReadClearFiles, "false"},
        ValueCase{"ClearFilesFiveIsTrue", "ClearFiles=5", ReadClearFiles, "true"},
        ValueCase{"BootNegativeIsTrue", "BootWithWindow=-1", ReadBoot, "true"},
        ValueCase{"BootZeroIsFalse", "BootWithWindow=0", ReadBoot, "false"},
        ValueCase{"PortHexLower", "Port=0x2580", ReadPort, "9600"},
        ValueCase{"PortHexUpper", "Port=0X2580", ReadPort, "9600"},
        ValueCase{"PortDollarHex", "Port=$2580", ReadPort, "9600"},
        ValueCase{"PortBlanksAround", "Port =  4001 ", ReadPort, "4001"},
        ValueCase{"PortNegative", "Port=-5", ReadPort, "-5"},
        ValueCase{"PortTooShortHex", "Port=0x", ReadPort, "9600"},
        ValueCase{"PortTrailingText", "Port=12ab", ReadPort, "9600"},
        ValueCase{"PortEmpty", "Port=", ReadPort, "9600"},
        ValueCase{"PortOverflow", "Port=2147483648", ReadPort, "9600"},
        ValueCase{"PortLargest", "Port=2147483647", ReadPort, "2147483647"},
        ValueCase{"PortHexAllBits", "Port=$FFFFFFFF", ReadPort, "-1"},
        ValueCase{"PortHexTooLong", "Port=$100000000", ReadPort, "9600"},
        ValueCase{"KeyCaseIgnored", "pORT=4002", ReadPort, "4002"},
        ValueCase{"HostQuotesRemoved", "Host=\"192.168.1.20\"", ReadHost, "192.168.1.20"},
        ValueCase{"HostEmptyIsEmpty", "Host=", ReadHost, ""},
        ValueCase{"ClerkMalformed", "LastClerkID=seven", ReadClerk, "1"}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

TEST_F(IniConfigTest, SectionNameIgnoresCaseAndOnlyTheSystemSectionCounts) {
  WriteBytes(File(), "[Other]\nPort=1\n[ system ]\nPort=2\n");
  TIniConfig config(FileName());
  config.ReadConfig();
  EXPECT_EQ(config.Port(), 2);
}

struct PasswordCase {
  const char* name;
  std::string file;
  std::int32_t clerk;
  std::int32_t expected;
};

class PasswordTest : public IniConfigTest, public ::testing::WithParamInterface<PasswordCase> {};

TEST_P(PasswordTest, ReadsTheClerkSection) {
  WriteBytes(File(), GetParam().file);
  TIniConfig config(FileName());
  EXPECT_EQ(config.GetPassWord(GetParam().clerk), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(
    Clerks, PasswordTest,
    ::testing::Values(PasswordCase{"Clerk7", "[Clerk]\r\nClerkID1=11\r\nClerkID7=4321\r\n", 7,
                                   4321},
                      PasswordCase{"KeyCase", "[CLERK]\r\nclerkid7=99\r\n", 7, 99},
                      PasswordCase{"NoClerkSection", "[System]\r\nClerkID7=4321\r\n", 7, 0},
                      PasswordCase{"NoFile", "", 7, 0},
                      PasswordCase{"LeadingZeroIsAnotherKey", "[Clerk]\r\nClerkID07=5\r\n", 7, 0},
                      PasswordCase{"Malformed", "[Clerk]\r\nClerkID7=abc\r\n", 7, 0},
                      PasswordCase{"NegativeClerk", "[Clerk]\r\nClerkID-1=3\r\n", -1, 3}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

void FillSettings(TIniConfig& config) {
  config.SetConnKind(1);
  config.SetHost("10.0.0.5");
  config.SetPort(5000);
  config.SetInEncodingName("737");
  config.SetOutEncodingName("1253");
  config.SetSourceDataPath("C:\\Pos\\Out");
  config.SetAnswerPath("C:\\Pos\\In");
  config.SetClearFiles(true);
  config.SetBootWithWindow(false);
  config.SetLastClerkID(3);
  config.SetLastClerkPassWord(1234);
  config.SetDecimalType(1);
}

TEST_F(IniConfigTest, FirstWriteCreatesTheFileWithTheTwelveKeysInOrder) {
  TIniConfig config(FileName());
  FillSettings(config);
  config.WriteConfig();
  const std::string expected =
      "[System]\r\nConnKind=1\r\nHost=10.0.0.5\r\nPort=5000\r\nInEncodingName=737\r\n"
      "OutEncodingName=1253\r\nSourceDataPath=C:\\Pos\\Out\r\nAnswerPath=C:\\Pos\\In\r\n"
      "ClearFiles=1\r\nBootWithWindow=0\r\nLastClerkID=3\r\nLastClerkPassWord=1234\r\n"
      "DecimalType=1\r\n";
  EXPECT_EQ(ReadBytes(File()), expected);
  EXPECT_FALSE(fs::exists(temp_.path() / "Config.ini.tmp"));

  TIniConfig again(FileName());
  again.ReadConfig();
  EXPECT_EQ(again.Host(), "10.0.0.5");
  EXPECT_EQ(again.Port(), 5000);
  EXPECT_TRUE(again.ClearFiles());
  EXPECT_EQ(again.LastClerkPassWord(), 1234);
  EXPECT_EQ(again.DecimalType(), 1);
}

TEST_F(IniConfigTest, RewriteKeepsForeignContentAndLineEndings) {
  const std::string before =
      "; written by the installer\n"
      "[System]\n"
      "port=1\n"
      "Vendor=keep me\n"
      "\n"
      "[Clerk]\n"
      "ClerkID2=22\n"
      "\n"
      "[Printer]\n"
      "Model=X\n";
  WriteBytes(File(), before);
  TIniConfig config(FileName());
  config.ReadConfig();
  config.SetPort(9600);
  config.SetLastClerkID(2);
  config.WriteConfig();
  const std::string after =
      "; written by the installer\n"
      "[System]\n"
      "port=9600\n"
      "Vendor=keep me\n"
      "ConnKind=0\n"
      "Host=COM1\n"
      "InEncodingName=Default\n"
      "OutEncodingName=Default\n"
      "SourceDataPath=\n"
      "AnswerPath=" +
      temp_.Utf8WithSlash() +
      "Answer\n"
      "ClearFiles=0\n"
      "BootWithWindow=0\n"
      "LastClerkID=2\n"
      "LastClerkPassWord=0\n"
      "DecimalType=0\n"
      "\n"
      "[Clerk]\n"
      "ClerkID2=22\n"
      "\n"
      "[Printer]\n"
      "Model=X\n";
  EXPECT_EQ(ReadBytes(File()), after);
  EXPECT_EQ(config.GetPassWord(2), 22);
}

TEST_F(IniConfigTest, FailedWriteLeavesTheOldFileAndReportsTheSystemError) {
  const std::string before = "[System]\r\nPort=1\r\n";
  WriteBytes(File(), before);
  // Something that is not a file where the temporary would go.
  fs::create_directories(temp_.path() / "Config.ini.tmp" / "inside");
  TIniConfig config(FileName());
  config.ReadConfig();
  config.SetPort(2);
  try {
    config.WriteConfig();
    FAIL() << "no exception";
  } catch (const std::runtime_error& e) {
    const std::string text = e.what();
    EXPECT_NE(text.find("Config.ini"), std::string::npos) << text;
    EXPECT_GT(text.size(), FileName().size() + 20) << text;
  }
  EXPECT_EQ(ReadBytes(File()), before);
}

TEST_F(IniConfigTest, RewriteKeepsTheFilePermissions) {
  WriteBytes(File(), "[System]\r\n");
  const auto mode = fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read;
  fs::permissions(File(), mode);
  const fs::perms before = fs::status(File()).permissions();
  TIniConfig config(FileName());
  config.WriteConfig();
  EXPECT_EQ(fs::status(File()).permissions(), before);
}

TEST_F(IniConfigTest, WriteToAMissingFolderThrows) {
  TIniConfig config(temp_.Utf8WithSlash() + "missing" + platform::kPathDelimiter + "Config.ini");
  EXPECT_THROW(config.WriteConfig(), std::runtime_error);
}

TEST_F(IniConfigTest, SingleInstanceLivesInTheHomeFolder) {
  EXPECT_EQ(AppPath(), temp_.Utf8WithSlash());
  TIniConfig& config = GetConfig();
  EXPECT_EQ(&config, &GetConfig());
  EXPECT_EQ(config.FileName(), temp_.Utf8WithSlash() + "Config.ini");
  config.SetHost("COM7");
  config.WriteConfig();
  FreeConfig();
  GetConfig().ReadConfig();
  EXPECT_EQ(GetConfig().Host(), "COM7");

  SetAppPath(platform::Utf8FromPath(temp_.path()));  // without the delimiter
  EXPECT_EQ(AppPath(), temp_.Utf8WithSlash());
  SetAppPath("  ");
  EXPECT_EQ(AppPath(), platform::ExecutableFolder());
}

// A file in each encoding, holding a Greek folder name; it must read back and be written
// back in the same encoding.
struct EncodingCase {
  const char* name;
  config::TextEncoding encoding;
};

class IniConfigEncodingTest : public IniConfigTest,
                              public ::testing::WithParamInterface<EncodingCase> {};

TEST_P(IniConfigEncodingTest, ReadsAndRewritesInTheSameEncoding) {
  const std::string greek =
      "C:\\\xCE\xA0\xCE\xB1\xCF\x81\xCE\xB1\xCE\xB3\xCE\xB3\xCE\xB5\xCE\xBB"
      "\xCE\xAF\xCE\xB5\xCF\x82";  // C:\Παραγγελίες
  const std::string text = "[System]\r\nSourceDataPath=" + greek + "\r\n";
  WriteBytes(File(), config::EncodeText(text, GetParam().encoding));
  TIniConfig config(FileName());
  config.ReadConfig();
  EXPECT_EQ(config.SourceDataPath(), greek);
  config.WriteConfig();
  const std::string bytes = ReadBytes(File());
  EXPECT_EQ(config::DetectEncoding(bytes), GetParam().encoding);
  const std::string decoded = config::DecodeText(bytes, GetParam().encoding);
  EXPECT_EQ(decoded.rfind(text, 0), 0u) << decoded;
}

INSTANTIATE_TEST_SUITE_P(
    Encodings, IniConfigEncodingTest,
    ::testing::Values(EncodingCase{"Utf8", config::TextEncoding::kUtf8},
                      EncodingCase{"Utf8Bom", config::TextEncoding::kUtf8Bom},
                      EncodingCase{"Utf16Le", config::TextEncoding::kUtf16LeBom},
                      EncodingCase{"Utf16Be", config::TextEncoding::kUtf16BeBom}),
    [](const auto& param_info) { return std::string(param_info.param.name); });

// The run in the Greek locale sets this, so that a wrong code page cannot pass silently.
TEST(AnsiCodePage, IsTheOneTheRunExpects) {
  const char* expected = std::getenv("MERIDOX_EXPECT_ANSI_CODE_PAGE");
  if (expected == nullptr)
    GTEST_SKIP() << "code page " << platform::AnsiCodePage();
  EXPECT_EQ(std::to_string(platform::AnsiCodePage()), expected);
}

// An older tool's Config.ini in code page 1253, inside a folder with a Greek name.
TEST_F(IniConfigTest, GreekAnsiFileInAGreekFolder) {
  if (platform::AnsiCodePage() != 1253)
    GTEST_SKIP() << "needs the Greek ANSI code page, this is " << platform::AnsiCodePage();
  // "Ταμείο" and "Παραγγελίες" in code page 1253.
  const std::string folder_utf8 = "\xCE\xA4\xCE\xB1\xCE\xBC\xCE\xB5\xCE\xAF\xCE\xBF";
  const std::string orders_utf8 =
      "\xCE\xA0\xCE\xB1\xCF\x81\xCE\xB1\xCE\xB3\xCE\xB3\xCE\xB5\xCE\xBB\xCE\xAF\xCE\xB5\xCF\x82";
  const std::string orders_1253 = "\xD0\xE1\xF1\xE1\xE3\xE3\xE5\xEB\xDF\xE5\xF2";
  const fs::path home = temp_.path() / platform::PathFromUtf8(folder_utf8);
  fs::create_directories(home);
  const std::string before = "[System]\r\nSourceDataPath=C:\\" + orders_1253 + "\\\r\n";
  WriteBytes(home / "Config.ini", before);

  TIniConfig config(platform::Utf8FromPath(home / "Config.ini"));
  config.ReadConfig();
  EXPECT_EQ(config.SourceDataPath(), "C:\\" + orders_utf8 + "\\");
  config.SetHost("COM2");
  config.WriteConfig();
  const std::string after = ReadBytes(home / "Config.ini");
  // Still code page 1253, byte for byte, for the other readers of the file.
  EXPECT_EQ(after.rfind(before, 0), 0u);
  EXPECT_NE(after.find("\r\nHost=COM2\r\n"), std::string::npos);
}

}  // namespace
}  // namespace meridox

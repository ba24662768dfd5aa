#include "app/shell/settings_model.h"

#include <gtest/gtest.h>

#include <fstream>
#include <vector>

#include "platform/utf8_path.h"
#include "temp_dir.h"

namespace meridox::app {
namespace {

const std::vector<std::string> kPorts = {"COM1", "COM3", "COM10"};

struct LoadCase {
  std::string name;
  std::string ini;  // body of section "System"
  std::int32_t connType;
  std::string ipAddress;
  std::string portText;
  int portNameIndex;
  int baudRateIndex;
  std::string inEncoding;
  std::string outEncoding;
  int decimalIndex;
  bool clearFiles;
  bool startWithWindows;
};

class LoadSettingsTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(LoadSettingsTest, FillsTheControlsFromTheConfiguration) {
  const LoadCase& c = GetParam();
  testing::TempDir dir;
  const auto file = dir.path() / "Config.ini";
  std::ofstream(file, std::ios::binary) << "[System]\r\n" << c.ini;
  TIniConfig config(platform::Utf8FromPath(file));
  config.ReadConfig();

  const TSettingsForm form = LoadSettingsForm(config, kPorts);
  EXPECT_EQ(form.connType, c.connType);
  EXPECT_EQ(form.ipAddress, c.ipAddress);
  EXPECT_EQ(form.portText, c.portText);
  EXPECT_EQ(form.portNameIndex, c.portNameIndex);
  EXPECT_EQ(form.baudRateIndex, c.baudRateIndex);
  EXPECT_EQ(form.inEncoding, c.inEncoding);
  EXPECT_EQ(form.outEncoding, c.outEncoding);
  EXPECT_EQ(form.decimalIndex, c.decimalIndex);
  EXPECT_EQ(form.clearFiles, c.clearFiles);
  EXPECT_EQ(form.startWithWindows, c.startWithWindows);
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, LoadSettingsTest,
    ::testing::Values(
        // No file content: serial COM1 at 9600, default encodings, comma.
        LoadCase{"Defaults", "", 0, "", "", 0, 0, "Default", "Default", 0, false, false},
        LoadCase{"SerialKnownPort",
                 "ConnKind=0\r\nHost=com10\r\nPort=115200\r\nInEncodingName=ascii\r\n"
                 "OutEncodingName=1253\r\nDecimalType=1\r\nClearFiles=1\r\nBootWithWindow=1\r\n",
                 0, "", "", 2, 4, "ASCII", "1253", 1, true, true},
        // A port that is not plugged in and a rate not in the list select nothing.
        LoadCase{"SerialUnknownPortAndRate", "ConnKind=0\r\nHost=COM7\r\nPort=4800\r\n", 0, "", "",
                 -1, -1, "Default", "Default", 0, false, false},
        // Any kind but 0 is Ethernet; the list boxes keep their initial items.
        LoadCase{"EthernetKind2", "ConnKind=2\r\nHost=127.0.0.1\r\nPort=9100\r\n", 2, "127.0.0.1",
                 "9100", -1, 0, "Default", "Default", 0, false, false},
        LoadCase{"UnknownEncodingAndDecimal",
                 "InEncodingName=UTF-8\r\nOutEncodingName=737\r\nDecimalType=7\r\n", 0, "", "", 0,
                 0, "", "737", -1, false, false}),
    [](const auto& param_info) { return param_info.param.name; });

TEST(EncodingForItemTest, MapsTheItemsAndFallsBackToTheSystemDefault) {
  EXPECT_EQ(EncodingForItem(0), jobs::TTextEncodingKind::teDefault);
  EXPECT_EQ(EncodingForItem(1), jobs::TTextEncodingKind::teASCII);
  EXPECT_EQ(EncodingForItem(2), jobs::TTextEncodingKind::te437);
  EXPECT_EQ(EncodingForItem(3), jobs::TTextEncodingKind::te737);
  EXPECT_EQ(EncodingForItem(4), jobs::TTextEncodingKind::te1253);
  EXPECT_EQ(EncodingForItem(-1), jobs::TTextEncodingKind::teDefault);
  EXPECT_EQ(EncodingForItem(5), jobs::TTextEncodingKind::teDefault);
}

struct NumberCase {
  std::string text;
  std::int32_t port;
  std::int32_t baud;
};

class NumberTextTest : public ::testing::TestWithParam<NumberCase> {};

TEST_P(NumberTextTest, ReadsPortAndBaudRate) {
  EXPECT_EQ(PortFromNumberText(GetParam().text), GetParam().port) << GetParam().text;
  EXPECT_EQ(BaudFromText(GetParam().text), GetParam().baud) << GetParam().text;
}

INSTANTIATE_TEST_SUITE_P(
    Texts, NumberTextTest,
    ::testing::Values(NumberCase{"9100", 9100, 9100}, NumberCase{"9100.9", 9100, 9600},
                      NumberCase{"-3.5", -3, 9600}, NumberCase{"abc", 0, 9600},
                      NumberCase{"", 0, 9600}, NumberCase{"1e12", 2147483647, 9600},
                      NumberCase{"99999999999", 2147483647, 9600},
                      NumberCase{"-2147483648", -2147483647 - 1, -2147483647 - 1}));

// The panel's state in which every check passes; each case spoils one control.
TSettingsForm GoodEthernet(const std::string& path) {
  TSettingsForm form;
  form.connType = 1;
  form.ipAddress = "127.0.0.1";
  form.portText = "9100";
  form.path = path;
  return form;
}

struct CheckCase {
  std::string name;
  void (*spoil)(TSettingsForm&, std::string& portName);
  std::string message;
  TSettingsControl focus;
};

class CheckSettingsTest : public ::testing::TestWithParam<CheckCase> {};

TEST_P(CheckSettingsTest, FailsWithItsMessageAndFocus) {
  testing::TempDir dir;
  TSettingsForm form = GoodEthernet(dir.Utf8WithSlash() + "watch");
  std::string portName = "COM3";
  GetParam().spoil(form, portName);
  const TApplyCheck check = CheckSettings(form, portName);
  EXPECT_FALSE(check.ok);
  EXPECT_EQ(check.message, GetParam().message);
  EXPECT_EQ(check.focus, GetParam().focus);
}

INSTANTIATE_TEST_SUITE_P(
    Checks, CheckSettingsTest,
    ::testing::Values(
        // An empty address stops before the port is looked at.
        CheckCase{"IPEmpty",
                  [](TSettingsForm& f, std::string&) { f.ipAddress = "", f.portText = ""; },
                  "Διεύθυνση (IP) Αδειάζω!", TSettingsControl::scIPAddress},
        CheckCase{"IPHalfTyped", [](TSettingsForm& f, std::string&) { f.ipAddress = "10.0"; },
                  "Διεύθυνση (IP) Σφάλμα εισόδου!", TSettingsControl::scIPAddress},
        CheckCase{"PortEmpty", [](TSettingsForm& f, std::string&) { f.portText = "", f.path = ""; },
                  "Θύρα (port) Αδειάζω!", TSettingsControl::scPort},
        // Serial: the Ethernet boxes no longer count.
        CheckCase{"PortNameEmpty",
                  [](TSettingsForm& f, std::string& p) {
                    f.connType = 0, f.ipAddress = "", p = "", f.baudRateIndex = -1;
                  },
                  "Θύρα επικοινωνίας Αδειάζω!", TSettingsControl::scPortNames},
        CheckCase{"BaudRateEmpty",
                  [](TSettingsForm& f, std::string&) { f.connType = 0, f.baudRateIndex = -1; },
                  "Ταχύτητα επικοινωνίας Αδειάζω!", TSettingsControl::scBaudRate},
        CheckCase{"InEncodingEmpty",
                  [](TSettingsForm& f, std::string&) { f.inEncoding = "", f.outEncoding = ""; },
                  "Input Encoding Empty!", TSettingsControl::scInEncoding},
        CheckCase{"OutEncodingEmpty",
                  [](TSettingsForm& f, std::string&) { f.outEncoding = "", f.path = ""; },
                  "Output Encoding Empty!", TSettingsControl::scOutEncoding},
        CheckCase{"PathEmpty",
                  [](TSettingsForm& f, std::string&) { f.path = "", f.decimalIndex = -1; },
                  "Διαδρομή ανίχνευσης Empty!", TSettingsControl::scPath},
        CheckCase{"PathUnderAFile",
                  [](TSettingsForm& f, std::string&) {
                    std::ofstream(platform::PathFromUtf8(f.path)) << "a file, not a folder";
                    f.path += "/sub";
                  },
                  "Διαδρομή ανίχνευσης Σφάλμα εισόδου!", TSettingsControl::scPath},
        CheckCase{"DecimalEmpty", [](TSettingsForm& f, std::string&) { f.decimalIndex = -1; },
                  "Decimal Symbol Empty!", TSettingsControl::scDecimalSymbol}),
    [](const auto& param_info) { return param_info.param.name; });

TEST(CheckSettingsTest, SerialSuccessCreatesTheFolderAndTakesTheValues) {
  testing::TempDir dir;
  TSettingsForm form;
  form.connType = 0;
  form.baudRateIndex = 2;
  form.inEncoding = "437";
  form.outEncoding = "ASCII";
  form.path = dir.Utf8WithSlash() + "new/deeper";
  form.decimalIndex = 1;
  form.clearFiles = true;
  form.startWithWindows = true;
  const TApplyCheck check = CheckSettings(form, "COM3");
  ASSERT_TRUE(check.ok) << check.message;
  EXPECT_TRUE(std::filesystem::is_directory(platform::PathFromUtf8(form.path)));
  EXPECT_EQ(check.settings.connKind, 0);
  EXPECT_EQ(check.settings.host, "COM3");
  EXPECT_EQ(check.settings.port, 38400);
  EXPECT_EQ(check.settings.inEncodingName, "437");
  EXPECT_EQ(check.settings.outEncodingName, "ASCII");
  EXPECT_EQ(check.settings.sourceDataPath, form.path);
  EXPECT_EQ(check.settings.decimalType, 1);
  EXPECT_TRUE(check.settings.clearFiles);
  EXPECT_TRUE(check.settings.bootWithWindow);
}

TEST(CheckSettingsTest, EthernetPortCutsTheFractionAndStoresIntoTheFile) {
  testing::TempDir dir;
  TSettingsForm form = GoodEthernet(dir.Utf8WithSlash() + "watch");
  form.portText = "9100.75";
  const TApplyCheck check = CheckSettings(form, "");
  ASSERT_TRUE(check.ok) << check.message;
  EXPECT_EQ(check.settings.port, 9100);

  const std::string file = dir.Utf8WithSlash() + "Config.ini";
  {
    TIniConfig config(file);
    config.ReadConfig();
    StoreSettings(check.settings, config);
    config.WriteConfig();
  }
  TIniConfig reread(file);
  reread.ReadConfig();
  EXPECT_EQ(reread.ConnKind(), 1);
  EXPECT_EQ(reread.Host(), "127.0.0.1");
  EXPECT_EQ(reread.Port(), 9100);
  EXPECT_EQ(reread.SourceDataPath(), form.path);
  // The answer root has no control and keeps its configured value.
  EXPECT_EQ(reread.AnswerPath().empty(), false);
}

}  // namespace
}  // namespace meridox::app

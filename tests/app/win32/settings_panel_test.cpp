#include <gtest/gtest.h>

#include <fstream>

#include "app/win32/resource_ids.h"
#include "gui_fixture.h"
#include "platform/utf8_path.h"

namespace meridox::app::win32::testing {
namespace {

HWND Item(GuiHarness& gui, int id) {
  return GetDlgItem(gui.Window().Handle(), id);
}
bool Checked(GuiHarness& gui, int id) {
  return SendMessageW(Item(gui, id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}
bool ReadOnly(GuiHarness& gui, int id) {
  return (GetWindowLongPtrW(Item(gui, id), GWL_STYLE) & ES_READONLY) != 0;
}

struct LoadCase {
  std::string name;
  std::string section;
  bool ethernet;
  std::string portName;  // the port box's text
  std::string baud;
  std::string ip;
  std::string port;
  std::string inEncoding;
  std::string outEncoding;
  std::string decimal;
  bool clearFiles;
  bool startWithWindows;
};

class SettingsLoadTest : public ::testing::TestWithParam<LoadCase> {};

TEST_P(SettingsLoadTest, FillsEveryControl) {
  const LoadCase& c = GetParam();
  GuiHarness gui(c.section);
  EXPECT_EQ(Checked(gui, IDC_RB_ETHERNET), c.ethernet);
  EXPECT_EQ(Checked(gui, IDC_RB_SERIAL), !c.ethernet);
  EXPECT_EQ(WindowText(Item(gui, IDC_PORT_NAMES)), c.portName);
  EXPECT_EQ(WindowText(Item(gui, IDC_BAUD_RATE)), c.baud);
  EXPECT_EQ(WindowText(Item(gui, IDC_IP_ADDRESS)), c.ip);
  EXPECT_EQ(WindowText(Item(gui, IDC_PORT)), c.port);
  EXPECT_EQ(WindowText(Item(gui, IDC_IN_ENCODING)), c.inEncoding);
  EXPECT_EQ(WindowText(Item(gui, IDC_OUT_ENCODING)), c.outEncoding);
  EXPECT_EQ(WindowText(Item(gui, IDC_DECIMAL_SYMBOL)), c.decimal);
  EXPECT_EQ(Checked(gui, IDC_CLEAR_FILES), c.clearFiles);
  EXPECT_EQ(Checked(gui, IDC_START_WITH_WINDOWS), c.startWithWindows);
  // The kind not chosen is read-only: lists disabled, edits read-only.
  EXPECT_EQ(IsWindowEnabled(Item(gui, IDC_PORT_NAMES)) != FALSE, !c.ethernet);
  EXPECT_EQ(IsWindowEnabled(Item(gui, IDC_BAUD_RATE)) != FALSE, !c.ethernet);
  EXPECT_EQ(ReadOnly(gui, IDC_IP_ADDRESS), !c.ethernet);
  EXPECT_EQ(ReadOnly(gui, IDC_PORT), !c.ethernet);
}

INSTANTIATE_TEST_SUITE_P(
    Configurations, SettingsLoadTest,
    ::testing::Values(
        // Nothing but the port: every other control shows its default.
        LoadCase{"Defaults", "Host=COM1\r\n", false, "COM1", "9600", "", "", "Default", "Default",
                 "Comma", false, false},
        LoadCase{"Serial",
                 "ConnKind=0\r\nHost=COM3\r\nPort=57600\r\nInEncodingName=737\r\n"
                 "OutEncodingName=ascii\r\nDecimalType=1\r\nBootWithWindow=1\r\n",
                 false, "COM3", "57600", "", "", "737", "ASCII", "Dot", false, true},
        LoadCase{"SerialPortAbsent", "ConnKind=0\r\nHost=COM9\r\nPort=1200\r\n", false, "", "", "",
                 "", "Default", "Default", "Comma", false, false},
        LoadCase{"Ethernet",
                 "ConnKind=1\r\nHost=127.0.0.1\r\nPort=9100\r\nInEncodingName=UTF-8\r\n"
                 "ClearFiles=1\r\n",
                 true, "", "9600", "127.0.0.1", "9100", "", "Default", "Comma", true, false}),
    [](const auto& param_info) { return param_info.param.name; });

TEST(SettingsPanelTest, ClearFilesAtStartEmptiesTheWatchedFolder) {
  meridox::testing::TempDir watch;
  std::filesystem::create_directories(watch.path() / "sub");
  std::ofstream(watch.path() / "a.txt") << "x";
  std::ofstream(watch.path() / "sub" / "b.Ans") << "x";
  GuiHarness gui("ClearFiles=1\r\nSourceDataPath=" + watch.Utf8WithSlash() + "\r\n");
  EXPECT_FALSE(std::filesystem::exists(watch.path() / "a.txt"));
  EXPECT_FALSE(std::filesystem::exists(watch.path() / "sub" / "b.Ans"));
  EXPECT_TRUE(std::filesystem::is_directory(watch.path() / "sub"));
}

TEST(SettingsPanelTest, RadioButtonsSwitchTheReadOnlySide) {
  GuiHarness gui("");
  SendMessageW(Item(gui, IDC_RB_SERIAL), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageW(Item(gui, IDC_RB_ETHERNET), BM_SETCHECK, BST_CHECKED, 0);
  gui.Click(Item(gui, IDC_RB_ETHERNET));
  EXPECT_EQ(gui.Window().Settings().ConnType(), 1);
  EXPECT_FALSE(ReadOnly(gui, IDC_IP_ADDRESS));
  EXPECT_FALSE(IsWindowEnabled(Item(gui, IDC_PORT_NAMES)));
  SendMessageW(Item(gui, IDC_RB_SERIAL), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(Item(gui, IDC_RB_ETHERNET), BM_SETCHECK, BST_UNCHECKED, 0);
  gui.Click(Item(gui, IDC_RB_SERIAL));
  EXPECT_EQ(gui.Window().Settings().ConnType(), 0);
  EXPECT_TRUE(ReadOnly(gui, IDC_IP_ADDRESS));
  EXPECT_TRUE(IsWindowEnabled(Item(gui, IDC_PORT_NAMES)));
}

TEST(SettingsPanelTest, AddressBoxRefusesWhatTheMaskCannotComplete) {
  GuiHarness gui("ConnKind=1\r\n");
  HWND ip = Item(gui, IDC_IP_ADDRESS);
  SetWindowTextW(ip, L"192.168.1");
  EXPECT_EQ(WindowText(ip), "192.168.1");
  SetWindowTextW(ip, L"192.168.1x");
  EXPECT_EQ(WindowText(ip), "192.168.1");
  SetWindowTextW(ip, L"0.1.2.3");
  EXPECT_EQ(WindowText(ip), "192.168.1");
  SetWindowTextW(ip, L"10.0.0.300");
  EXPECT_EQ(WindowText(ip), "192.168.1");
}

TEST(SettingsPanelTest, PortListIsReadAgainOnEachDropDown) {
  std::vector<std::string> ports = {"COM1"};
  GuiHarness gui(
      "", [&ports](TTrayAppOptions& options) { options.Ports = [&ports] { return ports; }; });
  EXPECT_EQ(SendMessageW(Item(gui, IDC_PORT_NAMES), CB_GETCOUNT, 0, 0), 1);
  SendMessageW(Item(gui, IDC_PORT_NAMES), CB_SETCURSEL, 0, 0);
  ports = {"COM1", "COM10", "COM4"};
  SendMessageW(gui.Window().Handle(), WM_COMMAND, MAKEWPARAM(IDC_PORT_NAMES, CBN_DROPDOWN),
               reinterpret_cast<LPARAM>(Item(gui, IDC_PORT_NAMES)));
  EXPECT_EQ(SendMessageW(Item(gui, IDC_PORT_NAMES), CB_GETCOUNT, 0, 0), 3);
  // The chosen port stays chosen.
  EXPECT_EQ(WindowText(Item(gui, IDC_PORT_NAMES)), "COM1");
}

TEST(SettingsPanelTest, BrowseButtonPutsTheChosenFolderIntoThePath) {
  GuiHarness gui("");
  std::string started_at = "unset";
  gui.Window().Settings().SetFolderChooser([&](const std::string& start) {
    started_at = start;
    return std::string("C:\\Εντολές");
  });
  SetWindowTextW(Item(gui, IDC_PATH), L"C:\\old");
  gui.Click(Item(gui, IDC_PATH_BROWSE));
  EXPECT_EQ(started_at, "C:\\old");
  EXPECT_EQ(WindowText(Item(gui, IDC_PATH)), "C:\\Εντολές");
}

// Apply's checks, each spoiling one control of an otherwise valid panel.
struct ApplyCase {
  std::string name;
  std::string section;
  void (*spoil)(GuiHarness&);
  std::string message;
  int focus;  // control id
};

class ApplyCheckTest : public ::testing::TestWithParam<ApplyCase> {};

TEST_P(ApplyCheckTest, ShowsTheMessageFocusesTheControlAndWritesNothing) {
  meridox::testing::TempDir watch;
  GuiHarness gui(GetParam().section + "SourceDataPath=" + watch.Utf8WithSlash() + "\r\n");
  ShowWindow(gui.Window().Handle(), SW_SHOW);
  SetForegroundWindow(gui.Window().Handle());
  std::ifstream before_file(gui.ConfigFile(), std::ios::binary);
  const std::string before((std::istreambuf_iterator<char>(before_file)), {});
  before_file.close();
  GetParam().spoil(gui);
  gui.Click(gui.Window().Button(TRibbonButton::rbApply));
  ASSERT_EQ(gui.boxes.shown.size(), 1u);
  EXPECT_EQ(gui.boxes.shown[0].text, GetParam().message);
  // A combo box that takes typing gives the focus to its edit part.
  HWND expected = Item(gui, GetParam().focus);
  EXPECT_TRUE(GetFocus() == expected || IsChild(expected, GetFocus()));
  EXPECT_TRUE(gui.restarts.empty());
  std::ifstream after_file(gui.ConfigFile(), std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(after_file)), {});
  EXPECT_EQ(after, before);
  // A refused Apply leaves the configuration in memory as it was, too.
  EXPECT_EQ(gui.Config().SourceDataPath(), watch.Utf8WithSlash());
}

const char kEthernet[] = "ConnKind=1\r\nHost=127.0.0.1\r\nPort=9100\r\n";
const char kSerial[] = "ConnKind=0\r\nHost=COM3\r\nPort=9600\r\n";

INSTANTIATE_TEST_SUITE_P(
    Checks, ApplyCheckTest,
    ::testing::Values(
        ApplyCase{"IPEmpty", kEthernet,
                  [](GuiHarness& g) {
                    SetWindowTextW(Item(g, IDC_IP_ADDRESS), L"");
                    SetWindowTextW(Item(g, IDC_PORT), L"");
                  },
                  "Διεύθυνση (IP) Αδειάζω!", IDC_IP_ADDRESS},
        ApplyCase{"PortEmpty", kEthernet,
                  [](GuiHarness& g) { SetWindowTextW(Item(g, IDC_PORT), L""); },
                  "Θύρα (port) Αδειάζω!", IDC_PORT},
        ApplyCase{"PortNameEmpty", kSerial,
                  [](GuiHarness& g) { SendMessageW(Item(g, IDC_PORT_NAMES), CB_SETCURSEL, -1, 0); },
                  "Θύρα επικοινωνίας Αδειάζω!", IDC_PORT_NAMES},
        ApplyCase{"BaudRateEmpty", kSerial,
                  [](GuiHarness& g) { SendMessageW(Item(g, IDC_BAUD_RATE), CB_SETCURSEL, -1, 0); },
                  "Ταχύτητα επικοινωνίας Αδειάζω!", IDC_BAUD_RATE},
        ApplyCase{"InEncodingEmpty", kSerial,
                  [](GuiHarness& g) { SetWindowTextW(Item(g, IDC_IN_ENCODING), L""); },
                  "Input Encoding Empty!", IDC_IN_ENCODING},
        ApplyCase{"OutEncodingEmpty", kSerial,
                  [](GuiHarness& g) { SetWindowTextW(Item(g, IDC_OUT_ENCODING), L""); },
                  "Output Encoding Empty!", IDC_OUT_ENCODING},
        ApplyCase{"PathEmpty", kSerial,
                  [](GuiHarness& g) { SetWindowTextW(Item(g, IDC_PATH), L""); },
                  "Διαδρομή ανίχνευσης Empty!", IDC_PATH},
        ApplyCase{"PathCannotBeCreated", kSerial,
                  [](GuiHarness& g) {
                    // Below a file: no folder can be made there.
                    std::ofstream(g.Home().path() / "plain", std::ios::binary) << "x";
                    SetWindowTextW(Item(g, IDC_PATH),
                                   (g.Home().path() / "plain" / "sub").wstring().c_str());
                  },
                  "Διαδρομή ανίχνευσης Σφάλμα εισόδου!", IDC_PATH},
        ApplyCase{
            "DecimalEmpty", kSerial,
            [](GuiHarness& g) { SendMessageW(Item(g, IDC_DECIMAL_SYMBOL), CB_SETCURSEL, -1, 0); },
            "Decimal Symbol Empty!", IDC_DECIMAL_SYMBOL}),
    [](const auto& param_info) { return param_info.param.name; });

std::wstring RunValue(HKEY root) {
  wchar_t data[1024] = {};
  DWORD size = sizeof(data);
  if (RegGetValueW(root, L"Software\\Microsoft\\Windows\\CurrentVersion\\Run", L"VEXDriver",
                   RRF_RT_REG_SZ, nullptr, data, &size) != ERROR_SUCCESS)
    return L"";
  return data;
}

TEST(ApplyTest, WritesTheConfigurationAndTheAutostartValueThenRestarts) {
  meridox::testing::TempDir watch;
  const std::string folder = watch.Utf8WithSlash() + "new\\deeper";
  GuiHarness gui(kSerial);
  SendMessageW(Item(gui, IDC_RB_SERIAL), BM_SETCHECK, BST_UNCHECKED, 0);
  SendMessageW(Item(gui, IDC_RB_ETHERNET), BM_SETCHECK, BST_CHECKED, 0);
  gui.Click(Item(gui, IDC_RB_ETHERNET));
  SetWindowTextW(Item(gui, IDC_IP_ADDRESS), L"127.0.0.1");
  SetWindowTextW(Item(gui, IDC_PORT), L"9100");
  SetWindowTextU8(Item(gui, IDC_PATH), folder);
  SendMessageW(Item(gui, IDC_DECIMAL_SYMBOL), CB_SETCURSEL, 1, 0);
  SendMessageW(Item(gui, IDC_START_WITH_WINDOWS), BM_SETCHECK, BST_CHECKED, 0);
  gui.Click(gui.Window().Button(TRibbonButton::rbApply));

  ASSERT_EQ(gui.boxes.shown.size(), 1u);
  EXPECT_EQ(gui.boxes.shown[0].text, "Αποδοχή-Απόκρυψη OK, App will be Restart");
  ASSERT_EQ(gui.restarts.size(), 1u);
  EXPECT_EQ(gui.restarts[0].exe, gui.Home().path() / "MERIDOX.exe");
  EXPECT_EQ(gui.restarts[0].args, std::vector<std::string>{"Restart"});
  EXPECT_TRUE(std::filesystem::is_directory(platform::PathFromUtf8(folder)));

  TIniConfig written(gui.ConfigFile());
  written.ReadConfig();
  EXPECT_EQ(written.ConnKind(), 1);
  EXPECT_EQ(written.Host(), "127.0.0.1");
  EXPECT_EQ(written.Port(), 9100);
  EXPECT_EQ(written.SourceDataPath(), folder);
  EXPECT_EQ(written.DecimalType(), 1);
  EXPECT_TRUE(written.BootWithWindow());

  // The machine's list when it may be written (wine runs as administrator), else the
  // user's; never both.
  const std::wstring exe = (gui.Home().path() / "MERIDOX.exe").wstring();
  const std::wstring machine = RunValue(HKEY_LOCAL_MACHINE);
  const std::wstring user = RunValue(HKEY_CURRENT_USER);
  EXPECT_TRUE((machine == exe && user.empty()) || (machine.empty() && user == exe));

  // Unticked: the value goes, and applying again without it is no error.
  SendMessageW(Item(gui, IDC_START_WITH_WINDOWS), BM_SETCHECK, BST_UNCHECKED, 0);
  for (int round = 0; round < 2; ++round) {
    gui.boxes.shown.clear();
    gui.Click(gui.Window().Button(TRibbonButton::rbApply));
    ASSERT_EQ(gui.boxes.shown.size(), 1u);
    EXPECT_EQ(gui.boxes.shown[0].text, "Αποδοχή-Απόκρυψη OK, App will be Restart");
    EXPECT_TRUE(RunValue(HKEY_LOCAL_MACHINE).empty());
    EXPECT_TRUE(RunValue(HKEY_CURRENT_USER).empty());
  }
  EXPECT_EQ(gui.restarts.size(), 3u);
}

TEST(ApplyTest, WaitsForTheWorkersPassAndRefusesWhenItDoesNotEnd) {
  meridox::testing::TempDir watch;
  GuiHarness gui(std::string(kSerial) + "SourceDataPath=" + watch.Utf8WithSlash() + "\r\n",
                 [](TTrayAppOptions& options) {
                   options.ManagerOptions.LockChecks = 5;
                   options.ManagerOptions.LockCheckInterval = std::chrono::milliseconds(2);
                 });
  // A pass that never ends: the busy count held by someone else.
  ASSERT_TRUE(gui.Window().Manager()->Lock());
  gui.Click(gui.Window().Button(TRibbonButton::rbApply));
  EXPECT_TRUE(gui.restarts.empty());
  ASSERT_FALSE(gui.boxes.shown.empty());
  EXPECT_EQ(gui.boxes.shown.back().text, "ECR Busy, Try Again Later");
  EXPECT_EQ(gui.boxes.shown.back().caption, "Error");
  gui.Window().Manager()->UnLock();
}

}  // namespace
}  // namespace meridox::app::win32::testing

namespace meridox::app::win32::testing {
namespace {

// Both Run lists refuse writing, as for an operator without rights on a locked-down
// machine.
class RefusingRunKeys : public platform::RunKeyStore {
 public:
  bool HasValue(platform::RunScope, std::string_view) override { return false; }
  bool SetValue(platform::RunScope, std::string_view, std::string_view,
                std::string* error) override {
    *error = "Access is denied.";
    return false;
  }
  bool DeleteValue(platform::RunScope, std::string_view, std::string*) override { return true; }
};

TEST(ApplyFailureTest, AnAutostartErrorIsShownAndNothingIsWritten) {
  meridox::testing::TempDir watch;
  RefusingRunKeys keys;
  GuiHarness gui(std::string(kSerial) + "SourceDataPath=" + watch.Utf8WithSlash() + "\r\n",
                 [&keys](TTrayAppOptions& options) { options.RunKeys = &keys; });
  std::ifstream before_file(gui.ConfigFile(), std::ios::binary);
  const std::string before((std::istreambuf_iterator<char>(before_file)), {});
  before_file.close();
  SendMessageW(Item(gui, IDC_START_WITH_WINDOWS), BM_SETCHECK, BST_CHECKED, 0);
  SendMessageW(Item(gui, IDC_DECIMAL_SYMBOL), CB_SETCURSEL, 1, 0);
  gui.Click(gui.Window().Button(TRibbonButton::rbApply));
  ASSERT_EQ(gui.boxes.shown.size(), 1u);
  EXPECT_EQ(gui.boxes.shown[0].text, "Access is denied.");
  EXPECT_TRUE(gui.restarts.empty());
  std::ifstream after_file(gui.ConfigFile(), std::ios::binary);
  const std::string after((std::istreambuf_iterator<char>(after_file)), {});
  EXPECT_EQ(after, before);
  EXPECT_EQ(gui.Config().DecimalType(), 0);
}

TEST(ApplyFailureTest, AFailedRestartIsShownAndTheProgramGoesOn) {
  meridox::testing::TempDir watch;
  GuiHarness gui(std::string(kSerial) + "SourceDataPath=" + watch.Utf8WithSlash() + "\r\n",
                 [](TTrayAppOptions& options) {
                   options.Restart = [](const std::filesystem::path&,
                                        const std::vector<std::string>&, std::string* error) {
                     *error = "The system cannot find the file specified.";
                     return false;
                   };
                 });
  gui.Click(gui.Window().Button(TRibbonButton::rbApply));
  ASSERT_EQ(gui.boxes.shown.size(), 2u);
  EXPECT_EQ(gui.boxes.shown[0].text, "Αποδοχή-Απόκρυψη OK, App will be Restart");
  EXPECT_EQ(gui.boxes.shown[1].text, "The system cannot find the file specified.");
  // The worker may run again: the lock taken for the restart was given back.
  EXPECT_EQ(gui.Window().Manager()->Locker(), 0);
  EXPECT_NE(gui.Window().Handle(), nullptr);
}

}  // namespace
}  // namespace meridox::app::win32::testing

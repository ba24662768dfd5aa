#include <gtest/gtest.h>

#include <thread>

#include "app/shell/ui_texts.h"
#include "app/win32/window_bridge.h"
#include "gui_fixture.h"
#include "platform/single_instance.h"

namespace meridox::app::win32::testing {
namespace {

struct StartCase {
  std::string name;
  bool watchedFolder;
};

class MainWindowStartTest : public ::testing::TestWithParam<StartCase> {};

TEST_P(MainWindowStartTest, ShowsOnlyWithoutAWatchedFolderAndAddsTheTrayIcon) {
  meridox::testing::TempDir watch;
  const std::string section =
      GetParam().watchedFolder ? "SourceDataPath=" + watch.Utf8WithSlash() + "\r\n" : "";
  GuiHarness gui(section);
  HWND window = gui.Window().Handle();
  ASSERT_NE(window, nullptr);
  EXPECT_EQ(IsWindowVisible(window) != FALSE, !GetParam().watchedFolder);
  EXPECT_TRUE(gui.tray.added);
  EXPECT_NE(gui.tray.icon, nullptr);
  EXPECT_EQ(gui.tray.window, window);
  EXPECT_EQ(gui.tray.tip, "MERIDOX[1.0.0.5]");
  EXPECT_EQ(WindowText(window), "MERIDOX[1.0.0.5]");
  ASSERT_NE(gui.Window().Manager(), nullptr);
  // Without a folder the worker is started stopped and never scans.
  EXPECT_EQ(gui.Window().Manager()->Stoped(), !GetParam().watchedFolder);
  RECT client{};
  GetClientRect(window, &client);
  EXPECT_EQ(client.right - client.left, 856);
  EXPECT_EQ(client.bottom - client.top, 522);
}

INSTANTIATE_TEST_SUITE_P(Starts, MainWindowStartTest,
                         ::testing::Values(StartCase{"WithFolder", true},
                                           StartCase{"WithoutFolder", false}),
                         [](const auto& param_info) { return param_info.param.name; });

TEST(MainWindowTest, RibbonButtonsCarryTheirCaptionsInOrder) {
  GuiHarness gui("");
  const std::pair<TRibbonButton, std::string_view> buttons[] = {
      {TRibbonButton::rbCheckConn, "Έλεγχος επικοινωνίας"},
      {TRibbonButton::rbCloseReceipt, "Κλείσιμο Απόδειξης"},
      {TRibbonButton::rbAllVoid, "Ακύρωση Απόδειξης"},
      {TRibbonButton::rbXReport, "Αναφορά Χ"},
      {TRibbonButton::rbZReport, "Αναφορά Ζ"},
      {TRibbonButton::rbAbout, "About"},
      {TRibbonButton::rbApply, "Αποδοχή-Απόκρυψη"},
      {TRibbonButton::rbClose, "Έξοδος"},
  };
  int last_x = -1;
  for (const auto& [button, caption] : buttons) {
    HWND handle = gui.Window().Button(button);
    ASSERT_NE(handle, nullptr) << caption;
    EXPECT_EQ(WindowText(handle), caption);
    RECT rect{};
    GetWindowRect(handle, &rect);
    EXPECT_GT(rect.left, last_x) << caption;
    last_x = rect.left;
  }
}

struct NoticeCase {
  std::string name;
  jobs::TNoticeKind kind;
  std::string title;
};

class NoticeTest : public ::testing::TestWithParam<NoticeCase> {};

TEST_P(NoticeTest, AWorkerNoticeBecomesABalloonWithItsTitle) {
  GuiHarness gui("");
  const std::string text = "Handle File[C:\\in\\a.txt] Error:\r\nΣφάλμα";
  // From another thread, as the worker sends it.
  std::thread worker([&] { gui.Window().Manager()->Notify(GetParam().kind, text); });
  EXPECT_TRUE(PumpUntil([&] { return !gui.tray.balloons.empty(); }));
  worker.join();
  ASSERT_EQ(gui.tray.balloons.size(), 1u);
  EXPECT_EQ(gui.tray.balloons[0].title, GetParam().title);
  EXPECT_EQ(gui.tray.balloons[0].text, text);
  EXPECT_EQ(gui.tray.balloons[0].error, GetParam().kind == jobs::TNoticeKind::nkError);
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, NoticeTest,
    ::testing::Values(NoticeCase{"Error", jobs::TNoticeKind::nkError, "Error"},
                      NoticeCase{"Information", jobs::TNoticeKind::nkInformation, "Information"}),
    [](const auto& param_info) { return param_info.param.name; });

TEST(MainWindowTest, MinimiseHidesAndTrayDoubleClickShowsAgain) {
  GuiHarness gui("");
  HWND window = gui.Window().Handle();
  ASSERT_TRUE(IsWindowVisible(window));
  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_FALSE(IsWindowVisible(window));
  SendMessageW(window, gui.tray.callback, 1, WM_LBUTTONDBLCLK);
  EXPECT_TRUE(IsWindowVisible(window));
}

TEST(MainWindowTest, ExitButtonEndsTheWorkerAndRemovesTheIcon) {
  GuiHarness gui("");
  gui.Click(gui.Window().Button(TRibbonButton::rbClose));
  EXPECT_TRUE(PumpUntil([&] { return gui.Window().Handle() == nullptr; }));
  EXPECT_FALSE(gui.tray.added);
  EXPECT_EQ(gui.Window().Manager(), nullptr);
}

TEST(InstanceMutexTest, ASecondOpenOfTheNameSeesTheFirst) {
  const auto first = platform::CreateInstanceMutex("MERIDOX-test-instance");
  EXPECT_FALSE(first->AlreadyExisted());
  const auto second = platform::CreateInstanceMutex("MERIDOX-test-instance");
  EXPECT_TRUE(second->AlreadyExisted());
}

}  // namespace
}  // namespace meridox::app::win32::testing

#include "app/win32/window_bridge.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

#include "app/win32/resource_ids.h"
#include "gui_fixture.h"

namespace meridox::app::win32::testing {
namespace {

struct PromptCase {
  std::string name;
  int answer;
  bool expected;
};

class WorkerPromptTest : public ::testing::TestWithParam<PromptCase> {};

// A Z report from a command file asks on the worker thread: the box must come up on the
// window's thread, and the worker waits for the answer.
TEST_P(WorkerPromptTest, PrintNowFromAnotherThreadIsAskedOnTheWindowThread) {
  GuiHarness gui("");
  TWindowBridge bridge(gui.Window().Handle(), gui.boxes, {});
  gui.boxes.answers = {GetParam().answer};
  DWORD asked_on = 0;
  gui.boxes.onShow = [&asked_on](const ShownBox&) { asked_on = GetCurrentThreadId(); };
  std::atomic<bool> done{false};
  bool answer = !GetParam().expected;
  std::thread worker([&] {
    answer = bridge.ConfirmPrintNow();
    done = true;
  });
  EXPECT_TRUE(PumpUntil([&] { return done.load(); }));
  worker.join();
  EXPECT_EQ(answer, GetParam().expected);
  EXPECT_EQ(asked_on, GetCurrentThreadId());
  ASSERT_EQ(gui.boxes.shown.size(), 1u);
  EXPECT_EQ(gui.boxes.shown[0].text, "Print Now?");
  EXPECT_EQ(gui.boxes.shown[0].caption, "Confirm");
  EXPECT_EQ(gui.boxes.shown[0].flags,
            static_cast<UINT>(MB_OKCANCEL | MB_ICONINFORMATION | MB_SETFOREGROUND));
}

INSTANTIATE_TEST_SUITE_P(Answers, WorkerPromptTest,
                         ::testing::Values(PromptCase{"OK", IDOK, true},
                                           PromptCase{"Cancel", IDCANCEL, false}),
                         [](const auto& param_info) { return param_info.param.name; });

TEST(WindowBridgeTest, BusyNoticeSaysTheECRIsBusy) {
  GuiHarness gui("");
  TWindowBridge bridge(gui.Window().Handle(), gui.boxes, {});
  bridge.ShowBusyNotice();
  ASSERT_EQ(gui.boxes.shown.size(), 1u);
  EXPECT_EQ(gui.boxes.shown[0].text, "ECR Busy, Try Again Later");
  EXPECT_EQ(gui.boxes.shown[0].caption, "Error");
}

TEST(WindowBridgeTest, NoticeToABusyWindowIsGivenUpAfterTheTimeOut) {
  GuiHarness gui("");
  TWindowBridge bridge(gui.Window().Handle(), gui.boxes, {});
  // Nobody handles this thread's messages while the worker notifies.
  const auto start = std::chrono::steady_clock::now();
  std::thread worker(
      [&] { bridge.Notify(jobs::TNoticeKind::nkError, "x", std::chrono::milliseconds(300)); });
  worker.join();
  const auto waited = std::chrono::steady_clock::now() - start;
  EXPECT_GE(waited, std::chrono::milliseconds(250));
  EXPECT_LT(waited, std::chrono::seconds(10));
  EXPECT_TRUE(gui.tray.balloons.empty());
}

TEST(ShellTrayTest, TheSystemAcceptsTheIconAndItsBalloon) {
  GuiHarness gui("");
  auto tray = CreateShellTrayIcon();
  EXPECT_TRUE(tray->Add(gui.Window().Handle(), WM_APP + 50,
                        LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MERIDOX)),
                        "MERIDOX[1.0.0.5]"));
  EXPECT_TRUE(tray->ShowBalloon("Information", "Handle File[a.txt] OK", false));
  tray->Remove();
  EXPECT_FALSE(tray->ShowBalloon("Information", "gone", false));
}

TEST(TrayMenuTest, SettingsItemShowsAndExitItemCloses) {
  GuiHarness gui("");
  HWND window = gui.Window().Handle();
  SendMessageW(window, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_FALSE(IsWindowVisible(window));
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_SETTING, 0), 0);
  EXPECT_TRUE(IsWindowVisible(window));
  SendMessageW(window, WM_COMMAND, MAKEWPARAM(IDM_CLOSE, 0), 0);
  EXPECT_TRUE(PumpUntil([&] { return gui.Window().Handle() == nullptr; }));
}

}  // namespace
}  // namespace meridox::app::win32::testing

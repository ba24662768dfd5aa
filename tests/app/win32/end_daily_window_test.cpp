#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <functional>

#include "app/win32/end_daily_window.h"
#include "app/win32/resource_ids.h"
#include "gui_fixture.h"
#include "log/messages.h"

namespace meridox::app::win32::testing {
namespace {

using namespace std::chrono_literals;

// The ECR's end-of-day side, scripted; every query takes a second of the fake clock, as
// the dialog's one-second polling would.
class ScriptedEndDaily : public jobs::TEndDailyEcr {
 public:
  explicit ScriptedEndDaily(platform::FakeClock& clock) : clock_(clock) {}
  bool answers = true;
  int status = 0;
  int count = 0;
  int statusAfterSelect = -1;
  int queries = 0;
  int selects = 0;
  int cancels = 0;

  bool Query(std::chrono::milliseconds, int& s, int& c) override {
    ++queries;
    clock_.Advance(1000ms);
    s = 0;
    c = 0;
    if (!answers)
      return false;
    s = status;
    c = count;
    return true;
  }
  bool Select() override {
    ++selects;
    if (statusAfterSelect >= 0)
      status = statusAfterSelect;
    return true;
  }
  bool Cancel() override {
    ++cancels;
    return true;
  }

 private:
  platform::FakeClock& clock_;
};

struct DialogRun {
  bool result = false;
  int updates = 0;
};

DialogRun RunDialog(ScriptedEndDaily& ecr, platform::FakeClock& clock, ScriptedBoxes& boxes,
                    const std::function<void(HWND, int)>& onUpdate = {}) {
  DialogRun run;
  TEndDailyWindowOptions options;
  options.Clock = &clock;
  options.Boxes = &boxes;
  options.Tick = 1ms;
  options.OnUpdate = [&](HWND dialog) {
    ++run.updates;
    if (onUpdate)
      onUpdate(dialog, run.updates);
  };
  DrainQuit();
  run.result = ShowEndDailyConfirm(nullptr, ecr, options);
  return run;
}

TEST(EndDailyWindowTest, StatusTwoAtOnceClosesWithOK) {
  platform::FakeClock clock;
  ScriptedBoxes boxes;
  ScriptedEndDaily ecr(clock);
  ecr.status = 2;
  const DialogRun run = RunDialog(ecr, clock, boxes);
  EXPECT_TRUE(run.result);
  EXPECT_EQ(ecr.queries, 1);
  EXPECT_EQ(ecr.selects + ecr.cancels, 0);
}

TEST(EndDailyWindowTest, PendingTransferEnablesButtonsAndShowsTheCount) {
  platform::FakeClock clock;
  ScriptedBoxes boxes;
  ScriptedEndDaily ecr(clock);
  ecr.status = 1;
  ecr.count = 3;
  bool yes = false, cancel = false;
  std::string count_text, caption, question;
  const DialogRun run = RunDialog(ecr, clock, boxes, [&](HWND dialog, int update) {
    if (update != 2)
      return;
    yes = IsWindowEnabled(GetDlgItem(dialog, IDC_END_DAILY_YES)) != FALSE;
    cancel = IsWindowEnabled(GetDlgItem(dialog, IDC_END_DAILY_CANCEL)) != FALSE;
    count_text = WindowText(GetDlgItem(dialog, IDC_END_DAILY_COUNT));
    caption = WindowText(dialog);
    question = WindowText(GetDlgItem(dialog, IDC_END_DAILY_MSG));
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_END_DAILY_YES)), "Select");
    EXPECT_EQ(WindowText(GetDlgItem(dialog, IDC_END_DAILY_CANCEL)), "Cancel");
    RECT client{};
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, 424);
    EXPECT_EQ(client.bottom, 157);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_FALSE(run.result);
  EXPECT_TRUE(yes);
  EXPECT_TRUE(cancel);
  EXPECT_EQ(count_text, "\u03A0PO\u03A3\u03A0A\u0398EIA META\u03A6.3/10");
  EXPECT_EQ(caption, "Confirm");
  EXPECT_EQ(question, "ΕΠΙΒΕΒΑΙΩΣΗ ΜΕΤΑΦΟΡΑΣ ΔΕΔΟΜΕΝΩΝ ?");
  EXPECT_EQ(ecr.cancels, 0);
}

TEST(EndDailyWindowTest, NothingToDecideDisablesBothButtons) {
  platform::FakeClock clock;
  ScriptedBoxes boxes;
  ScriptedEndDaily ecr(clock);
  ecr.status = 0;
  bool any_enabled = true;
  RunDialog(ecr, clock, boxes, [&](HWND dialog, int update) {
    if (update != 3)
      return;
    any_enabled = IsWindowEnabled(GetDlgItem(dialog, IDC_END_DAILY_YES)) ||
                  IsWindowEnabled(GetDlgItem(dialog, IDC_END_DAILY_CANCEL));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_FALSE(any_enabled);
}

TEST(EndDailyWindowTest, SelectLeadsToStatusTwoAndOK) {
  platform::FakeClock clock;
  ScriptedBoxes boxes;
  ScriptedEndDaily ecr(clock);
  ecr.status = 1;
  ecr.statusAfterSelect = 2;
  const DialogRun run = RunDialog(ecr, clock, boxes, [&](HWND dialog, int update) {
    if (update == 2)
      PostMessageW(GetDlgItem(dialog, IDC_END_DAILY_YES), BM_CLICK, 0, 0);
  });
  EXPECT_TRUE(run.result);
  EXPECT_EQ(ecr.selects, 1);
  EXPECT_TRUE(boxes.shown.empty());
}

TEST(EndDailyWindowTest, FiveMinutesOfSilenceCloseWithCancel) {
  platform::FakeClock clock;
  ScriptedBoxes boxes;
  ScriptedEndDaily ecr(clock);
  ecr.answers = false;
  const DialogRun run = RunDialog(ecr, clock, boxes);
  EXPECT_FALSE(run.result);
  // One query per second of the fake clock for five minutes.
  EXPECT_GE(ecr.queries, 299);
  EXPECT_LE(ecr.queries, 302);
}

struct CloseCase {
  std::string name;
  std::function<void(HWND)> close;
};

class EndDailyCloseTest : public ::testing::TestWithParam<CloseCase> {};

TEST_P(EndDailyCloseTest, CloseBoxOrEscapeIsCancelWithoutARequest) {
  platform::FakeClock clock;
  ScriptedBoxes boxes;
  ScriptedEndDaily ecr(clock);
  ecr.status = 1;
  const DialogRun run = RunDialog(ecr, clock, boxes, [&](HWND dialog, int update) {
    if (update == 2)
      GetParam().close(dialog);
  });
  EXPECT_FALSE(run.result);
  EXPECT_EQ(ecr.cancels, 0);
  EXPECT_EQ(ecr.selects, 0);
}

INSTANTIATE_TEST_SUITE_P(
    Ways, EndDailyCloseTest,
    ::testing::Values(
        CloseCase{"CloseBox", [](HWND d) { PostMessageW(d, WM_SYSCOMMAND, SC_CLOSE, 0); }},
        CloseCase{"Escape", [](HWND d) { PostMessageW(d, WM_COMMAND, IDCANCEL, 0); }}),
    [](const auto& param_info) { return param_info.param.name; });

TEST(EndDailyWindowTest, AFailedSelectShowsErrorAndStaysOpen) {
  platform::FakeClock clock;
  ScriptedBoxes boxes;
  class Refusing : public ScriptedEndDaily {
   public:
    using ScriptedEndDaily::ScriptedEndDaily;
    bool Select() override {
      ++selects;
      return false;
    }
  } ecr(clock);
  ecr.status = 1;
  const DialogRun run = RunDialog(ecr, clock, boxes, [&](HWND dialog, int update) {
    if (update == 2)
      PostMessageW(GetDlgItem(dialog, IDC_END_DAILY_YES), BM_CLICK, 0, 0);
    if (update == 6)
      PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_FALSE(run.result);
  EXPECT_EQ(ecr.selects, 1);
  ASSERT_EQ(boxes.shown.size(), 1u);
  EXPECT_EQ(boxes.shown[0].text, "Error");
}

TEST(ResourceTest, GreekStringMatchesTheCatalogue) {
  EXPECT_EQ(TransferAttemptResource(), msg::sTransferAttempt);
  EXPECT_EQ(TransferAttemptText(7), msg::FormatTransferAttempt(7));
}

TEST(ResourceTest, IconManifestAndVersionArePresent) {
  HMODULE self = GetModuleHandleW(nullptr);
  EXPECT_NE(LoadIconW(self, MAKEINTRESOURCEW(IDI_MERIDOX)), nullptr);
  HRSRC manifest = FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  ASSERT_NE(manifest, nullptr);
  const std::string text(static_cast<const char*>(LockResource(LoadResource(self, manifest))),
                         SizeofResource(self, manifest));
  EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
  EXPECT_NE(text.find("version=\"6.0.0.0\""), std::string::npos);
  EXPECT_NE(text.find("<dpiAware"), std::string::npos);
  HRSRC version = FindResourceW(self, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(16));
  ASSERT_NE(version, nullptr);
  const auto* bytes = static_cast<const unsigned char*>(LockResource(LoadResource(self, version)));
  const DWORD size = SizeofResource(self, version);
  // VS_FIXEDFILEINFO follows its signature; file version 1.0.0.5.
  bool found = false;
  for (DWORD at = 0; at + sizeof(VS_FIXEDFILEINFO) <= size; at += 4) {
    VS_FIXEDFILEINFO info;
    std::memcpy(&info, bytes + at, sizeof(info));
    if (info.dwSignature != 0xFEEF04BD)
      continue;
    found = true;
    EXPECT_EQ(info.dwFileVersionMS, (1u << 16) | 0u);
    EXPECT_EQ(info.dwFileVersionLS, (0u << 16) | 5u);
    break;
  }
  EXPECT_TRUE(found);
}

}  // namespace
}  // namespace meridox::app::win32::testing

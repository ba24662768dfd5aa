#include <gtest/gtest.h>

#include "app/win32/resource_ids.h"
#include "gui_fixture.h"
#include "link/ecr_commands.h"
#include "simulator.h"

namespace meridox::app::win32::testing {
namespace {

using namespace std::chrono_literals;

// The main window against the simulated register over TCP on 127.0.0.1.
class ManualOperationsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    port_ = sim_.StartTcp();
    ASSERT_NE(port_, 0) << sim_.LastError();
    gui_ = std::make_unique<GuiHarness>(
        "ConnKind=1\r\nHost=127.0.0.1\r\nPort=" + std::to_string(port_) + "\r\n",
        [](TTrayAppOptions& options) { options.DialogOptions.Tick = 20ms; });
  }
  void TearDown() override { gui_.reset(); }

  // Presses a ribbon button; returns the texts of the boxes it showed.
  std::vector<std::string> Press(TRibbonButton button) {
    gui_->boxes.shown.clear();
    gui_->Click(gui_->Window().Button(button));
    std::vector<std::string> texts;
    for (const ShownBox& box : gui_->boxes.shown)
      texts.push_back(box.text);
    return texts;
  }

  ecrsim::Simulator sim_;
  std::uint16_t port_ = 0;
  std::unique_ptr<GuiHarness> gui_;
};

TEST_F(ManualOperationsTest, CheckConnectionSendsConnectAndShowsOK) {
  EXPECT_EQ(Press(TRibbonButton::rbCheckConn), std::vector<std::string>{"OK"});
  EXPECT_FALSE(sim_.RequestsOf(10000).empty());
}

TEST_F(ManualOperationsTest, XReportPrintsAndShowsOK) {
  EXPECT_EQ(Press(TRibbonButton::rbXReport), std::vector<std::string>{"OK"});
  EXPECT_FALSE(sim_.RequestsOf(30009).empty());
}

TEST_F(ManualOperationsTest, ZReportAnsweredCancelAtPrintNowPrintsNothing) {
  gui_->boxes.answers = {IDCANCEL};
  const auto texts = Press(TRibbonButton::rbZReport);
  // The question, then the outcome: declining is no failure.
  ASSERT_EQ(texts.size(), 2u);
  EXPECT_EQ(texts[0], "Print Now?");
  EXPECT_EQ(gui_->boxes.shown[0].caption, "Confirm");
  EXPECT_EQ(texts[1], "OK");
  EXPECT_TRUE(sim_.RequestsOf(30009).empty());
}

TEST_F(ManualOperationsTest, ZReportWithAPendingTransferAsksTheOperatorFirst) {
  // An earlier transfer is still pending: the dialog comes before the report and the
  // operator presses Select until the register reports it done; the report prints and
  // the dialog after it runs the new day's transfer the same way.
  sim_.SetTransfer(ecrsim::TransferState::kPending, 3);
  int dialogs_seen = 0;
  std::string attempt_text;
  gui_.reset();
  gui_ = std::make_unique<GuiHarness>(
      "ConnKind=1\r\nHost=127.0.0.1\r\nPort=" + std::to_string(port_) + "\r\n",
      [&](TTrayAppOptions& options) {
        options.DialogOptions.Tick = 20ms;
        options.DialogOptions.OnUpdate = [&](HWND dialog) {
          ++dialogs_seen;
          HWND yes = GetDlgItem(dialog, IDC_END_DAILY_YES);
          if (IsWindowEnabled(yes)) {
            // The first dialog is the one before the report.
            if (attempt_text.empty())
              attempt_text = WindowText(GetDlgItem(dialog, IDC_END_DAILY_COUNT));
            PostMessageW(yes, BM_CLICK, 0, 0);
          }
        };
      });
  const auto texts = Press(TRibbonButton::rbZReport);
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), "OK");
  EXPECT_GT(dialogs_seen, 0);
  EXPECT_EQ(attempt_text, "\u03A0PO\u03A3\u03A0A\u0398EIA META\u03A6.3/10");
  EXPECT_FALSE(sim_.RequestsOf(30009).empty());
}

TEST_F(ManualOperationsTest, CloseAndVoidReachTheRegisterAndReportTheOutcome) {
  for (const auto button : {TRibbonButton::rbCloseReceipt, TRibbonButton::rbAllVoid}) {
    sim_.ClearJournal();
    const auto texts = Press(button);
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_FALSE(texts[0].empty());
    EXPECT_FALSE(sim_.Requests().empty());
  }
}

TEST_F(ManualOperationsTest, UnreachableRegisterShowsTheFailureText) {
  sim_.Stop();
  const auto texts = Press(TRibbonButton::rbCheckConn);
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_NE(texts[0], "OK");
  EXPECT_FALSE(texts[0].empty());
}

}  // namespace
}  // namespace meridox::app::win32::testing

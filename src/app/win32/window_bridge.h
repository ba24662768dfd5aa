// How the worker reaches the main window: notices as the synchronous message
// WM_MANAGER_NOTIFY with a time-out, and the operator's prompts run on the window's
// thread while the asking thread waits for the answer.
#pragma once

#include <windows.h>

#include <functional>

#include "app/win32/end_daily_window.h"
#include "app/win32/ui_services.h"
#include "jobs/notice_sink.h"
#include "jobs/prompts.h"

namespace meridox::app::win32 {

// First parameter: the text (null-terminated UTF-16, valid during the call); second: the
// kind, 1 error, anything else information.
inline constexpr UINT WM_MANAGER_NOTIFY = WM_USER + 101;
static_assert(WM_MANAGER_NOTIFY == 1125);
// Runs the std::function<void()> the second parameter points to, on the window's thread.
inline constexpr UINT WM_RUN_ON_UI = WM_APP + 10;

class TWindowBridge final : public jobs::TNoticeSink, public jobs::TPrompts {
 public:
  TWindowBridge(HWND window, TMessageBoxes& boxes, TEndDailyWindowOptions dialogOptions);

  void Notify(jobs::TNoticeKind kind, std::string_view text,
              std::chrono::milliseconds time_out) override;
  bool ConfirmPrintNow() override;
  bool ShowEndDailyConfirm(jobs::TEndDailyEcr& ecr) override;
  void ShowBusyNotice() override;

  // The window procedure's part of WM_RUN_ON_UI.
  static LRESULT RunRequest(LPARAM request);

 private:
  // Runs job on the window's thread: at once when called there, otherwise through a sent
  // message, so the caller waits until it is done.
  void OnWindowThread(const std::function<void()>& job);

  HWND window_;
  DWORD window_thread_;
  TMessageBoxes& boxes_;
  TEndDailyWindowOptions dialog_options_;
};

}  // namespace meridox::app::win32

#include "app/win32/window_bridge.h"

#include <string>

#include "app/shell/ui_texts.h"
#include "log/messages.h"

namespace meridox::app::win32 {

TWindowBridge::TWindowBridge(HWND window, TMessageBoxes& boxes,
                             TEndDailyWindowOptions dialogOptions)
    : window_(window),
      window_thread_(GetWindowThreadProcessId(window, nullptr)),
      boxes_(boxes),
      dialog_options_(std::move(dialogOptions)) {}

void TWindowBridge::Notify(jobs::TNoticeKind kind, std::string_view text,
                           std::chrono::milliseconds time_out) {
  const std::wstring wide = W(text);
  DWORD_PTR answer = 0;
  SendMessageTimeoutW(window_, WM_MANAGER_NOTIFY, reinterpret_cast<WPARAM>(wide.c_str()),
                      static_cast<LPARAM>(kind), SMTO_NORMAL, static_cast<UINT>(time_out.count()),
                      &answer);
}

void TWindowBridge::OnWindowThread(const std::function<void()>& job) {
  if (GetCurrentThreadId() == window_thread_) {
    job();
    return;
  }
  SendMessageW(window_, WM_RUN_ON_UI, 0, reinterpret_cast<LPARAM>(&job));
}

LRESULT TWindowBridge::RunRequest(LPARAM request) {
  const auto* job = reinterpret_cast<const std::function<void()>*>(request);
  if (job != nullptr && *job)
    (*job)();
  return 1;
}

bool TWindowBridge::ConfirmPrintNow() {
  bool ok = false;
  OnWindowThread([&] {
    // Asked from the tray too (a Z report in a command file): in front of other programs.
    ok = boxes_.Show(window_, msg::sPrintNow, msg::sConfirm,
                     MB_OKCANCEL | MB_ICONINFORMATION | MB_SETFOREGROUND) == IDOK;
  });
  return ok;
}

bool TWindowBridge::ShowEndDailyConfirm(jobs::TEndDailyEcr& ecr) {
  bool ok = false;
  OnWindowThread([&] { ok = win32::ShowEndDailyConfirm(window_, ecr, dialog_options_); });
  return ok;
}

void TWindowBridge::ShowBusyNotice() {
  // Says what happened (the ECR is in use) instead of the misleading "Print Now?".
  OnWindowThread([&] { boxes_.Show(window_, msg::sEcrBusy, msg::sError, MB_OK | MB_ICONERROR); });
}

}  // namespace meridox::app::win32

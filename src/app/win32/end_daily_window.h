// The end-of-day transfer confirmation as a modal window over the shared dialog model:
// the bold question, the attempt text from the Greek string resource, Select and Cancel,
// polling on a timer, closing on the model's word or through the close box.
#pragma once

#include <windows.h>

#include <chrono>
#include <functional>
#include <string>

#include "app/win32/ui_services.h"
#include "jobs/end_daily_dialog.h"
#include "platform/clock.h"

namespace meridox::app::win32 {

struct TEndDailyWindowOptions {
  platform::Clock* Clock = nullptr;  // null: the system clock
  TMessageBoxes* Boxes = nullptr;    // null: MessageBoxW
  std::chrono::milliseconds Tick = jobs::TEndDailyDialogModel::kTimerInterval;
  std::chrono::milliseconds Limit = jobs::TEndDailyDialogModel::kOpenLimit;
  // Called when the window is up and after every handled tick (tests, screenshots).
  std::function<void(HWND)> OnUpdate;
};

// Shows the dialog modally on the calling thread; true when it closed with OK.
bool ShowEndDailyConfirm(HWND owner, jobs::TEndDailyEcr& ecr,
                         const TEndDailyWindowOptions& options = {});

// String resource 1 of language 1032 with the count filled in ("%d"); the catalogue's
// text when the resource is missing.
std::string TransferAttemptText(int count);
// The resource's raw text (UTF-8), empty when the program carries none.
std::string TransferAttemptResource();

}  // namespace meridox::app::win32

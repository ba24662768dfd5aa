// The questions the manager puts to the operator, behind an interface that a window or a
// console can answer. They may be asked on the worker thread (a Z report from a command
// file) or on the thread of a manual operation; an implementation brings the question to
// its user-interface thread as it likes and returns only when it has the answer: the
// asking thread waits.
#pragma once

#include <chrono>
#include <functional>
#include <memory>

#include "jobs/end_daily_dialog.h"
#include "platform/clock.h"

namespace meridox::jobs {

class TPrompts {
 public:
  virtual ~TPrompts() = default;
  // "Print Now?" with caption "Confirm", OK and Cancel, information icon: true for OK.
  virtual bool ConfirmPrintNow() = 0;
  // The end-of-day transfer confirmation, run to its end on ecr: true when it closed
  // with OK. The ECR belongs to the caller until this returns.
  virtual bool ShowEndDailyConfirm(TEndDailyEcr& ecr) = 0;
  // A manual operation could not pause the worker: "Print Now?" with caption "Error" and
  // an OK button.
  virtual void ShowBusyNotice() = 0;
};

// The program without a window: "Print Now?" counts as OK, the end-of-day dialog selects
// the transfer once when the ECR asks for it and polls until done or the limit, and the
// busy notice goes to the given reporter (may be empty).
class THeadlessPrompts : public TPrompts {
 public:
  explicit THeadlessPrompts(
      platform::Clock& clock = platform::SystemClock(), std::function<void()> busy_notice = {},
      std::chrono::milliseconds dialog_limit = TEndDailyDialogModel::kOpenLimit,
      std::chrono::milliseconds tick = TEndDailyDialogModel::kTimerInterval);
  bool ConfirmPrintNow() override;
  bool ShowEndDailyConfirm(TEndDailyEcr& ecr) override;
  void ShowBusyNotice() override;

 private:
  platform::Clock& clock_;
  std::function<void()> busy_notice_;
  std::chrono::milliseconds dialog_limit_;
  std::chrono::milliseconds tick_;
};

}  // namespace meridox::jobs

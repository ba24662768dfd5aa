// The end-of-day transfer confirmation without its window: the state the dialog shows
// (buttons, attempt text, whether and how it closed) and the reactions to its timer and
// buttons. The Windows dialog draws this model; the headless program drives it itself.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "platform/clock.h"

namespace meridox::jobs {

// The three end-of-day requests, as the dialog needs them (implemented over the link in
// end_daily.h, faked in tests).
class TEndDailyEcr {
 public:
  virtual ~TEndDailyEcr() = default;
  // Status and attempt count; both 0 and false when the query failed.
  virtual bool Query(std::chrono::milliseconds time_out, int& status, int& count) = 0;
  virtual bool Select() = 0;
  virtual bool Cancel() = 0;
};

enum class TDialogResult { drNone, drOK, drCancel };

class TEndDailyDialogModel {
 public:
  static constexpr std::chrono::milliseconds kTimerInterval{1000};
  static constexpr std::chrono::milliseconds kQueryTimeOut{1000};
  static constexpr std::chrono::minutes kOpenLimit{5};

  // show_error shows a plain message box with the text (the catalogue's "Error"); it may
  // be empty. The limit is the time the dialog stays open at most.
  TEndDailyDialogModel(TEndDailyEcr& ecr, platform::Clock& clock,
                       std::function<void(const std::string&)> show_error = {},
                       std::chrono::milliseconds limit = kOpenLimit);

  // Captions and first attempt text, first refresh, timer on, opening time taken.
  void Open();

  // One query: status 2 closes with OK and stops the timer; otherwise the buttons and
  // the attempt text follow the status. Returns whether the query succeeded.
  bool RefreshStatus();
  // The timer's tick: ignored while one is being handled; closes with Cancel once the
  // limit has passed since opening.
  void TimerTick();
  void SelectClick();
  void CancelClick();
  // The window's close box.
  void CloseBox();

  TDialogResult Result() const { return result_; }
  bool Closed() const { return result_ != TDialogResult::drNone; }
  bool TimerEnabled() const { return timer_enabled_; }
  bool YesEnabled() const { return yes_enabled_; }
  bool CancelEnabled() const { return cancel_enabled_; }
  bool Busy() const { return busy_; }
  // An operator operation (Select or Cancel) is running: the hourglass cursor.
  bool OperationRunning() const { return operation_running_; }
  int EndDailyStatus() const { return end_daily_status_; }
  int CurCancelCount() const { return cur_cancel_count_; }
  const std::string& AttemptText() const { return attempt_text_; }

  // Texts of the window: the title, the question and the two button captions.
  static std::string Caption();
  static std::string MessageText();
  static std::string YesCaption();
  static std::string CancelCaption();

 private:
  void ButtonOperation(bool select);

  TEndDailyEcr& ecr_;
  platform::Clock& clock_;
  std::function<void(const std::string&)> show_error_;
  std::chrono::milliseconds limit_;
  std::chrono::steady_clock::time_point last_check_{};
  TDialogResult result_ = TDialogResult::drNone;
  bool timer_enabled_ = false;
  bool busy_ = false;
  bool operation_running_ = false;
  bool yes_enabled_ = false;
  bool cancel_enabled_ = false;
  int end_daily_status_ = 0;
  int cur_cancel_count_ = 0;
  std::string attempt_text_;
};

// The dialog run without a window (headless policy): the operator "presses" Select the
// first time the status is 1, then the dialog polls every interval until it closes (status
// 2, or the limit). The clock's SleepFor paces the ticks. True when it closed with OK.
bool RunEndDailyHeadless(TEndDailyDialogModel& model, platform::Clock& clock,
                         std::chrono::milliseconds interval = TEndDailyDialogModel::kTimerInterval);

}  // namespace meridox::jobs

#include "jobs/end_daily_dialog.h"

#include "log/messages.h"

namespace meridox::jobs {

TEndDailyDialogModel::TEndDailyDialogModel(TEndDailyEcr& ecr, platform::Clock& clock,
                                           std::function<void(const std::string&)> show_error,
                                           std::chrono::milliseconds limit)
    : ecr_(ecr), clock_(clock), show_error_(std::move(show_error)), limit_(limit) {}

std::string TEndDailyDialogModel::Caption() {
  return std::string(msg::sConfirm);
}

std::string TEndDailyDialogModel::MessageText() {
  return "\u0395\u03A0\u0399\u0392\u0395\u0392\u0391\u0399\u03A9\u03A3\u0397 "
         "\u039C\u0395\u03A4\u0391\u03A6\u039F\u03A1\u0391\u03A3 "
         "\u0394\u0395\u0394\u039F\u039C\u0395\u039D\u03A9\u039D ?";
}

std::string TEndDailyDialogModel::YesCaption() {
  return std::string(msg::sSelect);
}

std::string TEndDailyDialogModel::CancelCaption() {
  return std::string(msg::sCancel);
}

void TEndDailyDialogModel::Open() {
  result_ = TDialogResult::drNone;
  attempt_text_ = msg::FormatTransferAttempt(0);
  RefreshStatus();
  // A first status of 2 has already closed the dialog; its timer stays off then.
  timer_enabled_ = !Closed();
  last_check_ = clock_.Monotonic();
}

bool TEndDailyDialogModel::RefreshStatus() {
  int status = 0;
  int count = 0;
  const bool ok = ecr_.Query(kQueryTimeOut, status, count);
  end_daily_status_ = status;
  cur_cancel_count_ = count;
  if (status == 2) {
    result_ = TDialogResult::drOK;
    timer_enabled_ = false;
  } else {
    const bool enable = status != 0 && !operation_running_;
    yes_enabled_ = enable;
    cancel_enabled_ = enable;
    attempt_text_ = msg::FormatTransferAttempt(count);
  }
  return ok;
}

void TEndDailyDialogModel::TimerTick() {
  if (busy_ || !timer_enabled_ || Closed())
    return;
  timer_enabled_ = false;
  busy_ = true;
  RefreshStatus();
  if (!Closed() && clock_.Monotonic() - last_check_ >= limit_)
    result_ = TDialogResult::drCancel;
  busy_ = false;
  timer_enabled_ = !Closed();
}

void TEndDailyDialogModel::ButtonOperation(bool select) {
  if (Closed())
    return;
  timer_enabled_ = false;
  operation_running_ = true;
  bool refreshed = RefreshStatus();
  if (refreshed && !Closed()) {
    if (select ? ecr_.Select() : ecr_.Cancel())
      RefreshStatus();
    else
      refreshed = false;
  }
  if (!refreshed && show_error_)
    show_error_(std::string(msg::sError));
  if (end_daily_status_ != 2)
    timer_enabled_ = !Closed();
  operation_running_ = false;
}

void TEndDailyDialogModel::SelectClick() {
  ButtonOperation(true);
}

void TEndDailyDialogModel::CancelClick() {
  ButtonOperation(false);
}

void TEndDailyDialogModel::CloseBox() {
  if (!Closed())
    result_ = TDialogResult::drCancel;
  timer_enabled_ = false;
}

bool RunEndDailyHeadless(TEndDailyDialogModel& model, platform::Clock& clock,
                         std::chrono::milliseconds interval) {
  model.Open();
  bool selected = false;
  while (!model.Closed()) {
    if (!selected && model.EndDailyStatus() == 1) {
      selected = true;
      model.SelectClick();
      if (model.Closed())
        break;
    }
    clock.SleepFor(interval);
    model.TimerTick();
  }
  return model.Result() == TDialogResult::drOK;
}

}  // namespace meridox::jobs

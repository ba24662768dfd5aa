#include "jobs/prompts.h"

namespace meridox::jobs {

THeadlessPrompts::THeadlessPrompts(platform::Clock& clock, std::function<void()> busy_notice,
                                   std::chrono::milliseconds dialog_limit,
                                   std::chrono::milliseconds tick)
    : clock_(clock),
      busy_notice_(std::move(busy_notice)),
      dialog_limit_(dialog_limit),
      tick_(tick) {}

bool THeadlessPrompts::ConfirmPrintNow() {
  return true;
}

bool THeadlessPrompts::ShowEndDailyConfirm(TEndDailyEcr& ecr) {
  TEndDailyDialogModel model(ecr, clock_, {}, dialog_limit_);
  return RunEndDailyHeadless(model, clock_, tick_);
}

void THeadlessPrompts::ShowBusyNotice() {
  if (busy_notice_)
    busy_notice_();
}

}  // namespace meridox::jobs

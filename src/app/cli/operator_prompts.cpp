#include "app/cli/operator_prompts.h"

#include "log/messages.h"

namespace meridox::cli {
namespace {

thread_local Questioner* t_questioner = nullptr;

}  // namespace

OperatorPrompts::Scope::Scope(Questioner& questioner) : previous_(t_questioner) {
  t_questioner = &questioner;
}

OperatorPrompts::Scope::~Scope() {
  t_questioner = previous_;
}

OperatorPrompts::OperatorPrompts(platform::Clock& clock,
                                 std::function<void(const std::string&)> busy,
                                 std::chrono::milliseconds tick,
                                 std::chrono::milliseconds dialog_limit)
    : clock_(clock),
      busy_(std::move(busy)),
      tick_(tick),
      dialog_limit_(dialog_limit),
      headless_(clock, {}, dialog_limit, tick) {}

bool OperatorPrompts::ConfirmPrintNow() {
  if (!t_questioner)
    return headless_.ConfirmPrintNow();
  return t_questioner->AskYesNo(msg::sPrintNow, true);
}

bool OperatorPrompts::ShowEndDailyConfirm(jobs::TEndDailyEcr& ecr) {
  Questioner* questioner = t_questioner;
  if (!questioner)
    return headless_.ShowEndDailyConfirm(ecr);
  // The dialog on a terminal: the same model as the window, the operator's choice asked
  // once when the ECR offers the transfer, the attempt count shown as it changes.
  jobs::TEndDailyDialogModel model(
      ecr, clock_, [questioner](const std::string& text) { questioner->Say(text); }, dialog_limit_);
  model.Open();
  std::string shown;
  bool asked = false;
  while (!model.Closed()) {
    if (model.AttemptText() != shown) {
      shown = model.AttemptText();
      questioner->Say(shown);
    }
    if (model.YesEnabled() && !asked) {
      asked = true;
      const std::string question = jobs::TEndDailyDialogModel::MessageText() + " (" +
                                   std::string(msg::sSelect) + "/" + std::string(msg::sCancel) +
                                   ")";
      if (questioner->AskYesNo(question, true))
        model.SelectClick();
      else
        model.CancelClick();
      continue;
    }
    clock_.SleepFor(tick_);
    model.TimerTick();
  }
  return model.Result() == jobs::TDialogResult::drOK;
}

void OperatorPrompts::ShowBusyNotice() {
  const std::string text(msg::sEcrBusy);
  if (t_questioner)
    t_questioner->Say(text);
  else if (busy_)
    busy_(text);
}

}  // namespace meridox::cli

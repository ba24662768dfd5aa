// The manager's prompts for the headless program. A manual operation that has someone to
// ask (the terminal, or the client on the control channel) installs its questioner for
// the thread it runs on; everything else, the worker's Z reports from command files
// included, follows the headless policy.
#pragma once

#include <chrono>
#include <functional>
#include <string>

#include "app/cli/questioner.h"
#include "jobs/prompts.h"
#include "platform/clock.h"

namespace meridox::cli {

class OperatorPrompts final : public jobs::TPrompts {
 public:
  // `busy` receives the lock's busy notice when no questioner is installed.
  OperatorPrompts(platform::Clock& clock, std::function<void(const std::string&)> busy,
                  std::chrono::milliseconds tick = jobs::TEndDailyDialogModel::kTimerInterval,
                  std::chrono::milliseconds dialog_limit = jobs::TEndDailyDialogModel::kOpenLimit);

  bool ConfirmPrintNow() override;
  bool ShowEndDailyConfirm(jobs::TEndDailyEcr& ecr) override;
  void ShowBusyNotice() override;

  // Installs a questioner for the current thread while it lives.
  class Scope {
   public:
    explicit Scope(Questioner& questioner);
    ~Scope();
    Scope(const Scope&) = delete;
    Scope& operator=(const Scope&) = delete;

   private:
    Questioner* previous_;
  };

 private:
  platform::Clock& clock_;
  std::function<void(const std::string&)> busy_;
  std::chrono::milliseconds tick_;
  std::chrono::milliseconds dialog_limit_;
  jobs::THeadlessPrompts headless_;
};

}  // namespace meridox::cli

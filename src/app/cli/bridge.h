// The bridge without a window: the shared services and the job manager, set up from the
// program folder's Config.ini as the main window sets them up, and the manual operations
// of the window's buttons.
#pragma once

#include <memory>
#include <string>

#include "app/cli/operator_prompts.h"
#include "app/cli/options.h"
#include "app/cli/questioner.h"
#include "jobs/manager.h"
#include "jobs/notice_sink.h"
#include "platform/clock.h"

namespace meridox {
class TLogger;
namespace codec {
class TccEncode;
}
}  // namespace meridox

namespace meridox::cli {

// Worker notices as console lines, the title first: "Information: Handle File[...] OK".
class ConsoleNotices final : public jobs::TNoticeSink {
 public:
  explicit ConsoleNotices(ConsoleLines& console) : console_(console) {}
  void Notify(jobs::TNoticeKind kind, std::string_view text,
              std::chrono::milliseconds time_out) override;

 private:
  ConsoleLines& console_;
};

struct BridgeTuning {
  jobs::TManagerOptions manager;
  std::chrono::milliseconds dialog_tick = jobs::TEndDailyDialogModel::kTimerInterval;
  std::chrono::milliseconds dialog_limit = jobs::TEndDailyDialogModel::kOpenLimit;
};

class Bridge {
 public:
  // `home`: the program folder (UTF-8, with or without a trailing delimiter).
  Bridge(std::string home, ConsoleLines& console, BridgeTuning tuning = {},
         platform::Clock& clock = platform::SystemClock());
  ~Bridge();
  Bridge(const Bridge&) = delete;
  Bridge& operator=(const Bridge&) = delete;

  // Reads Config.ini and creates the log writer, the codec and the manager with the
  // configured folders and encodings. False with the reason in `error`.
  bool Open(std::string& error);

  // Starts the worker: stopped (no scanning) when no watched folder is configured.
  void StartWorker();
  // Terminates the worker and waits for it: the pass in progress ends first, then the
  // disconnect request goes out.
  void StopWorker();

  // One of the window's manual operations; the operator's questions go to `questioner`
  // (null: the headless policy). The outcome text is "OK" or the failure message.
  bool RunOperation(Command operation, Questioner* questioner, std::string& text);

  const std::string& Home() const { return home_; }
  // The configured watched folder, empty when none is set.
  std::string WatchedFolder() const;
  jobs::TManager& Manager() { return *manager_; }

 private:
  std::string home_;
  ConsoleLines& console_;
  BridgeTuning tuning_;
  platform::Clock& clock_;
  std::unique_ptr<TLogger> logger_;
  std::unique_ptr<codec::TccEncode> codec_;
  std::unique_ptr<ConsoleNotices> notices_;
  std::unique_ptr<OperatorPrompts> prompts_;
  std::unique_ptr<jobs::TManager> manager_;
  bool started_ = false;
};

}  // namespace meridox::cli

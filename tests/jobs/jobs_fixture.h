// A job manager wired to an in-process simulated ECR over loopback TCP, with short
// periods, a configuration, a journal and answer folders in a temporary folder.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "codec/field_codec.h"
#include "config/ini_config.h"
#include "jobs/manager.h"
#include "jobs/notice_sink.h"
#include "jobs/prompts.h"
#include "link/hecr_link.h"
#include "simulator.h"
#include "temp_dir.h"

namespace meridox::jobs::testing {

using namespace std::chrono_literals;

struct Notice {
  TNoticeKind kind;
  std::string text;
};

class RecordingSink : public TNoticeSink {
 public:
  void Notify(TNoticeKind kind, std::string_view text, std::chrono::milliseconds) override {
    std::lock_guard<std::mutex> lock(mutex_);
    notices_.push_back({kind, std::string(text)});
  }
  std::vector<Notice> Notices() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return notices_;
  }

 private:
  mutable std::mutex mutex_;
  std::vector<Notice> notices_;
};

// Answers "Print Now?" as told, runs the end-of-day dialog headless on a fake clock and
// counts every question.
class ScriptedPrompts : public TPrompts {
 public:
  bool ConfirmPrintNow() override {
    ++print_now_asked;
    return print_now_answer;
  }
  bool ShowEndDailyConfirm(TEndDailyEcr& ecr) override {
    ++dialogs;
    platform::FakeClock clock;
    TEndDailyDialogModel model(ecr, clock);
    if (!select_in_dialog) {
      model.Open();
      while (!model.Closed()) {
        clock.Advance(1000ms);
        model.TimerTick();
      }
      return model.Result() == TDialogResult::drOK;
    }
    return RunEndDailyHeadless(model, clock);
  }
  void ShowBusyNotice() override { ++busy_notices; }

  bool print_now_answer = true;
  bool select_in_dialog = true;
  std::atomic<int> print_now_asked{0};
  std::atomic<int> dialogs{0};
  std::atomic<int> busy_notices{0};
};

// The encoding of the test's command and answer files (the system's default differs
// between the platforms).
inline constexpr TTextEncoding kFileEncoding{TTextEncodingKind::te1253};

class JobsTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A manager for the simulator (or for the given port), not started.
  std::unique_ptr<TManager> MakeManager(TManagerOptions options = FastOptions());
  static TManagerOptions FastOptions();

  std::string In() const { return in_; }
  std::string AnswerRoot() const { return answers_; }
  std::string JournalFile() const { return journal_; }
  // Writes a command file into the watched folder in the managers' input encoding (1253:
  // the system's default differs between the platforms); returns its path.
  std::string PutFile(const std::string& name, const std::string& utf8);
  // The answer files of the given command file name in the answer folder, decoded.
  std::vector<std::string> AnswersOf(const std::string& stem,
                                     TTextEncoding encoding = kFileEncoding) const;
  std::vector<std::filesystem::path> AnswerFiles() const;
  // Runs one pass, as the worker does, with the answer folder of today.
  void Pass(TManager& manager);
  // Requests of one command from the simulator.
  std::vector<ecrsim::ReceivedRequest> Sent(std::uint32_t command_id) const {
    return sim_.RequestsOf(command_id);
  }
  std::vector<std::uint32_t> SentIds() const;

  meridox::testing::TempDir dir_;
  ecrsim::Simulator sim_;
  std::uint16_t port_ = 0;
  std::unique_ptr<TIniConfig> config_;
  codec::TccEncode codec_;
  RecordingSink notices_;
  ScriptedPrompts prompts_;
  std::string in_;
  std::string answers_;
  std::string journal_;
};

}  // namespace meridox::jobs::testing

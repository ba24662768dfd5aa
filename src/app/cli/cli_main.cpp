#include "app/cli/cli_main.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <thread>

#include "app/cli/bridge.h"
#include "app/cli/control.h"
#include "app/cli/demo.h"
#include "app/cli/options.h"
#include "app/cli/questioner.h"
#include "config/ini_config.h"
#include "platform/app_folder.h"
#include "platform/console.h"
#include "platform/folder_lock.h"
#include "platform/stop_request.h"
#include "platform/utf8_path.h"

namespace meridox::cli {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr const char* kLockName = "meridox.lock";
constexpr std::string_view kAlreadyRunning = "App is already running!";

std::string HomeFolder(const Options& options) {
  return platform::WithTrailingDelimiter(options.home.empty() ? platform::ExecutableFolder()
                                                              : options.home);
}

bool EnsureFolder(const std::string& home, std::ostream& err) {
  std::error_code error;
  fs::create_directories(platform::PathFromUtf8(home), error);
  if (error) {
    err << "cannot use the program folder " << home << ": " << error.message() << '\n';
    return false;
  }
  return true;
}

// Answers the operator's questions with the headless policy, showing what happens.
class PolicyQuestioner final : public Questioner {
 public:
  explicit PolicyQuestioner(ConsoleLines& console) : console_(console) {}
  bool AskYesNo(std::string_view question, bool fallback) override {
    console_.Line(std::string(question) + (fallback ? " yes" : " no"));
    return fallback;
  }
  void Say(std::string_view text) override { console_.Line(text); }

 private:
  ConsoleLines& console_;
};

int RunBridge(const Options& options, std::ostream& out, std::ostream& err) {
  const std::string home = HomeFolder(options);
  if (!EnsureFolder(home, err))
    return 1;
  std::string error;
  const auto lock = platform::TryLockFile(platform::PathFromUtf8(home) / kLockName, &error);
  if (!lock) {
    err << kAlreadyRunning << '\n';
    return 1;
  }
  ConsoleLines console(out);
  Bridge bridge(home, console);
  if (!bridge.Open(error)) {
    err << error << '\n';
    return 1;
  }
  ControlServer control(bridge);
  if (!control.Start(error))
    console.Line("Error: no control channel, manual operations cannot reach this bridge: " + error);
  if (bridge.WatchedFolder().empty()) {
    console.Line("Information: no watched folder is set (SourceDataPath in " + home +
                 "Config.ini): the bridge does not scan for command files");
  } else {
    console.Line("Information: watching " + bridge.WatchedFolder());
  }
  bridge.StartWorker();
  while (!platform::WaitForStop(1s)) {
  }
  control.Stop();
  bridge.StopWorker();
  return 0;
}

int RunManual(const Options& options, std::istream& in, std::ostream& out, std::ostream& err) {
  const std::string home = HomeFolder(options);
  if (!EnsureFolder(home, err))
    return 1;
  ConsoleLines console(out);
  TerminalQuestioner terminal(in, out);
  PolicyQuestioner policy(console);
  Questioner& questioner = platform::StdinIsInteractive() ? static_cast<Questioner&>(terminal)
                                                          : static_cast<Questioner&>(policy);
  const fs::path folder = platform::PathFromUtf8(home);
  std::string text;
  // A bridge that is starting may hold the lock a moment before it listens.
  for (int attempt = 0; attempt < 10; ++attempt) {
    switch (RunRemoteOperation(folder, options.command, questioner, text)) {
      case RemoteOutcome::kSucceeded:
        out << text << '\n';
        return 0;
      case RemoteOutcome::kFailed:
        out << text << '\n';
        return 1;
      case RemoteOutcome::kNoBridge:
        break;
    }
    std::string error;
    const auto lock = platform::TryLockFile(folder / kLockName, &error);
    if (lock) {
      Bridge bridge(home, console);
      if (!bridge.Open(error)) {
        err << error << '\n';
        return 1;
      }
      const bool ok = bridge.RunOperation(options.command, &questioner, text);
      out << text << '\n';
      return ok ? 0 : 1;
    }
    std::this_thread::sleep_for(300ms);
  }
  err << "the bridge on " << home << " holds the ECR but does not answer; try again\n";
  return 1;
}

}  // namespace

int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err) {
  const ParseResult parsed = ParseArguments(args);
  if (!parsed.ok) {
    err << "meridox: " << parsed.error << "\n\n" << UsageText();
    return 2;
  }
  const Options& options = parsed.options;
  switch (options.command) {
    case Command::kVersion:
      out << kVersionText << '\n';
      return 0;
    case Command::kHelp:
      out << UsageText();
      return 0;
    case Command::kRun:
      return RunBridge(options, out, err);
    case Command::kDemo: {
      DemoOptions demo;
      demo.keep = options.keep;
      return RunDemo(demo, out, err);
    }
    default:
      return RunManual(options, in, out, err);
  }
}

}  // namespace meridox::cli

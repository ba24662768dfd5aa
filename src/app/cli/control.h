// The running bridge's control channel: other `meridox` processes hand it their manual
// operation so that the ECR is only ever used by the process that holds it. One request
// per connection, as lines:
//   client: OP <word>                       (check, close-receipt, void, x-report, z-report)
//   bridge: SAY <text>                      (information for the operator, any number)
//   bridge: ASK <question>  client: YES|NO  (the operator's answer)
//   bridge: DONE <0|1> <text>               (1 success; "OK" or the failure message)
// and "STOP", which ends the bridge as SIGTERM does.
#pragma once

#include <atomic>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "app/cli/bridge.h"
#include "app/cli/options.h"
#include "app/cli/questioner.h"
#include "platform/local_channel.h"

namespace meridox::cli {

class ControlServer {
 public:
  explicit ControlServer(Bridge& bridge) : bridge_(bridge) {}
  ~ControlServer();
  ControlServer(const ControlServer&) = delete;
  ControlServer& operator=(const ControlServer&) = delete;

  // Listens for the bridge's folder and serves requests on a thread of its own.
  bool Start(std::string& error);
  void Stop();

 private:
  void Serve();
  void Handle(platform::LocalStream& stream);

  Bridge& bridge_;
  std::unique_ptr<platform::LocalServer> server_;
  std::atomic<bool> stop_{false};
  std::thread thread_;
};

enum class RemoteOutcome { kNoBridge, kSucceeded, kFailed };

// Hands the operation to the bridge running on `home`, relaying its questions to `local`.
RemoteOutcome RunRemoteOperation(const std::filesystem::path& home, Command operation,
                                 Questioner& local, std::string& text);

// Asks the bridge running on `home` to stop; false when none answered.
bool RequestRemoteStop(const std::filesystem::path& home);

}  // namespace meridox::cli

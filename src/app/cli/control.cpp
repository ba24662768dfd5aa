#include "app/cli/control.h"

#include <chrono>

#include "platform/stop_request.h"
#include "platform/utf8_path.h"

namespace meridox::cli {
namespace {

using namespace std::chrono_literals;

// An operator may take a while to answer; an operation (a Z report) may print for long.
constexpr auto kAnswerWait = 10min;
constexpr auto kRequestWait = 5s;
constexpr auto kAcceptSlice = 200ms;

// Channel lines cannot hold line breaks: an ECR text with one travels as one line.
std::string OneLine(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c == '\r' || c == '\n')
      c = ' ';
  return out;
}

Command FromWord(std::string_view word, bool& ok) {
  for (Command c : {Command::kCheck, Command::kCloseReceipt, Command::kVoid, Command::kXReport,
                    Command::kZReport}) {
    if (CommandWord(c) == word) {
      ok = true;
      return c;
    }
  }
  ok = false;
  return Command::kHelp;
}

class ChannelQuestioner final : public Questioner {
 public:
  explicit ChannelQuestioner(platform::LocalStream& stream) : stream_(stream) {}

  bool AskYesNo(std::string_view question, bool fallback) override {
    if (!stream_.WriteLine("ASK " + OneLine(question)))
      return fallback;
    std::string answer;
    if (!stream_.ReadLine(answer, kAnswerWait))
      return fallback;
    if (answer == "YES")
      return true;
    if (answer == "NO")
      return false;
    return fallback;
  }

  void Say(std::string_view text) override { stream_.WriteLine("SAY " + OneLine(text)); }

 private:
  platform::LocalStream& stream_;
};

}  // namespace

ControlServer::~ControlServer() {
  Stop();
}

bool ControlServer::Start(std::string& error) {
  server_ = platform::ListenLocal(platform::PathFromUtf8(bridge_.Home()), &error);
  if (!server_)
    return false;
  stop_ = false;
  thread_ = std::thread([this] { Serve(); });
  return true;
}

void ControlServer::Stop() {
  stop_ = true;
  if (thread_.joinable())
    thread_.join();
  server_.reset();
}

void ControlServer::Serve() {
  while (!stop_) {
    auto stream = server_->Accept(kAcceptSlice);
    if (stream)
      Handle(*stream);
  }
}

void ControlServer::Handle(platform::LocalStream& stream) {
  std::string line;
  if (!stream.ReadLine(line, kRequestWait))
    return;
  if (line == "STOP") {
    // A service manager or a test without signals (Windows) asks the bridge to end.
    platform::RequestStop();
    stream.WriteLine("DONE 1 OK");
    return;
  }
  bool known = false;
  const Command operation =
      line.rfind("OP ", 0) == 0 ? FromWord(line.substr(3), known) : Command::kHelp;
  if (!known) {
    stream.WriteLine("DONE 0 unknown request: " + OneLine(line));
    return;
  }
  ChannelQuestioner questioner(stream);
  std::string text;
  const bool ok = bridge_.RunOperation(operation, &questioner, text);
  stream.WriteLine(std::string("DONE ") + (ok ? "1 " : "0 ") + OneLine(text));
}

RemoteOutcome RunRemoteOperation(const std::filesystem::path& home, Command operation,
                                 Questioner& local, std::string& text) {
  std::string error;
  auto stream = platform::ConnectLocal(home, &error);
  if (!stream)
    return RemoteOutcome::kNoBridge;
  if (!stream->WriteLine("OP " + std::string(CommandWord(operation)))) {
    text = "the running bridge did not take the request";
    return RemoteOutcome::kFailed;
  }
  std::string line;
  while (stream->ReadLine(line, kAnswerWait)) {
    if (line.rfind("SAY ", 0) == 0) {
      local.Say(line.substr(4));
    } else if (line.rfind("ASK ", 0) == 0) {
      stream->WriteLine(local.AskYesNo(line.substr(4), true) ? "YES" : "NO");
    } else if (line.rfind("DONE ", 0) == 0 && line.size() >= 6) {
      text = line.size() > 7 ? line.substr(7) : std::string();
      return line[5] == '1' ? RemoteOutcome::kSucceeded : RemoteOutcome::kFailed;
    }
  }
  text = "the running bridge ended the request without an outcome";
  return RemoteOutcome::kFailed;
}

bool RequestRemoteStop(const std::filesystem::path& home) {
  std::string error;
  auto stream = platform::ConnectLocal(home, &error);
  if (!stream || !stream->WriteLine("STOP"))
    return false;
  std::string line;
  return stream->ReadLine(line, kRequestWait) && line.rfind("DONE 1", 0) == 0;
}

}  // namespace meridox::cli

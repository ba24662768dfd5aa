#include "app/cli/bridge.h"

#include <exception>

#include "codec/field_codec.h"
#include "config/ini_config.h"
#include "log/logger.h"
#include "log/messages.h"
#include "platform/app_folder.h"

namespace meridox::cli {

void ConsoleNotices::Notify(jobs::TNoticeKind kind, std::string_view text,
                            std::chrono::milliseconds /*time_out*/) {
  const std::string_view title =
      kind == jobs::TNoticeKind::nkError ? msg::sError : msg::sInformation;
  // One notice, one line: an ECR text with a line break must not split it.
  std::string line = std::string(title) + ": ";
  bool in_break = false;
  for (char c : text) {
    const bool is_break = c == '\r' || c == '\n';
    if (is_break && !in_break)
      line += ' ';
    if (!is_break)
      line += c;
    in_break = is_break;
  }
  console_.Line(line);
}

Bridge::Bridge(std::string home, ConsoleLines& console, BridgeTuning tuning, platform::Clock& clock)
    : home_(platform::WithTrailingDelimiter(home)),
      console_(console),
      tuning_(std::move(tuning)),
      clock_(clock) {}

Bridge::~Bridge() {
  StopWorker();
}

bool Bridge::Open(std::string& error) {
  try {
    SetAppPath(home_);
    FreeConfig();  // bind the single instance to this folder
    TIniConfig& config = GetConfig();
    config.ReadConfig();

    logger_ = std::make_unique<TLogger>(home_ + "Log", TLogShower{}, clock_);
    codec_ = std::make_unique<codec::TccEncode>();
    notices_ = std::make_unique<ConsoleNotices>(console_);
    prompts_ = std::make_unique<OperatorPrompts>(
        clock_,
        [this](const std::string& text) { console_.Line(std::string(msg::sError) + ": " + text); },
        tuning_.dialog_tick, tuning_.dialog_limit);

    jobs::TManagerServices services;
    services.Codec = codec_.get();
    services.Logger = logger_.get();
    services.Config = &config;
    services.Notices = notices_.get();
    services.Prompts = prompts_.get();
    services.Clock = &clock_;
    jobs::TManagerOptions options = tuning_.manager;
    if (options.JournalFile.empty())
      options.JournalFile = home_ + "Jobs.journal";
    manager_ = std::make_unique<jobs::TManager>(services, options);

    // As the main window sets the manager up.
    manager_->SetDecimalType(config.DecimalType() == 1 ? packing::TDecimalType::dtDot
                                                       : packing::TDecimalType::dtComma);
    const auto in = jobs::TTextEncoding::FromName(config.InEncodingName());
    const auto out = jobs::TTextEncoding::FromName(config.OutEncodingName());
    manager_->SetInEncoding(in.value_or(jobs::TTextEncoding(jobs::TTextEncodingKind::teDefault)));
    manager_->SetOutEncoding(out.value_or(jobs::TTextEncoding(jobs::TTextEncodingKind::teDefault)));
    manager_->SetLineDelimiter("/");
    manager_->SetReceiptsDir(config.SourceDataPath());
    manager_->SetAnswerDir(config.AnswerPath());
    manager_->SetStoped(config.SourceDataPath().empty());
    return true;
  } catch (const std::exception& e) {
    error = e.what();
    return false;
  }
}

std::string Bridge::WatchedFolder() const {
  return GetConfig().SourceDataPath();
}

void Bridge::StartWorker() {
  if (!manager_ || started_)
    return;
  manager_->Start();
  started_ = true;
}

void Bridge::StopWorker() {
  if (!manager_ || !started_)
    return;
  manager_->Terminate();
  manager_->WaitFor();
  started_ = false;
}

bool Bridge::RunOperation(Command operation, Questioner* questioner, std::string& text) {
  std::unique_ptr<OperatorPrompts::Scope> scope;
  if (questioner)
    scope = std::make_unique<OperatorPrompts::Scope>(*questioner);
  auto from_result = [&text](const jobs::TResult& result) {
    const bool ok = result.Code == jobs::TRetCode::rcSuccess;
    text = ok ? std::string(msg::sOK) : result.Msg;
    return ok;
  };
  auto from_flag = [&text](bool ok) {
    text = ok ? std::string(msg::sOK) : std::string(msg::sError);
    return ok;
  };
  switch (operation) {
    case Command::kCheck:
      return from_result(manager_->Connect(true));
    case Command::kCloseReceipt:
      return from_result(manager_->CloseReceipt());
    case Command::kVoid:
      return from_result(manager_->AllVoid());
    case Command::kXReport:
      return from_flag(manager_->PrintReport(packing::TUploadReportMode::umXDailyReport, true));
    case Command::kZReport:
      return from_flag(manager_->PrintReport(packing::TUploadReportMode::umZDailyReport, true));
    default:
      text = "not a manual operation";
      return false;
  }
}

}  // namespace meridox::cli

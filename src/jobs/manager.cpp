#include "jobs/manager.h"

#include <filesystem>
#include <stdexcept>
#include <system_error>

#include "codec/field_codec.h"
#include "config/ini_config.h"
#include "jobs/command_file.h"
#include "jobs/end_daily.h"
#include "jobs/execution_journal.h"
#include "link/hecr_link.h"
#include "log/logger.h"
#include "log/messages.h"
#include "packing/command.h"
#include "packing/packer.h"
#include "platform/app_folder.h"
#include "platform/utf8_path.h"

namespace meridox::jobs {

namespace fs = std::filesystem;
using packing::TCommandKind;

namespace {

constexpr std::int32_t kCmdStatus = 20000;
constexpr std::int32_t kCmdReadPluReport = 20002;
constexpr std::int32_t kCmdReadReceipt = 10009;
constexpr std::int32_t kCmdLogin = 10002;
constexpr std::int32_t kCmdPrint = 30009;

const std::string& EcrID() {
  static const std::string id(kJobsEcrID);
  return id;
}

std::string Joined(std::string_view operation) {
  return msg::ErrorText(operation);
}

std::string OrDefault(const std::string& text, std::string_view fallback) {
  return text.empty() ? std::string(fallback) : text;
}

bool IsRegularFile(const std::string& path) {
  std::error_code error;
  return fs::is_regular_file(platform::PathFromUtf8(path), error);
}

std::int32_t ReadNumber(const codec::TccEncode& codec, std::span<const std::uint8_t> buf, int& pos,
                        int len) {
  const auto value = codec.BufToData(codec::dtBIN, buf, pos, len, 0).ToNumber();
  return value.has_value() ? static_cast<std::int32_t>(*value) : 0;
}

}  // namespace

TManager::TManager(const TManagerServices& services, TManagerOptions options)
    : FServices(services),
      FOptions(std::move(options)),
      FClock(services.Clock != nullptr ? *services.Clock : platform::SystemClock()),
      FConfig(services.Config != nullptr ? *services.Config : GetConfig()),
      FOwnPrompts(services.Prompts == nullptr ? std::make_unique<THeadlessPrompts>(FClock)
                                              : nullptr),
      FPrompts(services.Prompts != nullptr ? *services.Prompts : *FOwnPrompts) {
  if (services.Codec == nullptr)
    throw std::invalid_argument("TManager needs the field codec");
  FPacker = std::make_unique<packing::TPacker>(*services.Codec);
  // The link's waits run on real time even when tests move the manager's clock.
  FLink = std::make_unique<link::THecrLink>(services.Logger, platform::SystemClock());
  link::TConnParams params;
  GetConnParams(params);
  FLink->ConnParams = params;
  if (FOptions.JournalFile.empty())
    FOptions.JournalFile = AppPath() + "Jobs.journal";
}

TManager::~TManager() {
  if (FThread.joinable()) {
    Terminate();
    FThread.join();
  }
}

void TManager::Log(const std::string& text, int level) {
  LogTo(FServices.Logger, text, static_cast<TLogLevel>(level));
}

bool TManager::RemoveCommandFile(const std::string& path) {
  if (FOptions.RemoveFile)
    return FOptions.RemoveFile(path);
  std::error_code error;
  return fs::remove(platform::PathFromUtf8(path), error) && !error;
}

TExecutionJournal& TManager::Journal() {
  if (!FJournal)
    FJournal = std::make_unique<TExecutionJournal>(FOptions.JournalFile);
  return *FJournal;
}

// ---- thread

void TManager::Start() {
  if (FThread.joinable())
    return;
  FThread = std::thread([this] { Execute(); });
}

void TManager::Terminate() {
  {
    std::lock_guard<std::mutex> lock(FEventMutex);
    FTerminateSignalled = true;
  }
  FEvent.notify_all();
  FTerminated.store(true);
}

void TManager::WaitFor() {
  if (FThread.joinable() && FThread.get_id() != std::this_thread::get_id())
    FThread.join();
}

std::string TManager::CurrentAnswerFolder() const {
  std::lock_guard<std::mutex> lock(FFolderMutex);
  return FAnswerFolder;
}

void TManager::Execute() {
  try {
    const std::string folder = AnswerFolderOf(FAnswerDir, FClock.LocalNow());
    {
      std::lock_guard<std::mutex> lock(FFolderMutex);
      FAnswerFolder = folder;
    }
    if (!FAnswerDir.empty()) {
      std::error_code ignored;
      fs::create_directories(platform::PathFromUtf8(folder), ignored);
    }
    while (true) {
      bool signalled = false;
      {
        std::unique_lock<std::mutex> lock(FEventMutex);
        signalled = FEvent.wait_for(lock, FOptions.Period, [this] { return FTerminateSignalled; });
        FTerminateSignalled = false;  // auto-reset
      }
      if (signalled)
        break;
      if (FStoped.load() || FLocker.load() != 0)
        continue;
      if (FTerminated.load())
        break;
      // A worker without a folder never scans, also after a manual operation's UnLock.
      if (FReceiptsDir.empty())
        continue;
      // Taken with one compare-and-swap, so that the worker and a manual Lock can never
      // both see 0 and both go on.
      std::int32_t idle = 0;
      if (!FLocker.compare_exchange_strong(idle, 1))
        continue;
      try {
        ScanFiles(folder);
      } catch (const std::exception& e) {
        Log(e.what(), llError);
      } catch (...) {
        Log(std::string(msg::sError), llError);
      }
      FLocker.fetch_sub(1);
    }
    DisConnnect(false);
  } catch (const std::exception& e) {
    Log(e.what(), llError);
  } catch (...) {
    Log(std::string(msg::sError), llError);
  }
}

// ---- properties

void TManager::SetAnswerDir(const std::string& value) {
  FAnswerDir = value.empty() ? std::string() : platform::WithTrailingDelimiter(value);
  if (!FAnswerDir.empty()) {
    std::error_code ignored;
    fs::create_directories(platform::PathFromUtf8(FAnswerDir), ignored);
  }
}

packing::TDecimalType TManager::DecimalType() const {
  return FPacker->DecimalType();
}

void TManager::SetDecimalType(packing::TDecimalType value) {
  FPacker->SetDecimalType(value);
}

void TManager::GetConnParams(link::TConnParams& Params) const {
  if (FConfig.ConnKind() == 0) {
    Params.Mode = link::TConnMode::cmCOM;
    Params.PortName = FConfig.Host();
    Params.BaudRate = FConfig.Port();
  } else {
    Params.Mode = link::TConnMode::cmTCPClient;
    Params.Host = FConfig.Host();
    Params.Port = FConfig.Port();
  }
}

void TManager::Notify(TNoticeKind Kind, const std::string& Text) {
  if (FServices.Notices != nullptr)
    FServices.Notices->Notify(Kind, Text, FOptions.NoticeTimeOut);
}

// ---- the folder pass

void TManager::ScanFiles(const std::string& AnswerFolder) {
  std::vector<std::string> list;
  ListFiles(FReceiptsDir, "*.txt", list);
  TResult result;
  for (const std::string& path : list) {
    if (!IsRegularFile(path))
      continue;
    try {
      const std::string answer_path = AnswerFolder + AnswerFileName(path, FClock.LocalNow());
      // A file that has reached the ECR before is answered from the journal, never sent
      // again; this needs no ECR.
      if (ResolveJournaled(path, answer_path))
        continue;
      CheckEcrStatus(result);
      if (result.Code == TRetCode::rcError)
        continue;
      if (result.Code == TRetCode::rcECRError)
        break;
      HandleFile(path, result);
      Answer(path, answer_path, result);
      if (result.Code == TRetCode::rcECRError)
        break;
      FClock.SleepFor(FOptions.FilePause);
    } catch (const std::exception& e) {
      Log(msg::Format("Handle File[%s] Error, %s", path.c_str(), e.what()), llInfor);
      Notify(TNoticeKind::nkError,
             msg::Format("Handle File[%s] Error:\r\n%s", path.c_str(), e.what()));
    }
  }
}

void TManager::Answer(const std::string& path, const std::string& answer_path,
                      const TResult& result) {
  if (result.Code == TRetCode::rcSuccess) {
    Notify(TNoticeKind::nkInformation,
           msg::Format("Handle File[%s] %s", path.c_str(), std::string(msg::sOK).c_str()));
    SaveFile(answer_path, SuccessAnswer(), FOutEncoding);
  } else {
    Notify(TNoticeKind::nkError,
           msg::Format("Handle File[%s] Error:\r\n%s", path.c_str(), result.Msg.c_str()));
    const std::vector<std::string> lines = LoadFile(path, FInEncoding);
    SaveFile(answer_path, FailureAnswer(lines, result.Msg), FOutEncoding);
  }
  const bool journaled = Journal().Contains(path);
  if (journaled)
    Journal().Answered(path);
  const bool removed = RemoveCommandFile(path);
  if (removed && journaled)
    Journal().Remove(path);
}

bool TManager::ResolveJournaled(const std::string& path, const std::string& answer_path) {
  if (!Journal().Contains(path))
    return false;
  const std::string bytes = ReadFileBytes(path);
  const std::optional<TJournalEntry> entry = Journal().Find(IdentityOf(path, bytes));
  if (!entry.has_value()) {
    // Another file has been put under the same name: it is new work.
    Journal().Remove(path);
    return false;
  }
  TResult result = entry->Result;
  switch (entry->State) {
    case TJournalState::jsAnswered:
      if (RemoveCommandFile(path))
        Journal().Remove(path);
      return true;
    case TJournalState::jsRunning:
      result.Code = TRetCode::rcError;
      result.Msg = msg::Format(msg::sProcessingInterrupted, entry->LastLine);
      Log(msg::Format("Handle File[%s] %s", path.c_str(), result.Msg.c_str()), llError);
      Journal().Finish(path, result);
      break;
    case TJournalState::jsFinished:
      break;
  }
  Answer(path, answer_path, result);
  FClock.SleepFor(FOptions.FilePause);
  return true;
}

void TManager::HandleFile(const std::string& FileName, TResult& result) {
  const std::string bytes = ReadFileBytes(FileName);
  const std::vector<std::string> lines = DecodeLines(bytes, FInEncoding);
  bool journaled = false;
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (IsBlankLine(lines[i]))
      continue;
    if (!journaled) {
      // On disk before the first line goes out, or nothing goes out.
      Journal().Begin(IdentityOf(FileName, bytes));
      journaled = true;
    }
    const packing::TCommandData command = packing::TCommand::FetchCommand(lines[i], FLineDelimiter);
    ExecuteCommand(command, result);
    if (result.Code != TRetCode::rcSuccess)
      break;
    Journal().LineAccepted(FileName, static_cast<int>(i + 1));
  }
  if (journaled)
    Journal().Finish(FileName, result);
}

// ---- one command

void TManager::ExecuteCommand(const packing::TCommandData& CommandData, TResult& R) {
  R.Code = TRetCode::rcError;
  try {
    if (CommandData.Kind == TCommandKind::ckUnSupport) {
      R.Msg = std::string(msg::sUnSupportCommand);
      return;
    }
    packing::TPackedDatas datas;
    if (!FPacker->PackData(CommandData, datas)) {
      R.Msg = std::string(msg::sPackDataError);
      return;
    }
    for (std::size_t i = 0; i < datas.size(); ++i) {
      const packing::TPackedData& packed = datas[i];
      if (!FLink->Active())
        FLink->Open();
      const auto send = [&](std::string_view fallback) {
        std::vector<std::uint8_t> buf = packed.Data;
        if (FLink->SendBuffer(static_cast<std::int32_t>(packed.Command), buf,
                              static_cast<std::int32_t>(i), static_cast<std::int32_t>(buf.size()),
                              EcrID()))
          return true;
        R.Code = TRetCode::rcECRError;
        R.Msg = OrDefault(FLink->ErrMsg(), fallback);
        return false;
      };
      switch (CommandData.Kind) {
        case TCommandKind::ckClerk: {
          int pos = 0;
          const std::int32_t clerk = ReadNumber(*FServices.Codec, packed.Data, pos, 2);
          const std::int32_t password = ReadNumber(*FServices.Codec, packed.Data, pos, 4);
          R = Login(clerk, password, false);
          break;
        }
        case TCommandKind::ckPayment:
        case TCommandKind::ckCloseReceipt:
        case TCommandKind::ckAllVoid:
          if (!send(Joined(msg::sSendData)))
            return;
          CheckEcrStatus(R);
          if (R.Code != TRetCode::rcSuccess)
            return;
          break;
        case TCommandKind::ckZReport:
        case TCommandKind::ckXReport:
          if (!PrintReport(CommandData.Kind == TCommandKind::ckZReport
                               ? packing::TUploadReportMode::umZDailyReport
                               : packing::TUploadReportMode::umXDailyReport,
                           false)) {
            R.Code = TRetCode::rcError;
            R.Msg = Joined(msg::sPrintReport);
            return;
          }
          break;
        case TCommandKind::ckConnect:
          if (!send(Joined(msg::sConnection)))
            return;
          break;
        case TCommandKind::ckDisConnect:
          if (!send(Joined(msg::sDisconnection)))
            return;
          break;
        default:
          if (!send(Joined(msg::sSendData)))
            return;
          break;
      }
    }
    R.Code = TRetCode::rcSuccess;
  } catch (const std::exception& e) {
    R.Msg = e.what();
  }
}

// ---- the status check

void TManager::CheckEcrStatus(TResult& R) {
  try {
    std::int32_t flags = 0;
    GetEcrStatus(flags, R);
    if (R.Code != TRetCode::rcSuccess)
      return;
    if ((flags & 1) != 0) {
      ReadPendingData(0, R);
      if (R.Code != TRetCode::rcSuccess)
        return;
    }
    if ((flags & 4) != 0) {
      R = Connect(false);
      if (R.Code != TRetCode::rcSuccess)
        return;
    }
    if ((flags & 2) != 0) {
      ReadPendingData(1, R);
      if (R.Code != TRetCode::rcSuccess)
        return;
    }
    R.Code = TRetCode::rcSuccess;
  } catch (const std::exception& e) {
    Log(msg::Format("%s %s:%s", std::string(msg::sCheckEcrStatus).c_str(),
                    std::string(msg::sError).c_str(), e.what()),
        llError);
  }
}

void TManager::GetEcrStatus(std::int32_t& Flags, TResult& R) {
  Flags = 0;
  R.Code = TRetCode::rcError;
  try {
    std::vector<std::uint8_t> buf;
    const bool ok =
        FLink->SendBuffer(kCmdStatus, buf, 0, 0,
                          static_cast<std::int32_t>(FOptions.StatusTimeOut.count()), 1, EcrID());
    const std::int32_t length = FLink->ArgsRevLen();
    if (ok && length >= 2 && buf.size() >= 2) {
      R.Code = TRetCode::rcSuccess;
      // The word's bits are flags: read as an unsigned big-endian number, so that a set
      // top bit cannot turn it into a negative value with every bit set.
      Flags = (static_cast<std::int32_t>(buf[0]) << 8) | buf[1];
      if ((Flags & 8) != 0) {
        R.Code = TRetCode::rcECRError;
        int pos = 2;
        const int text_length = std::min<int>(length, static_cast<int>(buf.size())) - 2;
        R.Msg = FServices.Codec->BufToData(codec::dtGreecAsc, buf, pos, text_length).ToText();
      }
    } else {
      R.Code = TRetCode::rcECRError;
      R.Msg = OrDefault(FLink->ErrMsg(), msg::sGetEcrStatusError);
    }
  } catch (const std::exception& e) {
    R.Msg = e.what();
  }
}

void TManager::ReadPendingData(std::uint8_t Which, TResult& R) {
  R.Code = TRetCode::rcError;
  R.Msg.clear();
  if (Which > 1) {
    R.Code = TRetCode::rcSuccess;
    return;
  }
  try {
    std::vector<std::uint8_t> stream;
    ReadAllPackets(Which == 0 ? kCmdReadPluReport : kCmdReadReceipt, stream, R);
  } catch (const std::exception& e) {
    R.Msg = msg::Format("%s %s: %s", std::string(msg::sCheckEcrStatus).c_str(),
                        std::string(msg::sError).c_str(), e.what());
  }
}

void TManager::ReadAllPackets(std::uint32_t CommandID, std::vector<std::uint8_t>& Stream,
                              TResult& R) {
  R.Code = TRetCode::rcError;
  R.Msg.clear();
  FLink->ResetPackNum(0);
  const std::int32_t saved = FLink->TimeOut();
  struct Restore {
    link::THecrLink& link;
    std::int32_t time_out;
    ~Restore() { link.SetTimeOut(time_out); }
  } restore{*FLink, saved};
  try {
    FLink->SetTimeOut(static_cast<std::int32_t>(FOptions.ReadAllTimeOut.count()));
    Stream.clear();
    std::int32_t n = 0;
    while (!FTerminated.load()) {
      std::vector<std::uint8_t> buf;
      if (!FLink->SendBuffer(static_cast<std::int32_t>(CommandID), buf, n, 0, EcrID())) {
        R.Code = TRetCode::rcECRError;
        R.Msg = std::string(msg::sReadReceipt) + " " + OrDefault(FLink->ErrMsg(), msg::sError);
        return;
      }
      const std::int32_t length =
          std::min<std::int32_t>(FLink->ArgsRevLen(), static_cast<std::int32_t>(buf.size()));
      if (length <= 0)
        break;
      ++n;
      Stream.insert(Stream.end(), buf.begin(), buf.begin() + length);
      // A device that never sends the empty closing answer is not read forever.
      if (static_cast<std::size_t>(n) >= FOptions.MaxReadPackets ||
          Stream.size() >= FOptions.MaxReadBytes) {
        R.Code = TRetCode::rcECRError;
        R.Msg = Joined(msg::sReadReceipt);
        return;
      }
    }
    R.Code = TRetCode::rcSuccess;
  } catch (const std::exception& e) {
    R.Msg = std::string(msg::sReadReceipt) + " " + e.what();
  }
}

// ---- the lock

bool TManager::WaitIdle() {
  for (int check = 0; check < FOptions.LockChecks; ++check) {
    std::int32_t idle = 0;
    if (FLocker.compare_exchange_strong(idle, 1))
      return true;
    std::this_thread::sleep_for(FOptions.LockCheckInterval);
    if (FMessagePump)
      FMessagePump();
  }
  return false;
}

bool TManager::Lock() {
  try {
    FStoped.store(true);
    if (WaitIdle()) {
      FLockHeld.store(true);
      return true;
    }
    FPrompts.ShowBusyNotice();
    return false;
  } catch (...) {
    return false;
  }
}

void TManager::UnLock() {
  FStoped.store(false);
  // Only the count this side raised is given back: a refused Lock leaves the worker's.
  if (FLockHeld.exchange(false))
    FLocker.fetch_sub(1);
}

// ---- ECR operations

TResult TManager::Connect(bool bManual) {
  TResult R;
  if (bManual && !Lock()) {
    R.Msg = Joined(msg::sConnectingEcr);
  } else {
    ExecuteCommand(packing::TCommandData{TCommandKind::ckConnect, {}}, R);
  }
  if (bManual)
    UnLock();
  return R;
}

TResult TManager::DisConnnect(bool bManual) {
  TResult R;
  if (bManual && !Lock()) {
    R.Msg = Joined(msg::sDisconnectingEcr);
  } else {
    ExecuteCommand(packing::TCommandData{TCommandKind::ckDisConnect, {}}, R);
  }
  if (bManual)
    UnLock();
  return R;
}

TResult TManager::AllVoid() {
  TResult R;
  if (!Lock())
    R.Msg = Joined(msg::sAllVoid);
  else
    ExecuteCommand(packing::TCommandData{TCommandKind::ckAllVoid, {}}, R);
  UnLock();
  return R;
}

TResult TManager::CloseReceipt() {
  TResult R;
  if (!Lock())
    R.Msg = Joined(msg::sCloseReceipt);
  else
    ExecuteCommand(packing::TCommandData{TCommandKind::ckCloseReceipt, {}}, R);
  UnLock();
  return R;
}

TResult TManager::Login(std::int32_t AClerkID, std::int32_t APassWord, bool bManual) {
  TResult R;
  if (bManual && !Lock()) {
    R.Msg = Joined(msg::sLogin);
    UnLock();
    return R;
  }
  try {
    FConfig.SetLastClerkID(AClerkID);
    FConfig.SetLastClerkPassWord(APassWord);
    try {
      FConfig.WriteConfig();
    } catch (const std::exception& e) {
      // The remembered clerk is a convenience for the next start; the login goes on.
      Log(e.what(), llError);
    }
    const std::int32_t password = APassWord != 0 ? APassWord : FConfig.GetPassWord(AClerkID);
    const std::vector<std::string> fields{std::to_string(AClerkID), std::to_string(password)};
    packing::TPackedData packed;
    if (!FPacker->PackClerkData(fields, packed)) {
      R.Msg = Joined(msg::sLogin);
    } else {
      std::vector<std::uint8_t> buf = packed.Data;
      if (!FLink->SendBuffer(kCmdLogin, buf, 0, static_cast<std::int32_t>(buf.size()), EcrID())) {
        R.Code = TRetCode::rcECRError;
        R.Msg = OrDefault(FLink->ErrMsg(), Joined(msg::sLogin));
      } else {
        CheckEcrStatus(R);
      }
    }
  } catch (const std::exception& e) {
    R.Msg = e.what();
  }
  if (bManual)
    UnLock();
  return R;
}

bool TManager::PrintEcrReport(const std::string& code) {
  std::vector<std::uint8_t> buf(code.size(), 0);
  int pos = 0;
  FServices.Codec->DataToBuf(codec::dtGreecAsc, code, buf, pos, static_cast<int>(code.size()));
  return FLink->SendBuffer(kCmdPrint, buf, 0, static_cast<std::int32_t>(code.size()),
                           static_cast<std::int32_t>(FOptions.PrintTimeOut.count()),
                           FOptions.PrintRetryCount, EcrID());
}

bool TManager::PrintReport(packing::TUploadReportMode Mode, bool bManual) {
  const bool z = Mode == packing::TUploadReportMode::umZDailyReport;
  if (!z && Mode != packing::TUploadReportMode::umXDailyReport)
    return false;
  const std::string code = z ? "501" : "101";
  bool result = false;
  if (bManual && !Lock()) {
    UnLock();
    return false;
  }
  try {
    TLinkEndDailyEcr ecr(*FLink);
    bool print = true;
    if (z) {
      link::TEcrProperties properties;
      if (!link::GetEcrProperties(*FLink, properties)) {
        print = false;
      } else if (properties.Status == 0 && !FPrompts.ConfirmPrintNow()) {
        print = false;
        result = true;  // declined: nothing printed, not a failure
      } else {
        int status = 0;
        int count = 0;
        QueryEndDaily(*FLink, static_cast<std::int32_t>(FOptions.EndDailyQueryTimeOut.count()),
                      status, count);
        if (status == 1 && count <= FOptions.EndDailyMaxAttempts &&
            !FPrompts.ShowEndDailyConfirm(ecr))
          print = false;
      }
    }
    if (print) {
      if (PrintEcrReport(code))
        result = z ? FPrompts.ShowEndDailyConfirm(ecr) : true;
    }
  } catch (...) {
    result = false;
  }
  if (bManual)
    UnLock();
  return result;
}

}  // namespace meridox::jobs

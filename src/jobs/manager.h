// The job manager: the worker thread that watches the command folder, runs each command
// file's lines against the ECR and writes one answer per file, and the ECR operations the
// main window's buttons call. It owns the packer and the link; every exchange with the ECR
// goes through this one object, the worker and a manual operation taking turns through
// the busy count (Lock/UnLock).
#pragma once

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "jobs/notice_sink.h"
#include "jobs/prompts.h"
#include "jobs/result.h"
#include "jobs/text_encoding.h"
#include "packing/command_data.h"
#include "packing/packed_data.h"
#include "platform/clock.h"

namespace meridox {
class TLogger;
class TIniConfig;
namespace codec {
class TccEncode;
}
namespace packing {
class TPacker;
}
namespace link {
class THecrLink;
struct TConnParams;
}  // namespace link
}  // namespace meridox

namespace meridox::jobs {

class TExecutionJournal;

// The ECR id every request of the job processing carries.
inline constexpr std::string_view kJobsEcrID = "907158";

struct TManagerOptions {
  // Time between passes when idle; the wait ends at once on Terminate.
  std::chrono::milliseconds Period{3000};
  // Pause after every answered file before the next one of the same pass.
  std::chrono::milliseconds FilePause{500};
  // How long a notice may hold up the worker.
  std::chrono::milliseconds NoticeTimeOut{1000};
  // Lock's wait for the worker: checks and their distance (about 5 s).
  int LockChecks = 501;
  std::chrono::milliseconds LockCheckInterval{10};
  // Time-outs of the status query (one attempt) and of multi-packet reads.
  std::chrono::milliseconds StatusTimeOut{50};
  std::chrono::milliseconds ReadAllTimeOut{15000};
  // A device that never sends the empty closing answer must not be read forever.
  std::size_t MaxReadPackets = 100000;
  std::size_t MaxReadBytes = 64u * 1024u * 1024u;
  // Time-out before a Z report's end-of-day query, and its admitted attempt count.
  std::chrono::milliseconds EndDailyQueryTimeOut{500};
  int EndDailyMaxAttempts = 10;
  // The print request: time-out per attempt and attempts.
  std::chrono::milliseconds PrintTimeOut{300000};
  int PrintRetryCount = 3;
  // The journal of executed command files (UTF-8 path); empty: "Jobs.journal" in AppPath().
  std::string JournalFile;
  // Deletes a handled command file; false when it stays. Empty: the file system's own
  // (tests stand in for a file the point-of-sale software still holds open).
  std::function<bool(const std::string&)> RemoveFile;
};

struct TManagerServices {
  const codec::TccEncode* Codec = nullptr;  // required; shared, not owned
  TLogger* Logger = nullptr;                // may be null: nothing is logged
  TIniConfig* Config = nullptr;             // null: GetConfig()
  TNoticeSink* Notices = nullptr;           // may be null: notices are dropped
  TPrompts* Prompts = nullptr;              // null: the headless policy
  platform::Clock* Clock = nullptr;         // null: the system clock
};

class TManager {
 public:
  // The thread is created but not started (Start). The link gets its connection
  // parameters from the configuration (GetConnParams).
  explicit TManager(const TManagerServices& services, TManagerOptions options = {});
  // Terminates and joins a running worker first.
  ~TManager();
  TManager(const TManager&) = delete;
  TManager& operator=(const TManager&) = delete;

  // ---- thread
  void Start();
  // Cuts the worker's wait short; a pass in progress is finished first (a multi-packet
  // read stops early).
  void Terminate();
  // Blocks until the worker has ended (returns at once when it never started).
  void WaitFor();
  bool Terminated() const { return FTerminated.load(); }

  // ---- properties (set before Start; they do not change while the worker runs)
  std::string LineDelimiter() const { return FLineDelimiter; }
  void SetLineDelimiter(std::string value) { FLineDelimiter = std::move(value); }
  std::string ReceiptsDir() const { return FReceiptsDir; }
  void SetReceiptsDir(std::string value) { FReceiptsDir = std::move(value); }
  std::string AnswerDir() const { return FAnswerDir; }
  // Adds a trailing path delimiter and creates the folder with its parents.
  void SetAnswerDir(const std::string& value);
  packing::TDecimalType DecimalType() const;
  void SetDecimalType(packing::TDecimalType value);
  TTextEncoding InEncoding() const { return FInEncoding; }
  void SetInEncoding(TTextEncoding value) { FInEncoding = value; }
  TTextEncoding OutEncoding() const { return FOutEncoding; }
  void SetOutEncoding(TTextEncoding value) { FOutEncoding = value; }
  bool Stoped() const { return FStoped.load(); }
  void SetStoped(bool value) { FStoped.store(value); }
  // The busy count: 1 while a pass runs or a manual operation holds the lock.
  int Locker() const { return FLocker.load(); }
  // The dated folder of the current worker run (empty before the worker started).
  std::string CurrentAnswerFolder() const;

  // Handles the calling thread's pending window messages while Lock waits (Windows).
  void SetMessagePump(std::function<void()> pump) { FMessagePump = std::move(pump); }

  // ---- ECR operations. bManual: take the lock first and give it back at the end;
  // false: the caller already has the ECR to itself.
  bool Lock();
  void UnLock();
  TResult Connect(bool bManual);
  TResult DisConnnect(bool bManual);
  TResult AllVoid();
  TResult CloseReceipt();
  TResult Login(std::int32_t AClerkID, std::int32_t APassWord, bool bManual);
  bool PrintReport(packing::TUploadReportMode Mode, bool bManual);

  // ---- the steps of a pass, for the headless program's single runs and for tests.
  // One pass over the watched folder, answers into AnswerFolder.
  void ScanFiles(const std::string& AnswerFolder);
  // Runs the lines of one command file (journaled); result is not reset on entry.
  void HandleFile(const std::string& FileName, TResult& result);
  void ExecuteCommand(const packing::TCommandData& CommandData, TResult& R);
  void CheckEcrStatus(TResult& R);
  void GetEcrStatus(std::int32_t& Flags, TResult& R);
  void ReadPendingData(std::uint8_t Which, TResult& R);
  void ReadAllPackets(std::uint32_t CommandID, std::vector<std::uint8_t>& Stream, TResult& R);
  void GetConnParams(link::TConnParams& Params) const;

  // Shows the notice through the sink, bounded by the notice time-out.
  void Notify(TNoticeKind Kind, const std::string& Text);

  link::THecrLink& Link() { return *FLink; }
  packing::TPacker& Packer() { return *FPacker; }
  TExecutionJournal& Journal();

 private:
  void Execute();
  bool WaitIdle();
  bool PrintEcrReport(const std::string& code);
  // Answers a file the journal knows from an earlier pass or run without sending it
  // again. False when the journal has no entry for this very file.
  bool ResolveJournaled(const std::string& path, const std::string& answer_path);
  void Answer(const std::string& path, const std::string& answer_path, const TResult& result);
  void Log(const std::string& text, int level);
  bool RemoveCommandFile(const std::string& path);

  TManagerServices FServices;
  TManagerOptions FOptions;
  platform::Clock& FClock;
  TIniConfig& FConfig;
  std::unique_ptr<THeadlessPrompts> FOwnPrompts;
  TPrompts& FPrompts;

  std::atomic<std::int32_t> FLocker{0};
  std::atomic<bool> FStoped{false};
  std::atomic<bool> FTerminated{false};
  // Whether this side (a manual operation) holds the busy count it raised in Lock.
  std::atomic<bool> FLockHeld{false};

  std::mutex FEventMutex;
  std::condition_variable FEvent;
  bool FTerminateSignalled = false;  // the auto-reset terminate event, under FEventMutex

  std::string FReceiptsDir;
  TTextEncoding FInEncoding{TTextEncodingKind::teDefault};
  std::string FLineDelimiter = "/";
  std::string FAnswerDir;
  TTextEncoding FOutEncoding{TTextEncodingKind::teDefault};
  std::unique_ptr<packing::TPacker> FPacker;
  std::unique_ptr<link::THecrLink> FLink;
  std::unique_ptr<TExecutionJournal> FJournal;
  std::function<void()> FMessagePump;

  mutable std::mutex FFolderMutex;
  std::string FAnswerFolder;
  std::thread FThread;
};

}  // namespace meridox::jobs

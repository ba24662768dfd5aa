// A record of which command files have reached the ECR, kept across passes and restarts,
// so that no command file's lines are ever sent twice: a file whose answer could not be
// written, that could not be deleted, or whose processing a crash interrupted is answered
// from the journal instead of being run again.
//
// Append-only text, one record per line with its own checksum; a record torn by a crash
// fails its checksum and is ignored. The file is rewritten in one step (temporary and
// replace) at start and from time to time to drop finished entries.
#pragma once

#include <cstdint>
#include <fstream>
#include <map>
#include <optional>
#include <string>
#include <string_view>

#include "jobs/result.h"

namespace meridox::jobs {

// What makes a command file the same file: its path, size, modification time and bytes.
struct TFileIdentity {
  std::string Path;
  std::uint64_t Size = 0;
  std::int64_t ModifiedTime = 0;
  std::uint64_t Hash = 0;

  bool operator==(const TFileIdentity&) const = default;
};

// The identity of the file at path whose content is bytes (as read for execution).
TFileIdentity IdentityOf(const std::string& path, std::string_view bytes);

enum class TJournalState : std::uint8_t {
  jsRunning,   // lines are being sent; LastLine is the last the ECR accepted
  jsFinished,  // all lines ran (or the first failure stopped them); Result is the answer's
  jsAnswered,  // the answer is written; only the deletion is missing
};

struct TJournalEntry {
  TFileIdentity Identity;
  TJournalState State = TJournalState::jsRunning;
  int LastLine = 0;  // 1-based line number in the file; 0 when none was accepted
  TResult Result;
};

class TExecutionJournal {
 public:
  // Loads the journal file (UTF-8 path), which need not exist yet. Throws
  // std::runtime_error when it exists but cannot be rewritten.
  explicit TExecutionJournal(std::string file_name);
  ~TExecutionJournal();
  TExecutionJournal(const TExecutionJournal&) = delete;
  TExecutionJournal& operator=(const TExecutionJournal&) = delete;

  const std::string& FileName() const { return file_name_; }

  // The entry for this file, when the journal has one for exactly this identity.
  std::optional<TJournalEntry> Find(const TFileIdentity& identity) const;
  // Whether any entry is kept under this path (whatever the file's identity now).
  bool Contains(const std::string& path) const { return entries_.count(path) != 0; }
  std::size_t Count() const { return entries_.size(); }

  // Each of these is on disk when it returns, or throws std::runtime_error.
  void Begin(const TFileIdentity& identity);
  void LineAccepted(const std::string& path, int line);
  void Finish(const std::string& path, const TResult& result);
  void Answered(const std::string& path);
  void Remove(const std::string& path);

 private:
  void Append(const std::string& record);
  void Rewrite();
  void Apply(std::string_view record);

  std::string file_name_;
  std::map<std::string, TJournalEntry> entries_;
  std::ofstream out_;
  int appended_since_rewrite_ = 0;
};

}  // namespace meridox::jobs

// The program's settings in Config.ini beside the executable: section "System" (read once
// at start, written back when the operator applies settings and at every clerk login)
// and section "Clerk" (passwords, never written by the program).
#pragma once

#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>

namespace meridox {

// The program's home folder, UTF-8 with a trailing path delimiter: the executable's
// folder unless SetAppPath moved it (the programs' --home DIR option, tests).
std::string AppPath();
// Call before the first GetConfig: the single instance binds to the folder it sees then.
// A blank folder returns to the executable's folder.
void SetAppPath(std::string_view folder);

class TIniConfig {
 public:
  // Binds to AppPath() + "Config.ini"; reads nothing: all values start at 0, false or empty.
  TIniConfig();
  // Binds to the given file (UTF-8 path).
  explicit TIniConfig(std::string file_name);
  TIniConfig(const TIniConfig&) = delete;
  TIniConfig& operator=(const TIniConfig&) = delete;

  // Reads the twelve keys of "System", each with its default when missing or malformed.
  // A missing or unreadable file reads as all defaults.
  void ReadConfig();
  // Writes the twelve keys to "System" in their fixed order, keeping everything else in
  // the file (comments, other keys and sections, encoding, line endings). The whole file
  // is written beside the original and then replaces it, so a failure midway leaves the
  // old file intact; a failure throws std::runtime_error with the system's text.
  void WriteConfig();
  // The password under key "ClerkID<n>" of section "Clerk", 0 when absent or malformed.
  std::int32_t GetPassWord(std::int32_t clerk_id) const;

  const std::string& FileName() const { return file_name_; }

  // The settings; setting one does not touch the file.
  std::int32_t ConnKind() const;
  void SetConnKind(std::int32_t value);
  std::string Host() const;
  void SetHost(std::string value);
  std::int32_t Port() const;
  void SetPort(std::int32_t value);
  std::string InEncodingName() const;
  void SetInEncodingName(std::string value);
  std::string OutEncodingName() const;
  void SetOutEncodingName(std::string value);
  std::string SourceDataPath() const;
  void SetSourceDataPath(std::string value);
  std::string AnswerPath() const;
  void SetAnswerPath(std::string value);
  bool ClearFiles() const;
  void SetClearFiles(bool value);
  bool BootWithWindow() const;
  void SetBootWithWindow(bool value);
  std::int32_t LastClerkID() const;
  void SetLastClerkID(std::int32_t value);
  std::int32_t LastClerkPassWord() const;
  void SetLastClerkPassWord(std::int32_t value);
  std::int32_t DecimalType() const;
  void SetDecimalType(std::int32_t value);

 private:
  // The worker's login writes while the main thread may read: one lock for values and file.
  mutable std::mutex mutex_;
  std::string file_name_;
  std::int32_t FConnKind = 0;
  std::string FHost;
  std::int32_t FPort = 0;
  std::string FSourceDataPath;
  bool FClearFiles = false;
  std::string FInEncodingName;
  std::string FOutEncodingName;
  bool FBootWithWindow = false;
  std::string FAnswerPath;
  std::int32_t FLastClerkID = 0;
  std::int32_t FLastClerkPassWord = 0;
  std::int32_t FDecimalType = 0;
};

// The single instance, created on first use (bound to AppPath() + "Config.ini").
TIniConfig& GetConfig();
// Frees the single instance; the next GetConfig creates a new one (shutdown, tests).
void FreeConfig();

}  // namespace meridox

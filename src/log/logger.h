// The diagnostic log: one file per calendar day ("yyyymmdd.log") in the log folder, one
// stamped line per message. One instance serves the whole program; components receive it
// as a non-owning TLogger* where null means "do not log" (see LogTo below).
#pragma once

#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <tuple>

#include "log/messages.h"
#include "platform/clock.h"

namespace meridox {

enum TLogLevel : std::uint8_t { llDebug, llInfor, llNotice, llWarning, llError };

// "Debug", "Infor", "Notice", "Warning", "Error".
std::string_view LogLevelTag(TLogLevel level);

// Optional display of every message (a list in a window, a console): it receives the text
// "yyyy/mm/dd hh:nn:ss.zzz message" and the level. Called under the logger's lock, so it
// must not log itself.
using TLogShower = std::function<void(std::string_view text, TLogLevel level)>;

// Arguments for the formatting overload of WriteLog: LogArgs(42, name.c_str()).
template <typename... Args>
std::tuple<Args...> LogArgs(Args... args) {
  return std::tuple<Args...>(args...);
}

class TLogger {
 public:
  // log_dir is UTF-8; blank means the folder "log" beside the executable. The folder is
  // created with its parents; when that is impossible this throws std::runtime_error
  // with "Log Path is Error, " followed by the system's text for the error.
  explicit TLogger(std::string_view log_dir = {}, TLogShower shower = {},
                   platform::Clock& clock = platform::SystemClock());
  ~TLogger();
  TLogger(const TLogger&) = delete;
  TLogger& operator=(const TLogger&) = delete;

  // Appends "[hh:nn:ss.zzz <Tag>] message" CR LF to today's file, creating the file when
  // it is missing. The message is UTF-8 and written unchanged (on Windows converted to
  // the ANSI code page). Never throws: a log that cannot be written must not break the
  // operation being logged; the result says whether the line reached the file and
  // LastError() why not.
  bool WriteLog(std::string_view log, TLogLevel level);

  // printf-style: WriteLog(msg::sErrorID, LogArgs(code), llError). Pass C strings and
  // plain numbers.
  template <typename... Args>
  bool WriteLog(std::string_view format, const std::tuple<Args...>& args, TLogLevel level) {
    std::string text = std::apply(
        [&format](const Args&... values) { return msg::Format(format, values...); }, args);
    return WriteLog(text, level);
  }

  // The folder the files go to, UTF-8, ending in a path delimiter.
  std::string LogDir() const;
  // The name of the day file used by the last write ("20161213.log"), empty before.
  std::string LogName() const;
  // Why the last failed write failed (the system's text), empty after a success.
  std::string LastError() const;

 private:
  mutable std::mutex mutex_;
  TLogShower shower_;
  platform::Clock& clock_;
  std::string log_dir_;
  std::filesystem::path log_dir_path_;
  std::string log_name_;
  std::string last_error_;
};

// Logs through an optional logger: components hold a TLogger* that may be null.
inline bool LogTo(TLogger* logger, std::string_view log, TLogLevel level) {
  return logger != nullptr && logger->WriteLog(log, level);
}

template <typename... Args>
bool LogTo(TLogger* logger, std::string_view format, const std::tuple<Args...>& args,
           TLogLevel level) {
  return logger != nullptr && logger->WriteLog(format, args, level);
}

}  // namespace meridox

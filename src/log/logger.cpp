#include "log/logger.h"

#include <array>
#include <stdexcept>
#include <system_error>

#include "platform/ansi_text.h"
#include "platform/app_folder.h"
#include "platform/append_file.h"
#include "platform/os_error.h"
#include "platform/utf8_path.h"

namespace meridox {

namespace {

constexpr std::array<std::string_view, 5> kTags = {"Debug", "Infor", "Notice", "Warning", "Error"};

std::string_view Trimmed(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

// "hh:nn:ss.zzz"
std::string TimeText(const platform::LocalTime& t) {
  return msg::Format("%02d:%02d:%02d.%03d", t.hour, t.minute, t.second, t.millisecond);
}

}  // namespace

std::string_view LogLevelTag(TLogLevel level) {
  const auto index = static_cast<size_t>(level);
  return index < kTags.size() ? kTags[index] : kTags[llError];
}

TLogger::TLogger(std::string_view log_dir, TLogShower shower, platform::Clock& clock)
    : shower_(std::move(shower)), clock_(clock) {
  const std::string_view given = Trimmed(log_dir);
  log_dir_ = platform::WithTrailingDelimiter(given.empty() ? platform::ExecutableFolder() + "log"
                                                           : std::string(given));
  log_dir_path_ = platform::PathFromUtf8(log_dir_);
  std::error_code error;
  std::filesystem::create_directories(log_dir_path_, error);
  if (error || !std::filesystem::is_directory(log_dir_path_)) {
    if (!error)
      error = std::make_error_code(std::errc::not_a_directory);
    throw std::runtime_error("Log Path is Error, " + platform::OsErrorText(error));
  }
}

TLogger::~TLogger() = default;

bool TLogger::WriteLog(std::string_view log, TLogLevel level) {
  // The message ends at a zero byte (texts from the ECR may be padded with them); the
  // line break is still written so that the next line starts on a line of its own.
  log = log.substr(0, log.find('\0'));
  const std::lock_guard<std::mutex> lock(mutex_);
  // One reading of the clock for the name and the stamp, so that a line written at
  // midnight carries the time of the file it is in.
  const platform::LocalTime now = clock_.LocalNow();
  if (shower_) {
    std::string text = msg::Format("%04d/%02d/%02d ", now.year, now.month, now.day);
    text.append(TimeText(now)).append(" ").append(log);
    try {
      shower_(text, level);
    } catch (...) {
      // A display that fails must not keep the line from the file.
    }
  }
  log_name_ = msg::Format("%04d%02d%02d", now.year, now.month, now.day) + ".log";

  std::string line;
  line.reserve(log.size() + 40);
  line.append("[").append(TimeText(now)).append(" <").append(LogLevelTag(level)).append(">] ");
  line.append(log).append("\r\n");
  const std::string bytes = platform::AnsiFromUtf8(line);

  // Opened and closed at every write: a deleted file comes back, the day changes files,
  // and other programs may rotate or remove the file between writes.
  const std::error_code error =
      platform::AppendToFile(log_dir_path_ / platform::PathFromUtf8(log_name_), bytes);
  if (error) {
    last_error_ = platform::OsErrorText(error);
    return false;
  }
  last_error_.clear();
  return true;
}

std::string TLogger::LogDir() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return log_dir_;
}

std::string TLogger::LogName() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return log_name_;
}

std::string TLogger::LastError() const {
  const std::lock_guard<std::mutex> lock(mutex_);
  return last_error_;
}

}  // namespace meridox

#include "jobs/command_file.h"

#include <cctype>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>

#include "log/messages.h"
#include "platform/app_folder.h"
#include "platform/os_error.h"
#include "platform/utf8_path.h"

namespace meridox::jobs {

namespace fs = std::filesystem;

std::vector<std::string> SplitLines(std::string_view text) {
  std::vector<std::string> lines;
  std::size_t pos = 0;
  while (pos < text.size()) {
    std::size_t end = pos;
    while (end < text.size() && text[end] != '\r' && text[end] != '\n')
      ++end;
    lines.emplace_back(text.substr(pos, end - pos));
    pos = end;
    if (pos < text.size() && text[pos] == '\r')
      ++pos;
    if (pos < text.size() && text[pos] == '\n')
      ++pos;
  }
  return lines;
}

bool IsBlankLine(std::string_view line) {
  for (const char c : line)
    if (static_cast<unsigned char>(c) > ' ')
      return false;
  return true;
}

std::string ReadFileBytes(const std::string& file_name) {
  std::ifstream in(platform::PathFromUtf8(file_name), std::ios::binary);
  if (!in) {
    const std::string reason = platform::OsErrorText(platform::LastOsError());
    throw std::runtime_error("Cannot open file \"" + file_name + "\". " + reason);
  }
  std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad())
    throw std::runtime_error("Cannot read file \"" + file_name + "\".");
  return bytes;
}

std::vector<std::string> DecodeLines(std::string_view bytes, const TTextEncoding& encoding) {
  return SplitLines(encoding.Decode(bytes));
}

std::vector<std::string> LoadFile(const std::string& file_name, const TTextEncoding& encoding) {
  return DecodeLines(ReadFileBytes(file_name), encoding);
}

void SaveFile(const std::string& file_name, std::string_view text, const TTextEncoding& encoding) {
  std::string utf8;
  for (const std::string& line : SplitLines(text)) {
    utf8 += line;
    utf8 += "\r\n";
  }
  const std::string bytes = encoding.Encode(utf8);
  const fs::path path = platform::PathFromUtf8(file_name);
  // The answer folder may have been removed while the program ran; the answer must not
  // be lost for that.
  if (path.has_parent_path()) {
    std::error_code ignored;
    fs::create_directories(path.parent_path(), ignored);
  }
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out) {
    const std::string reason = platform::OsErrorText(platform::LastOsError());
    throw std::runtime_error("Cannot create file \"" + file_name + "\". " + reason);
  }
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.flush();
  if (!out)
    throw std::runtime_error("Cannot write file \"" + file_name + "\".");
}

std::string AnswerFileName(std::string_view command_file, const platform::LocalTime& at) {
  std::size_t start = command_file.size();
  while (start > 0 && !platform::IsPathDelimiter(command_file[start - 1]))
    --start;
  std::string_view name = command_file.substr(start);
  const std::size_t dot = name.rfind('.');
  if (dot != std::string_view::npos)
    name = name.substr(0, dot);
  char stamp[16];
  std::snprintf(stamp, sizeof stamp, "_%02d%02d%02d.Ans", at.hour % 100, at.minute % 100,
                at.second % 100);
  return std::string(name) + stamp;
}

std::string AnswerFolderOf(std::string_view answer_dir, const platform::LocalTime& day) {
  char date[16];
  std::snprintf(date, sizeof date, "%02d%02d%02d", day.year % 100, day.month % 100, day.day % 100);
  return std::string(answer_dir) + date + platform::kPathDelimiter;
}

std::string SuccessAnswer() {
  return std::string(msg::sOK);
}

std::string FailureAnswer(const std::vector<std::string>& file_lines, std::string_view message) {
  std::string text = "File Text:\r\n";
  for (const std::string& line : file_lines) {
    text += line;
    text += "\r\n";
  }
  text += "\r\n\r\nError:";
  text += message;
  return text;
}

bool MatchesMask(std::string_view name, std::string_view mask) {
  // Iterative wildcard match with one back-track point for the last '*'.
  std::size_t n = 0, m = 0, star = std::string_view::npos, mark = 0;
  const auto same = [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  };
  while (n < name.size()) {
    if (m < mask.size() && (mask[m] == '?' || (mask[m] != '*' && same(mask[m], name[n])))) {
      ++n;
      ++m;
    } else if (m < mask.size() && mask[m] == '*') {
      star = m++;
      mark = n;
    } else if (star != std::string_view::npos) {
      m = star + 1;
      n = ++mark;
    } else {
      return false;
    }
  }
  while (m < mask.size() && mask[m] == '*')
    ++m;
  return m == mask.size();
}

void ListFiles(std::string_view folder, std::string_view mask, std::vector<std::string>& list) {
  list.clear();
  const std::string prefix = platform::WithTrailingDelimiter(folder);
  std::error_code error;
  fs::directory_iterator it(platform::PathFromUtf8(folder), error);
  if (error)
    return;
  for (; it != fs::directory_iterator(); it.increment(error)) {
    if (error)
      break;
    const std::string name = platform::Utf8FromPath(it->path().filename());
    if (MatchesMask(name, mask))
      list.push_back(prefix + name);
  }
}

}  // namespace meridox::jobs

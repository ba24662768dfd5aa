#include "config/ini_file.h"

#include <fstream>
#include <iterator>

#include "platform/atomic_file.h"

namespace meridox::config {

namespace {

std::string_view Trim(std::string_view text) {
  const auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!text.empty() && blank(text.front()))
    text.remove_prefix(1);
  while (!text.empty() && blank(text.back()))
    text.remove_suffix(1);
  return text;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size())
    return false;
  const auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c; };
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i]))
      return false;
  }
  return true;
}

// The section name when the line is a header.
std::optional<std::string_view> SectionOf(std::string_view line) {
  const std::string_view text = Trim(line);
  if (!text.starts_with('['))
    return std::nullopt;
  const size_t close = text.find(']');
  if (close == std::string_view::npos)
    return std::nullopt;
  return Trim(text.substr(1, close - 1));
}

// The key when the line is "key=value" (comments are never keys).
std::optional<std::string_view> KeyOf(std::string_view line) {
  const std::string_view text = Trim(line);
  if (text.empty() || text.front() == ';' || text.front() == '[')
    return std::nullopt;
  const size_t equals = text.find('=');
  if (equals == std::string_view::npos)
    return std::nullopt;
  return Trim(text.substr(0, equals));
}

// Built by appending: GCC 12 at -O3 warns falsely on chains of operator+.
std::string KeyLine(std::string_view key, std::string_view value) {
  std::string line;
  line.reserve(key.size() + value.size() + 1);
  line.append(key).append("=").append(value);
  return line;
}

std::string HeaderLine(std::string_view section) {
  std::string line;
  line.reserve(section.size() + 2);
  line.append("[").append(section).append("]");
  return line;
}

}  // namespace

IniFile IniFile::Parse(std::string_view bytes) {
  IniFile file;
  file.encoding_ = DetectEncoding(bytes);
  const std::string text = DecodeText(bytes, file.encoding_);
  if (text.empty())
    return file;

  const size_t newline = text.find('\n');
  char separator = '\n';
  if (newline != std::string::npos) {
    file.line_ending_ = (newline > 0 && text[newline - 1] == '\r') ? "\r\n" : "\n";
  } else if (text.find('\r') != std::string::npos) {
    file.line_ending_ = "\r";
    separator = '\r';
  }
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find(separator, start);
    const bool last = end == std::string::npos;
    if (last)
      end = text.size();
    std::string line = text.substr(start, end - start);
    if (separator == '\n' && !line.empty() && line.back() == '\r')
      line.pop_back();
    if (last) {
      file.final_newline_ = false;
      if (!line.empty())
        file.lines_.push_back(std::move(line));
      else
        file.final_newline_ = true;
      break;
    }
    file.lines_.push_back(std::move(line));
    start = end + 1;
  }
  return file;
}

IniFile IniFile::Load(const std::filesystem::path& path, std::error_code& error) {
  error.clear();
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    std::error_code status_error;
    if (!std::filesystem::exists(path, status_error) && !status_error)
      return IniFile();
    error = status_error ? status_error : std::make_error_code(std::errc::permission_denied);
    return IniFile();
  }
  const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad()) {
    error = std::make_error_code(std::errc::io_error);
    return IniFile();
  }
  return Parse(bytes);
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
  bool inside = false;
  bool seen = false;
  for (const std::string& line : lines_) {
    if (const auto name = SectionOf(line)) {
      if (seen && inside)
        break;  // only the first section of that name counts
      inside = EqualNoCase(*name, section);
      seen = seen || inside;
      continue;
    }
    if (!inside)
      continue;
    const auto found = KeyOf(line);
    if (!found || !EqualNoCase(*found, key))
      continue;
    std::string_view value = Trim(std::string_view(line).substr(line.find('=') + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return std::string(value);
  }
  return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
  // A line break inside a value would start new keys or sections on reading.
  std::string clean;
  for (const char c : value) {
    if (c != '\r' && c != '\n')
      clean += c;
  }

  size_t header = lines_.size();
  for (size_t i = 0; i < lines_.size(); ++i) {
    const auto name = SectionOf(lines_[i]);
    if (name && EqualNoCase(*name, section)) {
      header = i;
      break;
    }
  }
  if (header == lines_.size()) {
    if (!lines_.empty() && !Trim(lines_.back()).empty())
      lines_.emplace_back();
    lines_.push_back(HeaderLine(section));
    lines_.push_back(KeyLine(key, clean));
    final_newline_ = true;
    return;
  }
  size_t last_content = header;
  size_t i = header + 1;
  for (; i < lines_.size() && !SectionOf(lines_[i]); ++i) {
    const auto found = KeyOf(lines_[i]);
    if (found && EqualNoCase(*found, key)) {
      lines_[i] = KeyLine(*found, clean);
      return;
    }
    if (!Trim(lines_[i]).empty())
      last_content = i;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(last_content + 1),
                KeyLine(key, clean));
  if (last_content + 2 == lines_.size())
    final_newline_ = true;
}

std::string IniFile::Serialize() const {
  std::string text;
  for (size_t i = 0; i < lines_.size(); ++i) {
    text += lines_[i];
    if (i + 1 < lines_.size() || final_newline_)
      text += line_ending_;
  }
  bool lossy = false;
  std::string bytes = EncodeText(text, encoding_, &lossy);
  // Text the ANSI code page cannot hold goes to UTF-16 with a mark rather than being
  // lost; the Windows profile functions read that too.
  if (lossy)
    bytes = EncodeText(text, TextEncoding::kUtf16LeBom);
  return bytes;
}

std::error_code IniFile::Save(const std::filesystem::path& path) const {
  return platform::WriteFileAtomically(path, Serialize());
}

}  // namespace meridox::config

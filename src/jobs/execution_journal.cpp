#include "jobs/execution_journal.h"

#include <array>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "jobs/command_file.h"
#include "platform/atomic_file.h"
#include "platform/os_error.h"
#include "platform/utf8_path.h"

namespace meridox::jobs {

namespace fs = std::filesystem;

namespace {

// Finished entries are dropped from the file after this many appended records.
constexpr int kRewriteAfterRecords = 256;

std::uint32_t Crc32(std::string_view bytes) {
  static const std::array<std::uint32_t, 256> table = [] {
    std::array<std::uint32_t, 256> t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
      std::uint32_t c = i;
      for (int k = 0; k < 8; ++k)
        c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[i] = c;
    }
    return t;
  }();
  std::uint32_t crc = 0xFFFFFFFFu;
  for (const char ch : bytes)
    crc = table[(crc ^ static_cast<unsigned char>(ch)) & 0xFFu] ^ (crc >> 8);
  return crc ^ 0xFFFFFFFFu;
}

std::uint64_t Fnv1a64(std::string_view bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (const char ch : bytes) {
    hash ^= static_cast<unsigned char>(ch);
    hash *= 1099511628211ull;
  }
  return hash;
}

// Fields are separated by tabs; the few characters that would break a record are escaped.
std::string Escape(std::string_view text) {
  std::string out;
  for (const char c : text) {
    if (c == '%' || c == '\t' || c == '\r' || c == '\n') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", static_cast<unsigned char>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Unescape(std::string_view text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      unsigned value = 0;
      const auto [p, ec] = std::from_chars(text.data() + i + 1, text.data() + i + 3, value, 16);
      if (ec == std::errc() && p == text.data() + i + 3) {
        out += static_cast<char>(value);
        i += 2;
        continue;
      }
    }
    out += text[i];
  }
  return out;
}

std::vector<std::string_view> SplitTabs(std::string_view text) {
  std::vector<std::string_view> parts;
  std::size_t start = 0;
  while (true) {
    const std::size_t tab = text.find('\t', start);
    if (tab == std::string_view::npos) {
      parts.push_back(text.substr(start));
      return parts;
    }
    parts.push_back(text.substr(start, tab - start));
    start = tab + 1;
  }
}

template <typename T>
bool ParseNumber(std::string_view text, T& value) {
  const auto [p, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && p == text.data() + text.size();
}

std::string Sealed(std::string body) {
  char crc[16];
  std::snprintf(crc, sizeof crc, "\t%08X\n", static_cast<unsigned>(Crc32(body)));
  return body + crc;
}

std::string BeginRecord(const TFileIdentity& id) {
  return "B\t" + Escape(id.Path) + "\t" + std::to_string(id.Size) + "\t" +
         std::to_string(id.ModifiedTime) + "\t" + std::to_string(id.Hash);
}

std::string StateRecords(const TJournalEntry& e) {
  std::string out = Sealed(BeginRecord(e.Identity));
  if (e.LastLine != 0)
    out += Sealed("L\t" + Escape(e.Identity.Path) + "\t" + std::to_string(e.LastLine));
  if (e.State != TJournalState::jsRunning)
    out += Sealed("F\t" + Escape(e.Identity.Path) + "\t" +
                  std::to_string(static_cast<int>(e.Result.Code)) + "\t" + Escape(e.Result.Msg));
  if (e.State == TJournalState::jsAnswered)
    out += Sealed("A\t" + Escape(e.Identity.Path));
  return out;
}

}  // namespace

TFileIdentity IdentityOf(const std::string& path, std::string_view bytes) {
  TFileIdentity id;
  id.Path = path;
  id.Size = bytes.size();
  std::error_code error;
  const auto stamp = fs::last_write_time(platform::PathFromUtf8(path), error);
  id.ModifiedTime = error ? 0 : static_cast<std::int64_t>(stamp.time_since_epoch().count());
  id.Hash = Fnv1a64(bytes);
  return id;
}

TExecutionJournal::TExecutionJournal(std::string file_name) : file_name_(std::move(file_name)) {
  std::error_code error;
  if (fs::exists(platform::PathFromUtf8(file_name_), error)) {
    std::string bytes;
    try {
      bytes = ReadFileBytes(file_name_);
    } catch (const std::exception&) {
      bytes.clear();
    }
    std::size_t start = 0;
    while (start < bytes.size()) {
      std::size_t end = bytes.find('\n', start);
      if (end == std::string::npos)
        break;  // a record without its line end was torn by a crash
      Apply(std::string_view(bytes).substr(start, end - start));
      start = end + 1;
    }
  }
  Rewrite();
}

TExecutionJournal::~TExecutionJournal() = default;

void TExecutionJournal::Apply(std::string_view record) {
  const std::size_t tab = record.rfind('\t');
  if (tab == std::string_view::npos)
    return;
  const std::string_view body = record.substr(0, tab);
  std::uint32_t crc = 0;
  const std::string_view crc_text = record.substr(tab + 1);
  const auto [p, ec] = std::from_chars(crc_text.data(), crc_text.data() + crc_text.size(), crc, 16);
  if (ec != std::errc() || p != crc_text.data() + crc_text.size() || crc != Crc32(body))
    return;
  const std::vector<std::string_view> f = SplitTabs(body);
  if (f.size() < 2)
    return;
  const std::string path = Unescape(f[1]);
  if (f[0] == "B" && f.size() == 5) {
    TJournalEntry entry;
    entry.Identity.Path = path;
    if (!ParseNumber(f[2], entry.Identity.Size) ||
        !ParseNumber(f[3], entry.Identity.ModifiedTime) || !ParseNumber(f[4], entry.Identity.Hash))
      return;
    entries_[path] = entry;
    return;
  }
  const auto it = entries_.find(path);
  if (it == entries_.end())
    return;
  if (f[0] == "L" && f.size() == 3) {
    int line = 0;
    if (ParseNumber(f[2], line))
      it->second.LastLine = line;
  } else if (f[0] == "F" && f.size() == 4) {
    int code = 0;
    if (!ParseNumber(f[2], code) || code < 0 || code > 2)
      return;
    it->second.State = TJournalState::jsFinished;
    it->second.Result.Code = static_cast<TRetCode>(code);
    it->second.Result.Msg = Unescape(f[3]);
  } else if (f[0] == "A" && f.size() == 2) {
    it->second.State = TJournalState::jsAnswered;
  } else if (f[0] == "R" && f.size() == 2) {
    entries_.erase(it);
  }
}

std::optional<TJournalEntry> TExecutionJournal::Find(const TFileIdentity& identity) const {
  const auto it = entries_.find(identity.Path);
  if (it == entries_.end() || !(it->second.Identity == identity))
    return std::nullopt;
  return it->second;
}

void TExecutionJournal::Rewrite() {
  if (out_.is_open())
    out_.close();
  std::string bytes;
  for (const auto& [path, entry] : entries_)
    bytes += StateRecords(entry);
  const fs::path target = platform::PathFromUtf8(file_name_);
  if (target.has_parent_path()) {
    std::error_code ignored;
    fs::create_directories(target.parent_path(), ignored);
  }
  if (const std::error_code error = platform::WriteFileAtomically(target, bytes))
    throw std::runtime_error("Cannot write file \"" + file_name_ + "\". " +
                             platform::OsErrorText(error));
  appended_since_rewrite_ = 0;
}

void TExecutionJournal::Append(const std::string& record) {
  if (!out_.is_open()) {
    out_.open(platform::PathFromUtf8(file_name_), std::ios::binary | std::ios::app);
    if (!out_) {
      out_.close();
      throw std::runtime_error("Cannot open file \"" + file_name_ + "\". " +
                               platform::OsErrorText(platform::LastOsError()));
    }
  }
  const std::string line = Sealed(record);
  out_.write(line.data(), static_cast<std::streamsize>(line.size()));
  out_.flush();
  if (!out_) {
    out_.close();
    throw std::runtime_error("Cannot write file \"" + file_name_ + "\".");
  }
  ++appended_since_rewrite_;
}

void TExecutionJournal::Begin(const TFileIdentity& identity) {
  TJournalEntry entry;
  entry.Identity = identity;
  Append(BeginRecord(identity));
  entries_[identity.Path] = entry;
}

void TExecutionJournal::LineAccepted(const std::string& path, int line) {
  const auto it = entries_.find(path);
  if (it == entries_.end())
    return;
  Append("L\t" + Escape(path) + "\t" + std::to_string(line));
  it->second.LastLine = line;
}

void TExecutionJournal::Finish(const std::string& path, const TResult& result) {
  const auto it = entries_.find(path);
  if (it == entries_.end())
    return;
  Append("F\t" + Escape(path) + "\t" + std::to_string(static_cast<int>(result.Code)) + "\t" +
         Escape(result.Msg));
  it->second.State = TJournalState::jsFinished;
  it->second.Result = result;
}

void TExecutionJournal::Answered(const std::string& path) {
  const auto it = entries_.find(path);
  if (it == entries_.end())
    return;
  Append("A\t" + Escape(path));
  it->second.State = TJournalState::jsAnswered;
}

void TExecutionJournal::Remove(const std::string& path) {
  const auto it = entries_.find(path);
  if (it == entries_.end())
    return;
  Append("R\t" + Escape(path));
  entries_.erase(it);
  if (appended_since_rewrite_ >= kRewriteAfterRecords) {
    // Only shortens the file; the appended records stay valid when this fails.
    try {
      Rewrite();
    } catch (const std::exception&) {
    }
  }
}

}  // namespace meridox::jobs

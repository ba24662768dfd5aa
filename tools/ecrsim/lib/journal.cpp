#include "journal.h"

#include <condition_variable>
#include <cstdio>

#include "platform/clock.h"
#include "platform/utf8_path.h"

namespace meridox::ecrsim {

namespace {

void AppendJsonString(std::string& out, std::string_view text) {
  out.push_back('"');
  for (char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (c == '"' || c == '\\') {
      out.push_back('\\');
      out.push_back(c);
    } else if (byte < 0x20) {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
      out.append(escaped);
    } else {
      out.push_back(c);
    }
  }
  out.push_back('"');
}

std::string Hex(const std::vector<std::uint8_t>& bytes) {
  static constexpr char kDigits[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size() * 2);
  for (std::uint8_t b : bytes) {
    out.push_back(kDigits[b >> 4]);
    out.push_back(kDigits[b & 0x0F]);
  }
  return out;
}

}  // namespace

std::string_view DirectionName(Direction direction) {
  switch (direction) {
    case Direction::kReceived:
      return "in";
    case Direction::kSent:
      return "out";
    case Direction::kEvent:
      break;
  }
  return "event";
}

std::string JournalLine(const JournalEntry& entry) {
  const platform::LocalTime t = platform::ToLocalTime(entry.time);
  char stamp[40];
  std::snprintf(stamp, sizeof stamp, "%04d-%02d-%02dT%02d:%02d:%02d.%03d", t.year, t.month, t.day,
                t.hour, t.minute, t.second, t.millisecond);
  std::string out = "{\"time\":\"";
  out += stamp;
  out += "\",\"dir\":\"";
  out += DirectionName(entry.direction);
  out += '"';
  if (entry.direction != Direction::kEvent) {
    char code[8];
    std::snprintf(code, sizeof code, "%04X", entry.command_code);
    out += ",\"id\":" + std::to_string(entry.command_id);
    out += ",\"code\":\"0x";
    out += code;
    out += "\",\"packet\":" + std::to_string(entry.packet_number);
    out += ",\"ecr\":" + std::to_string(entry.ecr_id);
    out += ",\"payload\":\"" + Hex(entry.payload) + "\"";
    if (!entry.intact) {
      out += ",\"frame\":\"" + Hex(entry.frame) + "\",\"intact\":false";
    }
  } else if (!entry.frame.empty()) {
    out += ",\"bytes\":\"" + Hex(entry.frame) + "\"";
  }
  out += ",\"meaning\":";
  AppendJsonString(out, entry.meaning);
  out += '}';
  return out;
}

bool Journal::OpenFile(const std::string& utf8_path) {
  std::lock_guard lock(mutex_);
  file_.close();
  file_.clear();
  file_.open(platform::PathFromUtf8(utf8_path), std::ios::binary | std::ios::app);
  return file_.is_open();
}

void Journal::SetLineSink(std::function<void(const std::string&)> sink) {
  std::lock_guard lock(mutex_);
  sink_ = std::move(sink);
}

void Journal::Add(JournalEntry entry) {
  {
    std::lock_guard lock(mutex_);
    if (file_.is_open() || sink_) {
      const std::string line = JournalLine(entry);
      if (file_.is_open()) {
        file_ << line << '\n';
        file_.flush();
      }
      if (sink_) {
        sink_(line);
      }
    }
    entries_.push_back(std::move(entry));
    if (limit_ > 0 && entries_.size() > limit_) {
      entries_.pop_front();
    }
  }
  changed_.notify_all();
}

std::vector<JournalEntry> Journal::Entries() const {
  std::lock_guard lock(mutex_);
  return {entries_.begin(), entries_.end()};
}

void Journal::SetMemoryLimit(std::size_t entries) {
  std::lock_guard lock(mutex_);
  limit_ = entries;
  while (limit_ > 0 && entries_.size() > limit_) {
    entries_.pop_front();
  }
}

std::size_t Journal::Size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

void Journal::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

bool Journal::WaitFor(const std::function<bool(const JournalEntry&)>& predicate,
                      std::chrono::milliseconds timeout) const {
  std::unique_lock lock(mutex_);
  return changed_.wait_for(lock, timeout, [&] {
    for (const JournalEntry& entry : entries_) {
      if (predicate(entry)) {
        return true;
      }
    }
    return false;
  });
}

}  // namespace meridox::ecrsim

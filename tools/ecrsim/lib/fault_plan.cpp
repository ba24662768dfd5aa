#include "fault_plan.h"

#include <charconv>
#include <map>

namespace meridox::ecrsim {

namespace {

struct KindName {
  std::string_view name;
  FaultKind kind;
};

constexpr KindName kKindNames[] = {
    {"noanswer", FaultKind::kNoAnswer},
    {"delay", FaultKind::kDelay},
    {"split", FaultKind::kSplit},
    {"garbage", FaultKind::kGarbageBefore},
    {"wrongpack", FaultKind::kWrongPacketFirst},
    {"badsum", FaultKind::kBadHeaderSum},
    {"badcrc", FaultKind::kBadCrc},
    {"unsolicited", FaultKind::kUnsolicited},
    {"close", FaultKind::kCloseConnection},
    {"refuse", FaultKind::kRefuse},
};

bool ParseInt(std::string_view text, long long& out) {
  if (text.empty()) {
    return false;
  }
  const char* end = text.data() + text.size();
  auto [ptr, ec] = std::from_chars(text.data(), end, out);
  return ec == std::errc() && ptr == end;
}

bool ParseHex(std::string_view text, std::vector<std::uint8_t>& out) {
  out.clear();
  std::string digits;
  for (char c : text) {
    if (c == ' ' || c == ':' || c == '-') {
      continue;
    }
    digits.push_back(c);
  }
  if (digits.size() % 2 != 0) {
    return false;
  }
  for (std::size_t i = 0; i < digits.size(); i += 2) {
    unsigned value = 0;
    auto [ptr, ec] = std::from_chars(digits.data() + i, digits.data() + i + 2, value, 16);
    if (ec != std::errc() || ptr != digits.data() + i + 2) {
      return false;
    }
    out.push_back(static_cast<std::uint8_t>(value));
  }
  return true;
}

// Splits a line into words; a word may hold a double-quoted part with blanks.
bool SplitWords(std::string_view line, std::vector<std::string>& words, std::string& error) {
  words.clear();
  std::size_t i = 0;
  while (i < line.size()) {
    while (i < line.size() && (line[i] == ' ' || line[i] == '\t')) {
      ++i;
    }
    if (i >= line.size() || line[i] == '#') {
      break;
    }
    std::string word;
    while (i < line.size() && line[i] != ' ' && line[i] != '\t') {
      if (line[i] == '"') {
        const std::size_t close = line.find('"', i + 1);
        if (close == std::string_view::npos) {
          error = "unterminated quote";
          return false;
        }
        word.append(line.substr(i + 1, close - i - 1));
        i = close + 1;
      } else {
        word.push_back(line[i]);
        ++i;
      }
    }
    words.push_back(std::move(word));
  }
  return true;
}

bool ParseLine(const std::vector<std::string>& words, ScriptedSetup& setup, std::string& error) {
  const std::string& kind = words.front();
  std::map<std::string, std::string> keys;
  for (std::size_t i = 1; i < words.size(); ++i) {
    const std::size_t eq = words[i].find('=');
    if (eq == std::string::npos || eq == 0) {
      error = "expected key=value, got \"" + words[i] + "\"";
      return false;
    }
    keys[words[i].substr(0, eq)] = words[i].substr(eq + 1);
  }
  auto take_int = [&](const char* key, long long low, long long high, long long& out) {
    auto it = keys.find(key);
    if (it == keys.end()) {
      return true;
    }
    long long value = 0;
    if (std::string_view(key) == "times" && it->second == "forever") {
      value = kForever;
    } else if (std::string_view(key) == "cmd" && it->second == "any") {
      value = 0;
    } else if (!ParseInt(it->second, value) || value < low || value > high) {
      error = std::string("bad value for ") + key + ": \"" + it->second + "\"";
      return false;
    }
    out = value;
    keys.erase(it);
    return true;
  };
  auto take_hex = [&](const char* key, std::vector<std::uint8_t>& out) {
    auto it = keys.find(key);
    if (it == keys.end()) {
      return true;
    }
    if (!ParseHex(it->second, out)) {
      error = std::string("bad hex for ") + key + ": \"" + it->second + "\"";
      return false;
    }
    keys.erase(it);
    return true;
  };
  auto take_text = [&](const char* key, std::string& out) {
    auto it = keys.find(key);
    if (it != keys.end()) {
      out = it->second;
      keys.erase(it);
    }
  };
  auto leftovers = [&]() {
    if (keys.empty()) {
      return true;
    }
    error = "unknown key \"" + keys.begin()->first + "\" for " + kind;
    return false;
  };

  if (kind == "status") {
    StatusOverride status;
    long long word = 0;
    long long times = 1;
    if (!take_int("word", 0, 0xFFFF, word) || !take_int("times", -1, 1000000, times)) {
      return false;
    }
    take_text("text", status.error_text);
    status.word = static_cast<std::uint16_t>(word);
    status.times = static_cast<int>(times);
    setup.statuses.push_back(status);
    return leftovers();
  }
  if (kind == "pending") {
    ScriptedSetup::Pending pending;
    std::string which = "plu";
    take_text("which", which);
    if (which == "plu") {
      pending.kind = PendingKind::kPluReport;
    } else if (which == "receipt") {
      pending.kind = PendingKind::kReceiptContent;
    } else {
      error = "which must be plu or receipt";
      return false;
    }
    long long packets = 1;
    if (!take_int("packets", 0, 1000, packets)) {
      return false;
    }
    pending.packets = static_cast<int>(packets);
    setup.pending.push_back(pending);
    return leftovers();
  }

  FaultRule rule;
  bool found = false;
  if (kind == "slowreport") {
    rule.kind = FaultKind::kDelay;
    rule.command_id = 30009;
    rule.times = kForever;
    found = true;
  }
  for (const KindName& entry : kKindNames) {
    if (kind == entry.name) {
      rule.kind = entry.kind;
      found = true;
    }
  }
  if (!found) {
    error = "unknown rule \"" + kind + "\"";
    return false;
  }
  long long cmd = rule.command_id;
  long long nth = rule.nth;
  long long times = rule.times;
  long long ms = rule.delay_ms;
  long long chunk = static_cast<long long>(rule.chunk_size);
  long long pack = rule.packet_number;
  if (!take_int("cmd", 0, 0x7FFFFFFF, cmd) || !take_int("nth", 1, 1000000, nth) ||
      !take_int("times", -1, 1000000, times) || !take_int("ms", 0, 3600000, ms) ||
      !take_int("chunk", 1, 65535, chunk) || !take_int("pack", 0, 0xFFFFFFFFLL, pack) ||
      !take_hex("bytes", rule.bytes) || !take_hex("payload", rule.payload)) {
    return false;
  }
  if (times == 0) {
    error = "times must not be 0";
    return false;
  }
  take_text("text", rule.text);
  std::string marker = "yes";
  take_text("marker", marker);
  if (marker != "yes" && marker != "no") {
    error = "marker must be yes or no";
    return false;
  }
  rule.marker = marker == "yes";
  rule.command_id = static_cast<std::uint32_t>(cmd);
  rule.nth = static_cast<int>(nth);
  rule.times = static_cast<int>(times);
  rule.delay_ms = static_cast<int>(ms);
  rule.chunk_size = static_cast<std::size_t>(chunk);
  rule.packet_number = static_cast<std::uint32_t>(pack);
  setup.faults.push_back(rule);
  return leftovers();
}

}  // namespace

std::string_view FaultKindName(FaultKind kind) {
  for (const KindName& entry : kKindNames) {
    if (entry.kind == kind) {
      return entry.name;
    }
  }
  return "?";
}

ParseResult ParseFaultRules(std::string_view text) {
  ParseResult result;
  int line_number = 0;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    ++line_number;
    std::vector<std::string> words;
    std::string error;
    if (!SplitWords(line, words, error) ||
        (!words.empty() && !ParseLine(words, result.setup, error))) {
      result.error = "line " + std::to_string(line_number) + ": " + error;
      return result;
    }
    start = end + 1;
  }
  result.ok = true;
  return result;
}

void FaultPlan::Add(FaultRule rule) {
  std::lock_guard lock(mutex_);
  Entry entry;
  entry.skip = rule.nth > 1 ? rule.nth - 1 : 0;
  entry.remaining = rule.times;
  entry.rule = std::move(rule);
  entries_.push_back(std::move(entry));
}

void FaultPlan::Clear() {
  std::lock_guard lock(mutex_);
  entries_.clear();
}

std::size_t FaultPlan::Size() const {
  std::lock_guard lock(mutex_);
  return entries_.size();
}

std::vector<FaultRule> FaultPlan::Match(std::uint32_t command_id) {
  std::lock_guard lock(mutex_);
  std::vector<FaultRule> hits;
  for (Entry& entry : entries_) {
    if (entry.rule.command_id != 0 && entry.rule.command_id != command_id) {
      continue;
    }
    if (entry.skip > 0) {
      --entry.skip;
      continue;
    }
    if (entry.remaining == 0) {
      continue;
    }
    hits.push_back(entry.rule);
    if (entry.remaining > 0) {
      --entry.remaining;
    }
  }
  std::erase_if(entries_, [](const Entry& entry) { return entry.remaining == 0; });
  return hits;
}

}  // namespace meridox::ecrsim

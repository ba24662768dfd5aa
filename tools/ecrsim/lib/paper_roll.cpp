#include "paper_roll.h"

#include <cstdio>

#include "codec/utf8.h"

namespace meridox::ecrsim {

std::size_t TextWidth(std::string_view utf8) {
  std::size_t count = 0;
  std::size_t pos = 0;
  while (pos < utf8.size()) {
    codec::NextCodePoint(utf8, pos);
    ++count;
  }
  return count;
}

std::string CutText(std::string_view utf8, std::size_t width) {
  std::size_t pos = 0;
  std::size_t count = 0;
  while (pos < utf8.size() && count < width) {
    codec::NextCodePoint(utf8, pos);
    ++count;
  }
  return std::string(utf8.substr(0, pos));
}

std::string SpreadLine(std::string_view left, std::string_view right, std::size_t width) {
  const std::size_t right_width = TextWidth(right);
  const std::size_t room = right_width + 1 < width ? width - right_width - 1 : 0;
  std::string line = CutText(left, room);
  const std::size_t used = TextWidth(line);
  line.append(width > used + right_width ? width - used - right_width : 1, ' ');
  line.append(right);
  return line;
}

std::string CenterLine(std::string_view text, std::size_t width) {
  std::string cut = CutText(text, width);
  const std::size_t used = TextWidth(cut);
  return std::string((width - used) / 2, ' ') + cut;
}

std::string FormatAmount(std::int64_t cents) {
  const bool negative = cents < 0;
  const unsigned long long magnitude = negative ? static_cast<unsigned long long>(-(cents + 1)) + 1
                                                : static_cast<unsigned long long>(cents);
  char text[32];
  std::snprintf(text, sizeof text, "%s%llu,%02llu", negative ? "-" : "", magnitude / 100,
                magnitude % 100);
  return text;
}

std::string FormatQuantity(std::int64_t thousandths) {
  const bool negative = thousandths < 0;
  const unsigned long long magnitude = negative
                                           ? static_cast<unsigned long long>(-(thousandths + 1)) + 1
                                           : static_cast<unsigned long long>(thousandths);
  char text[40];
  std::snprintf(text, sizeof text, "%s%llu,%03llu", negative ? "-" : "", magnitude / 1000,
                magnitude % 1000);
  std::string out = text;
  while (out.back() == '0') {
    out.pop_back();
  }
  if (out.back() == ',') {
    out.pop_back();
  }
  return out;
}

void PaperRoll::Print(std::string line) {
  std::lock_guard lock(mutex_);
  if (sink_) {
    sink_(line);
  }
  lines_.push_back(std::move(line));
}

void PaperRoll::PrintAll(const std::vector<std::string>& lines) {
  for (const std::string& line : lines) {
    Print(line);
  }
}

void PaperRoll::SetSink(std::function<void(const std::string&)> sink) {
  std::lock_guard lock(mutex_);
  sink_ = std::move(sink);
}

std::vector<std::string> PaperRoll::Lines() const {
  std::lock_guard lock(mutex_);
  return lines_;
}

std::string PaperRoll::Text() const {
  std::lock_guard lock(mutex_);
  std::string text;
  for (const std::string& line : lines_) {
    text += line;
    text += '\n';
  }
  return text;
}

void PaperRoll::Clear() {
  std::lock_guard lock(mutex_);
  lines_.clear();
}

}  // namespace meridox::ecrsim

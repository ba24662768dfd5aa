// What the simulated register would print: receipts, slips and X/Z reports as lines of
// text of a fixed width, so that a person watching a demo sees the receipt. Kept in memory
// and optionally passed on (console, file) line by line.
#pragma once

#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace meridox::ecrsim {

inline constexpr std::size_t kPaperWidth = 40;

// Number of characters (code points) in UTF-8 text.
std::size_t TextWidth(std::string_view utf8);
// The first `width` characters of UTF-8 text.
std::string CutText(std::string_view utf8, std::size_t width);
// `left` and `right` on one line of `width`, the gap filled with blanks (left cut to fit).
std::string SpreadLine(std::string_view left, std::string_view right,
                       std::size_t width = kPaperWidth);
std::string CenterLine(std::string_view text, std::size_t width = kPaperWidth);
// Cents as "12,34" (the register prints the Greek decimal comma); negative with "-".
std::string FormatAmount(std::int64_t cents);
// Thousandths as "2" or "1,5" (trailing zeros dropped).
std::string FormatQuantity(std::int64_t thousandths);

class PaperRoll {
 public:
  void Print(std::string line);
  void PrintAll(const std::vector<std::string>& lines);
  // Every printed line also goes to the sink.
  void SetSink(std::function<void(const std::string&)> sink);
  std::vector<std::string> Lines() const;
  // All lines, each ending in '\n'.
  std::string Text() const;
  void Clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> lines_;
  std::function<void(const std::string&)> sink_;
};

}  // namespace meridox::ecrsim

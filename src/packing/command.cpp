#include "packing/command.h"

#include <cstddef>
#include <string>
#include <utility>
#include <vector>

namespace meridox::packing {

namespace {

char FoldAscii(char c) {
  return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool SameIgnoringAsciiCase(std::string_view text, std::size_t at, std::string_view pattern) {
  if (text.size() - at < pattern.size()) {
    return false;
  }
  for (std::size_t i = 0; i < pattern.size(); ++i) {
    if (FoldAscii(text[at + i]) != FoldAscii(pattern[i])) {
      return false;
    }
  }
  return true;
}

// The line with a delimiter appended, cut at every delimiter found left to right without
// overlap; a cut closes the part before it, so n delimiters in the line give n + 1 parts.
std::vector<std::string> SplitParts(std::string_view line, std::string_view delimiter) {
  std::vector<std::string> parts;
  std::string text(line);
  text.append(delimiter);
  std::size_t start = 0;
  std::size_t i = 0;
  while (!delimiter.empty() && i < text.size()) {
    if (SameIgnoringAsciiCase(text, i, delimiter)) {
      parts.push_back(text.substr(start, i - start));
      i += delimiter.size();
      start = i;
    } else {
      ++i;
    }
  }
  // Only reached with a tail after the last cut: an empty delimiter, or a delimiter of
  // several characters whose appended copy overlapped an earlier match.
  if (start < text.size()) {
    parts.push_back(text.substr(start));
  }
  return parts;
}

}  // namespace

TCommandData TCommand::FetchCommand(std::string_view lineText, std::string_view LineDelimiter) {
  TCommandData result;
  std::vector<std::string> parts = SplitParts(lineText, LineDelimiter);
  if (parts.empty()) {
    return result;
  }
  result.Kind = FindCommandKind(parts[0]);
  if (result.Kind == TCommandKind::ckUnSupport) {
    return result;
  }
  result.Data.reserve(parts.size() - 1);
  for (std::size_t i = 1; i < parts.size(); ++i) {
    result.Data.push_back(std::move(parts[i]));
  }
  return result;
}

TCommandKind TCommand::FindCommandKind(std::string_view lineCommand) {
  std::string folded(lineCommand);
  for (char& c : folded) {
    c = FoldAscii(c);
  }
  for (std::size_t i = 0; i < CommandKeywords.size(); ++i) {
    if (folded == CommandKeywords[i]) {
      return static_cast<TCommandKind>(i);
    }
  }
  return TCommandKind::ckUnSupport;
}

}  // namespace meridox::packing

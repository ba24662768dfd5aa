#include "app/cli/questioner.h"

#include <algorithm>
#include <cctype>
#include <istream>
#include <ostream>

namespace meridox::cli {

bool ParseAnswer(std::string_view answer, bool fallback) {
  std::string word;
  for (char c : answer)
    if (!std::isspace(static_cast<unsigned char>(c)))
      word += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (word == "y" || word == "yes" || word == "o" || word == "ok")
    return true;
  if (word == "n" || word == "no" || word == "c" || word == "cancel")
    return false;
  return fallback;
}

bool TerminalQuestioner::AskYesNo(std::string_view question, bool fallback) {
  out_ << question << (fallback ? " [Y/n] " : " [y/N] ") << std::flush;
  std::string line;
  if (!std::getline(in_, line)) {
    out_ << '\n';
    return fallback;
  }
  return ParseAnswer(line, fallback);
}

void TerminalQuestioner::Say(std::string_view text) {
  out_ << text << '\n' << std::flush;
}

void ConsoleLines::Line(std::string_view text) {
  std::lock_guard<std::mutex> lock(mutex_);
  out_ << text << '\n' << std::flush;
}

}  // namespace meridox::cli

// Whoever answers the operator's questions for a manual operation: the terminal, a client
// on the control channel, or nobody (then the headless policy decides).
#pragma once

#include <iosfwd>
#include <mutex>
#include <string>
#include <string_view>

namespace meridox::cli {

class Questioner {
 public:
  virtual ~Questioner() = default;
  // A yes/no question; `fallback` when no answer can be had.
  virtual bool AskYesNo(std::string_view question, bool fallback) = 0;
  // Information for the operator while an operation runs.
  virtual void Say(std::string_view text) = 0;
};

// Asks on a terminal: the question on `out`, the answer read as a line from `in`.
class TerminalQuestioner final : public Questioner {
 public:
  TerminalQuestioner(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
  bool AskYesNo(std::string_view question, bool fallback) override;
  void Say(std::string_view text) override;

 private:
  std::istream& in_;
  std::ostream& out_;
};

// "y", "yes", "o", "ok" (any case) are yes; "n", "no", "c", "cancel" are no; anything
// else (an empty line too) takes the fallback.
bool ParseAnswer(std::string_view answer, bool fallback);

// The console output shared by the notice lines and the operator texts, one line at a time.
class ConsoleLines {
 public:
  explicit ConsoleLines(std::ostream& out) : out_(out) {}
  void Line(std::string_view text);

 private:
  std::mutex mutex_;
  std::ostream& out_;
};

}  // namespace meridox::cli

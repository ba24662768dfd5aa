// The headless program's command line: one command word and its options.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace meridox::cli {

enum class Command {
  kRun,
  kCheck,
  kCloseReceipt,
  kVoid,
  kXReport,
  kZReport,
  kDemo,
  kVersion,
  kHelp,
};

struct Options {
  Command command = Command::kHelp;
  std::string home;   // empty: the executable's folder
  bool keep = false;  // demo: keep running after the samples are answered
};

struct ParseResult {
  bool ok = false;
  Options options;
  std::string error;  // why the arguments were refused
};

ParseResult ParseArguments(const std::vector<std::string>& args);

// The command word of a manual operation as it travels on the control channel.
std::string_view CommandWord(Command command);
bool IsManualOperation(Command command);

std::string UsageText();
inline constexpr std::string_view kVersionText = "meridox 1.0.0.5";

}  // namespace meridox::cli

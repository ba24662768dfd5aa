#include "app/cli/options.h"

#include <array>
#include <utility>

namespace meridox::cli {
namespace {

constexpr std::array<std::pair<std::string_view, Command>, 7> kWords = {{
    {"run", Command::kRun},
    {"check", Command::kCheck},
    {"close-receipt", Command::kCloseReceipt},
    {"void", Command::kVoid},
    {"x-report", Command::kXReport},
    {"z-report", Command::kZReport},
    {"demo", Command::kDemo},
}};

}  // namespace

std::string_view CommandWord(Command command) {
  for (const auto& [word, value] : kWords)
    if (value == command)
      return word;
  return {};
}

bool IsManualOperation(Command command) {
  switch (command) {
    case Command::kCheck:
    case Command::kCloseReceipt:
    case Command::kVoid:
    case Command::kXReport:
    case Command::kZReport:
      return true;
    default:
      return false;
  }
}

ParseResult ParseArguments(const std::vector<std::string>& args) {
  ParseResult result;
  if (args.empty()) {
    result.error = "no command given";
    return result;
  }
  const std::string& first = args[0];
  if (first == "--version" || first == "-V") {
    result.options.command = Command::kVersion;
  } else if (first == "--help" || first == "-h" || first == "help") {
    result.options.command = Command::kHelp;
  } else {
    bool known = false;
    for (const auto& [word, value] : kWords) {
      if (first == word) {
        result.options.command = value;
        known = true;
      }
    }
    if (!known) {
      result.error = "unknown command: " + first;
      return result;
    }
  }
  for (size_t i = 1; i < args.size(); ++i) {
    const std::string& arg = args[i];
    const bool takes_options =
        result.options.command != Command::kVersion && result.options.command != Command::kHelp;
    if (takes_options && arg == "--home") {
      if (i + 1 >= args.size() || args[i + 1].empty()) {
        result.error = "--home needs a folder";
        return result;
      }
      result.options.home = args[++i];
    } else if (takes_options && arg.rfind("--home=", 0) == 0 && arg.size() > 7) {
      result.options.home = arg.substr(7);
    } else if (result.options.command == Command::kDemo && arg == "--keep") {
      result.options.keep = true;
    } else {
      result.error = "unknown argument: " + arg;
      return result;
    }
  }
  result.ok = true;
  return result;
}

std::string UsageText() {
  return "usage: meridox <command> [--home DIR]\n"
         "\n"
         "Commands:\n"
         "  run            run the bridge with no window: watch the command folder, send\n"
         "                 each command file to the ECR, write the answers; stops on\n"
         "                 SIGTERM or Ctrl+C after the pass in progress\n"
         "  check          check the connection to the ECR\n"
         "  close-receipt  close the open receipt\n"
         "  void           void the open receipt\n"
         "  x-report       print an X report\n"
         "  z-report       print a Z report (with the end-of-day transfer)\n"
         "  demo [--keep]  run the bridge against the built-in ECR simulator with sample\n"
         "                 command files; --keep leaves it running for your own files\n"
         "  --version      print the version\n"
         "  --help         print this text\n"
         "\n"
         "Options:\n"
         "  --home DIR     the program folder: Config.ini, Log/, Answer/ and the journal\n"
         "                 live there (default: the executable's folder)\n"
         "\n"
         "A manual operation is carried out by the bridge running on the same folder, if\n"
         "there is one, so the ECR is never used by two processes at once. Exit code 0 on\n"
         "success, 1 on failure, 2 for unusable arguments.\n";
}

}  // namespace meridox::cli

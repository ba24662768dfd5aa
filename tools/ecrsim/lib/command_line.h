// The ecrsim program's command line: what to serve on, where the journal and the paper
// roll go, and the rules file of scripted faults.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace meridox::ecrsim {

struct ProgramOptions {
  enum class Transport : std::uint8_t { kNone, kTcp, kPty, kSerial };
  Transport transport = Transport::kNone;
  std::uint16_t tcp_port = 0;
  std::string serial_name;
  int baud = 115200;
  std::string rules_file;
  std::string journal_file;  // "-": standard output
  std::string paper_file = "-";
  bool quiet = false;  // no paper roll on the console
  bool refusal_marker = true;
  std::string fiscal_code;
  bool help = false;
};

struct ParsedCommandLine {
  bool ok = false;
  ProgramOptions options;
  std::string error;
};

ParsedCommandLine ParseCommandLine(const std::vector<std::string>& args);

// The text of --help.
std::string HelpText();

}  // namespace meridox::ecrsim

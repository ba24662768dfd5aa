// ecrsim: the simulated register as a program, for demos, integrators and manual tests.
#include <fstream>
#include <iostream>
#include <sstream>

#include "command_line.h"
#include "platform/console.h"
#include "platform/stop_request.h"
#include "platform/utf8_path.h"
#include "simulator.h"

int main(int argc, char** argv) {
  using namespace meridox;
  using namespace meridox::ecrsim;
  platform::UseUtf8Console();
  // Before any thread starts, so that every thread inherits the blocked stop signals.
  platform::InstallStopHandlers();
  std::vector<std::string> args(argv + 1, argv + argc);
  const ParsedCommandLine parsed = ParseCommandLine(args);
  if (parsed.options.help) {
    std::cout << HelpText();
    return 0;
  }
  if (!parsed.ok) {
    std::cerr << "ecrsim: " << parsed.error << "\n";
    return 2;
  }
  const ProgramOptions& o = parsed.options;

  SimulatorOptions options;
  options.listen_speed = o.baud;
  options.refusal_marker = o.refusal_marker;
  if (!o.fiscal_code.empty()) {
    options.register_settings.fiscal_code = o.fiscal_code;
  }
  Simulator sim(options);
  sim.GetJournal().SetMemoryLimit(10000);

  if (!o.rules_file.empty()) {
    std::ifstream in(platform::PathFromUtf8(o.rules_file), std::ios::binary);
    if (!in) {
      std::cerr << "ecrsim: cannot read " << o.rules_file << "\n";
      return 2;
    }
    std::stringstream text;
    text << in.rdbuf();
    const ParseResult rules = ParseFaultRules(text.str());
    if (!rules.ok) {
      std::cerr << "ecrsim: " << o.rules_file << ": " << rules.error << "\n";
      return 2;
    }
    sim.Apply(rules.setup);
  }

  std::ofstream paper_file;
  if (!o.quiet) {
    if (o.paper_file == "-") {
      sim.Paper().SetSink([](const std::string& line) { std::cout << "| " << line << std::endl; });
    } else {
      paper_file.open(platform::PathFromUtf8(o.paper_file), std::ios::binary | std::ios::app);
      if (!paper_file) {
        std::cerr << "ecrsim: cannot write " << o.paper_file << "\n";
        return 2;
      }
      sim.Paper().SetSink([&paper_file](const std::string& line) {
        paper_file << line << '\n';
        paper_file.flush();
      });
    }
  }
  if (o.journal_file == "-") {
    sim.GetJournal().SetLineSink([](const std::string& line) { std::cout << line << std::endl; });
  } else if (!o.journal_file.empty() && !sim.GetJournal().OpenFile(o.journal_file)) {
    std::cerr << "ecrsim: cannot write " << o.journal_file << "\n";
    return 2;
  }

  bool started = false;
  switch (o.transport) {
    case ProgramOptions::Transport::kTcp:
      if (const std::uint16_t port = sim.StartTcp(o.tcp_port); port != 0) {
        std::cout << "ecrsim: listening on 127.0.0.1:" << port << std::endl;
        started = true;
      }
      break;
    case ProgramOptions::Transport::kPty:
      if (sim.StartPty()) {
        std::cout << "ecrsim: serial line at " << sim.SerialPath() << ", listening at " << o.baud
                  << " baud" << std::endl;
        started = true;
      }
      break;
    case ProgramOptions::Transport::kSerial:
      if (sim.StartSerial(o.serial_name)) {
        std::cout << "ecrsim: serving on " << o.serial_name << " at " << o.baud << " baud"
                  << std::endl;
        started = true;
      }
      break;
    case ProgramOptions::Transport::kNone:
      break;
  }
  if (!started) {
    std::cerr << "ecrsim: " << sim.LastError() << "\n";
    return 1;
  }
  while (!platform::WaitForStop(std::chrono::milliseconds(500))) {
  }
  sim.Stop();
  std::cout << "ecrsim: stopped" << std::endl;
  return 0;
}

// meridox (Linux) / meridox-cli.exe (Windows): the bridge without a window.
#include <iostream>
#include <string>
#include <vector>

#include "app/cli/cli_main.h"
#include "platform/console.h"
#include "platform/stop_request.h"

int main(int argc, char** argv) {
  // Before any thread starts: the stop signals are taken by one watcher thread.
  meridox::platform::InstallStopHandlers();
  meridox::platform::UseUtf8Console();
  std::vector<std::string> args(argv + 1, argv + argc);
  return meridox::cli::RunCli(args, std::cin, std::cout, std::cerr);
}

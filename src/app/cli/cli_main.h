// The headless program's entry, callable in-process by tests.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace meridox::cli {

// `args` without the program name. Returns the exit code.
int RunCli(const std::vector<std::string>& args, std::istream& in, std::ostream& out,
           std::ostream& err);

}  // namespace meridox::cli

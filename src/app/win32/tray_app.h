// The program's entry: the single-instance guard, the main window and its message loop.
#pragma once

#include <string>
#include <vector>

namespace meridox::app::win32 {

// args: the command-line arguments after the program's name (UTF-8). Any argument skips
// the single-instance check (the restart after new settings passes "Restart").
int RunTrayApp(const std::vector<std::string>& args);

}  // namespace meridox::app::win32

#include "platform/console.h"

#include <io.h>
#include <windows.h>

#include <cstdio>

namespace meridox::platform {

bool StdinIsInteractive() {
  return _isatty(_fileno(stdin)) != 0;
}

void UseUtf8Console() {
  SetConsoleOutputCP(CP_UTF8);
}

}  // namespace meridox::platform

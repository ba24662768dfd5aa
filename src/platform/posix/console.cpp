#include "platform/console.h"

#include <unistd.h>

namespace meridox::platform {

bool StdinIsInteractive() {
  return ::isatty(STDIN_FILENO) == 1;
}

void UseUtf8Console() {}

}  // namespace meridox::platform

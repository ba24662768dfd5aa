// Start with the system: the "VEXDriver" value in the Run list. Without administrator
// rights the machine's list is out of reach, so setting falls back to the current user's
// list, and removing a value that is not there needs no write access at all.
#pragma once

#include <string>
#include <string_view>

#include "platform/run_key.h"

namespace meridox::app {

struct TAutoStartResult {
  bool ok = false;
  std::string error;  // the system's text when !ok
};

TAutoStartResult SetAutoStart(platform::RunKeyStore& store, bool enable,
                              std::string_view executablePath);

}  // namespace meridox::app

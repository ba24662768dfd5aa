// `meridox demo`: the bridge against the built-in ECR simulator, in a program folder of
// its own under the system's temporary folder, with sample command files.
#pragma once

#include <iosfwd>

#include "app/cli/bridge.h"

namespace meridox::cli {

struct DemoOptions {
  bool keep = false;  // keep running after the samples, until a stop request
  std::chrono::seconds answer_wait{60};
  BridgeTuning tuning;
};

// Exit code: 0 when every sample file was answered.
int RunDemo(const DemoOptions& options, std::ostream& out, std::ostream& err);

}  // namespace meridox::cli

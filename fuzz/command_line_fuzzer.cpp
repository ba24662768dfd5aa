// libFuzzer entry point for the command-file lines: decoding, splitting, parsing and packing.
#include <cstdio>
#include <cstdlib>

#include "command_line_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (const std::string failure = meridox::fuzz::CommandLineTarget(data, size); !failure.empty()) {
    std::fprintf(stderr, "property violated: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}

// libFuzzer entry point for the settings file reader and writer.
#include <cstdio>
#include <cstdlib>

#include "ini_file_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (const std::string failure = meridox::fuzz::IniFileTarget(data, size); !failure.empty()) {
    std::fprintf(stderr, "property violated: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}

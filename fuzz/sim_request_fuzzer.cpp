// libFuzzer entry point for the simulator's request decoding.
#include <cstdio>
#include <cstdlib>

#include "ecrsim_targets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (const std::string failure = meridox::fuzz::SimRequestTarget(data, size); !failure.empty()) {
    std::fprintf(stderr, "property violated: %s\n", failure.c_str());
    std::abort();
  }
  return 0;
}

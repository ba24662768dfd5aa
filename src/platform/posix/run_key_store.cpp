#include "platform/run_key.h"

namespace meridox::platform {
namespace {

// Start at log-on belongs to the desktop session here, not to the program.
class NoRunKeys final : public RunKeyStore {
 public:
  bool HasValue(RunScope, std::string_view) override { return false; }
  bool SetValue(RunScope, std::string_view, std::string_view, std::string* error) override {
    if (error != nullptr)
      *error = "Start with the system is not supported on this platform";
    return false;
  }
  bool DeleteValue(RunScope, std::string_view, std::string*) override { return true; }
};

}  // namespace

std::unique_ptr<RunKeyStore> SystemRunKeyStore() {
  return std::make_unique<NoRunKeys>();
}

}  // namespace meridox::platform

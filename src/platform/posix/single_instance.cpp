#include "platform/single_instance.h"

namespace meridox::platform {
namespace {

// The headless program guards its folder with a file lock instead.
class NoInstanceMutex final : public InstanceMutex {
 public:
  bool AlreadyExisted() const override { return false; }
};

}  // namespace

std::unique_ptr<InstanceMutex> CreateInstanceMutex(std::string_view) {
  return std::make_unique<NoInstanceMutex>();
}

}  // namespace meridox::platform

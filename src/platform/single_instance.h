// A system-wide name that tells a second start of the tray program that one already runs.
#pragma once

#include <memory>
#include <string_view>

namespace meridox::platform {

class InstanceMutex {
 public:
  virtual ~InstanceMutex() = default;
  // True when another process had created the name before this one opened it.
  virtual bool AlreadyExisted() const = 0;
};

// Creates or opens the named mutex (not owned); released when the object goes. Where the
// system has no such names the object never reports an earlier instance.
std::unique_ptr<InstanceMutex> CreateInstanceMutex(std::string_view name);

}  // namespace meridox::platform

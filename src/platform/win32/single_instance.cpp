#include <windows.h>

#include "platform/single_instance.h"
#include "platform/win32/wide_text.h"

namespace meridox::platform {
namespace {

class Win32InstanceMutex final : public InstanceMutex {
 public:
  explicit Win32InstanceMutex(std::string_view name) {
    const std::wstring wide = win32::Wide(name);
    handle_ = CreateMutexW(nullptr, FALSE, wide.c_str());
    existed_ = handle_ != nullptr && GetLastError() == ERROR_ALREADY_EXISTS;
  }
  ~Win32InstanceMutex() override {
    if (handle_ != nullptr)
      CloseHandle(handle_);
  }
  Win32InstanceMutex(const Win32InstanceMutex&) = delete;
  Win32InstanceMutex& operator=(const Win32InstanceMutex&) = delete;
  bool AlreadyExisted() const override { return existed_; }

 private:
  HANDLE handle_ = nullptr;
  bool existed_ = false;
};

}  // namespace

std::unique_ptr<InstanceMutex> CreateInstanceMutex(std::string_view name) {
  return std::make_unique<Win32InstanceMutex>(name);
}

}  // namespace meridox::platform

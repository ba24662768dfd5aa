#include <windows.h>

#include "platform/run_key.h"
#include "platform/win32/wide_text.h"

namespace meridox::platform {
namespace {

constexpr wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";

HKEY Root(RunScope scope) {
  return scope == RunScope::kMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

class RegistryRunKeys final : public RunKeyStore {
 public:
  bool HasValue(RunScope scope, std::string_view name) override {
    HKEY key = nullptr;
    if (RegOpenKeyExW(Root(scope), kRunKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
      return false;
    const std::wstring wide = win32::Wide(name);
    const LONG status = RegQueryValueExW(key, wide.c_str(), nullptr, nullptr, nullptr, nullptr);
    RegCloseKey(key);
    return status == ERROR_SUCCESS;
  }

  bool SetValue(RunScope scope, std::string_view name, std::string_view data,
                std::string* error) override {
    HKEY key = nullptr;
    LONG status =
        RegCreateKeyExW(Root(scope), kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
    if (status == ERROR_SUCCESS) {
      const std::wstring wide_name = win32::Wide(name);
      const std::wstring wide_data = win32::Wide(data);
      status = RegSetValueExW(key, wide_name.c_str(), 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(wide_data.c_str()),
                              static_cast<DWORD>((wide_data.size() + 1) * sizeof(wchar_t)));
      RegCloseKey(key);
    }
    return Report(status, error);
  }

  bool DeleteValue(RunScope scope, std::string_view name, std::string* error) override {
    HKEY key = nullptr;
    LONG status = RegOpenKeyExW(Root(scope), kRunKey, 0, KEY_SET_VALUE, &key);
    if (status == ERROR_SUCCESS) {
      const std::wstring wide = win32::Wide(name);
      status = RegDeleteValueW(key, wide.c_str());
      RegCloseKey(key);
    }
    if (status == ERROR_FILE_NOT_FOUND)
      return true;
    return Report(status, error);
  }

 private:
  static bool Report(LONG status, std::string* error) {
    if (status == ERROR_SUCCESS)
      return true;
    if (error != nullptr)
      *error = win32::SystemErrorText(static_cast<DWORD>(status));
    return false;
  }
};

}  // namespace

std::unique_ptr<RunKeyStore> SystemRunKeyStore() {
  return std::make_unique<RegistryRunKeys>();
}

}  // namespace meridox::platform

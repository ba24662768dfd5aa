#include <windows.h>

#include <vector>

#include "platform/app_folder.h"
#include "platform/utf8_path.h"

namespace meridox::platform {

std::string ExecutableFolder() {
  std::vector<wchar_t> buffer(MAX_PATH);
  for (;;) {
    const DWORD size =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (size == 0)
      return WithTrailingDelimiter(Utf8FromPath(std::filesystem::current_path()));
    if (size < buffer.size()) {
      const std::filesystem::path exe(std::wstring(buffer.data(), size));
      return WithTrailingDelimiter(Utf8FromPath(exe.parent_path()));
    }
    buffer.resize(buffer.size() * 2);
  }
}

}  // namespace meridox::platform

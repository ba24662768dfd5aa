#include <windows.h>

#include <algorithm>
#include <cctype>

#include "platform/serial_port_names.h"
#include "platform/win32/wide_text.h"

namespace meridox::platform {

std::vector<std::string> ListSerialPortNames() {
  std::vector<std::string> names;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"HARDWARE\\DEVICEMAP\\SERIALCOMM", 0, KEY_QUERY_VALUE,
                    &key) != ERROR_SUCCESS)
    return names;
  for (DWORD index = 0;; ++index) {
    wchar_t value_name[256];
    DWORD name_length = 256;
    wchar_t data[256];
    DWORD data_size = sizeof(data);
    DWORD type = 0;
    const LONG status = RegEnumValueW(key, index, value_name, &name_length, nullptr, &type,
                                      reinterpret_cast<BYTE*>(data), &data_size);
    if (status == ERROR_NO_MORE_ITEMS)
      break;
    if (status != ERROR_SUCCESS || type != REG_SZ)
      continue;
    // The data need not be terminated; never read past what the system returned.
    size_t length = data_size / sizeof(wchar_t);
    while (length > 0 && data[length - 1] == L'\0')
      --length;
    if (length > 0)
      names.push_back(win32::Narrow(std::wstring_view(data, length)));
  }
  RegCloseKey(key);
  std::sort(names.begin(), names.end(), [](const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
      return std::tolower(static_cast<unsigned char>(x)) <
             std::tolower(static_cast<unsigned char>(y));
    });
  });
  return names;
}

}  // namespace meridox::platform

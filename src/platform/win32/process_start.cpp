#include <windows.h>

#include "platform/process_start.h"
#include "platform/win32/wide_text.h"

namespace meridox::platform {
namespace {

// Quotes one argument the way the C runtime splits a command line back.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
  if (!line.empty())
    line += L' ';
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) {
    line += arg;
    return;
  }
  line += L'"';
  size_t backslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"')
      line.append(backslashes * 2 + 1, L'\\');
    else
      line.append(backslashes, L'\\');
    backslashes = 0;
    line += c;
  }
  line.append(backslashes * 2, L'\\');
  line += L'"';
}

}  // namespace

std::filesystem::path CurrentExecutablePath() {
  std::wstring buffer(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length =
        GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
    if (length == 0)
      return {};
    if (length < buffer.size()) {
      buffer.resize(length);
      return std::filesystem::path(buffer);
    }
    buffer.resize(buffer.size() * 2);
  }
}

bool StartProcess(const std::filesystem::path& exe, const std::vector<std::string>& args,
                  std::string* error) {
  std::wstring line;
  AppendQuoted(line, exe.wstring());
  for (const std::string& arg : args)
    AppendQuoted(line, win32::Wide(arg));
  STARTUPINFOW startup{};
  startup.cb = sizeof(startup);
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = SW_SHOWNORMAL;
  PROCESS_INFORMATION process{};
  const std::wstring application = exe.wstring();
  if (!CreateProcessW(application.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      nullptr, &startup, &process)) {
    if (error != nullptr)
      *error = win32::SystemErrorText(GetLastError());
    return false;
  }
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  return true;
}

}  // namespace meridox::platform

// Windows side of ChildProcess (this folder is test support, compiled for both systems).
#ifdef _WIN32
#include <windows.h>

#include "child_process.h"

namespace meridox::testing {
namespace {

std::wstring Wide(const std::string& text) {
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

// Quotes one argument the way the C runtime splits a command line.
std::wstring Quote(const std::wstring& arg) {
  if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos)
    return arg;
  std::wstring out = L"\"";
  size_t slashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++slashes;
    } else if (c == L'"') {
      out.append(slashes * 2 + 1, L'\\');
      slashes = 0;
    } else {
      slashes = 0;
    }
    out += c;
  }
  out.append(slashes * 2, L'\\');
  return out + L"\"";
}

class Win32Child final : public ChildProcess {
 public:
  explicit Win32Child(HANDLE process) : process_(process) {}
  ~Win32Child() override {
    if (WaitForSingleObject(process_, 0) != WAIT_OBJECT_0)
      TerminateProcess(process_, 137);
    WaitForSingleObject(process_, 5000);
    CloseHandle(process_);
  }
  bool Wait(std::chrono::milliseconds timeout, int& exit_code) override {
    if (WaitForSingleObject(process_, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
      return false;
    DWORD code = 0;
    GetExitCodeProcess(process_, &code);
    exit_code = static_cast<int>(code);
    return true;
  }
  void RequestStop() override { TerminateProcess(process_, 143); }
  void Kill() override { TerminateProcess(process_, 137); }

 private:
  HANDLE process_;
};

}  // namespace

std::unique_ptr<ChildProcess> ChildProcess::Start(const std::filesystem::path& program,
                                                  const std::vector<std::string>& args,
                                                  const std::filesystem::path& output,
                                                  std::string* error) {
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE out = CreateFileW(output.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                           &inherit, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (out == INVALID_HANDLE_VALUE) {
    if (error)
      *error = "cannot create " + output.string();
    return nullptr;
  }
  std::wstring line = Quote(program.wstring());
  for (const std::string& a : args)
    line += L" " + Quote(Wide(a));
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nullptr;
  startup.hStdOutput = out;
  startup.hStdError = out;
  PROCESS_INFORMATION info{};
  const BOOL ok = CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                 CREATE_NO_WINDOW, nullptr, nullptr, &startup, &info);
  CloseHandle(out);
  if (!ok) {
    if (error)
      *error = "CreateProcess failed: " + std::to_string(GetLastError());
    return nullptr;
  }
  CloseHandle(info.hThread);
  return std::make_unique<Win32Child>(info.hProcess);
}

}  // namespace meridox::testing
#endif

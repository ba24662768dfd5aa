#include "platform/local_channel.h"

#include <windows.h>

#include <algorithm>
#include <cwctype>

#include "platform/os_error.h"

namespace meridox::platform {
namespace {

// The pipe name is derived from the folder so that each program folder has its own.
std::wstring PipeName(const std::filesystem::path& folder) {
  std::error_code ignored;
  std::wstring text = std::filesystem::weakly_canonical(folder, ignored).wstring();
  if (text.empty())
    text = folder.wstring();
  std::transform(text.begin(), text.end(), text.begin(),
                 [](wchar_t c) { return static_cast<wchar_t>(std::towlower(c)); });
  while (!text.empty() && (text.back() == L'\\' || text.back() == L'/'))
    text.pop_back();
  unsigned long long hash = 1469598103934665603ull;  // FNV-1a
  for (wchar_t c : text) {
    hash ^= static_cast<unsigned long long>(c);
    hash *= 1099511628211ull;
  }
  wchar_t name[64];
  swprintf(name, 64, L"\\\\.\\pipe\\meridox-%016llx", hash);
  return name;
}

class Event {
 public:
  Event() : handle_(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
  ~Event() {
    if (handle_)
      CloseHandle(handle_);
  }
  HANDLE get() const { return handle_; }

 private:
  HANDLE handle_;
};

// Waits for an overlapped operation; cancels it on time-out so the buffer is not written
// after we return.
bool FinishOverlapped(HANDLE pipe, OVERLAPPED& overlapped, DWORD& transferred, DWORD timeout_ms) {
  if (WaitForSingleObject(overlapped.hEvent, timeout_ms) != WAIT_OBJECT_0) {
    CancelIoEx(pipe, &overlapped);
    GetOverlappedResult(pipe, &overlapped, &transferred, TRUE);
    return false;
  }
  return GetOverlappedResult(pipe, &overlapped, &transferred, FALSE) != 0;
}

class PipeStream final : public LocalStream {
 public:
  PipeStream(HANDLE pipe, bool server) : pipe_(pipe), server_(server) {}
  ~PipeStream() override {
    if (server_) {
      FlushFileBuffers(pipe_);
      DisconnectNamedPipe(pipe_);
    }
    CloseHandle(pipe_);
  }

  size_t ReadSome(char* buffer, size_t capacity, std::chrono::milliseconds timeout) override {
    Event event;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    DWORD got = 0;
    if (!ReadFile(pipe_, buffer, static_cast<DWORD>(capacity), &got, &overlapped)) {
      if (GetLastError() != ERROR_IO_PENDING)
        return 0;
      if (!FinishOverlapped(pipe_, overlapped, got, static_cast<DWORD>(timeout.count())))
        return 0;
    }
    return got;
  }

  bool WriteAll(std::string_view data) override {
    Event event;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    DWORD written = 0;
    if (!WriteFile(pipe_, data.data(), static_cast<DWORD>(data.size()), &written, &overlapped)) {
      if (GetLastError() != ERROR_IO_PENDING)
        return false;
      if (!FinishOverlapped(pipe_, overlapped, written, 5000))
        return false;
    }
    return written == data.size();
  }

 private:
  HANDLE pipe_;
  bool server_;
};

class PipeServer final : public LocalServer {
 public:
  explicit PipeServer(std::wstring name) : name_(std::move(name)) {}

  std::unique_ptr<LocalStream> Accept(std::chrono::milliseconds timeout) override {
    if (pipe_ == INVALID_HANDLE_VALUE)
      pipe_ = Create();
    if (pipe_ == INVALID_HANDLE_VALUE)
      return nullptr;
    Event event;
    OVERLAPPED overlapped{};
    overlapped.hEvent = event.get();
    bool connected = false;
    if (ConnectNamedPipe(pipe_, &overlapped)) {
      connected = true;
    } else if (GetLastError() == ERROR_PIPE_CONNECTED) {
      connected = true;
    } else if (GetLastError() == ERROR_IO_PENDING) {
      DWORD ignored = 0;
      connected = FinishOverlapped(pipe_, overlapped, ignored, static_cast<DWORD>(timeout.count()));
    }
    if (!connected)
      return nullptr;
    HANDLE pipe = pipe_;
    pipe_ = INVALID_HANDLE_VALUE;  // the next Accept waits on a fresh instance
    return std::make_unique<PipeStream>(pipe, true);
  }

  ~PipeServer() override {
    if (pipe_ != INVALID_HANDLE_VALUE)
      CloseHandle(pipe_);
  }

  bool Ready() {
    pipe_ = Create();
    return pipe_ != INVALID_HANDLE_VALUE;
  }

 private:
  HANDLE Create() const {
    return CreateNamedPipeW(
        name_.c_str(), PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED,
        PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
        PIPE_UNLIMITED_INSTANCES, 4096, 4096, 0, nullptr);
  }

  std::wstring name_;
  HANDLE pipe_ = INVALID_HANDLE_VALUE;
};

}  // namespace

std::unique_ptr<LocalServer> ListenLocal(const std::filesystem::path& folder, std::string* error) {
  auto server = std::make_unique<PipeServer>(PipeName(folder));
  if (!server->Ready()) {
    if (error)
      *error = LastOsErrorText();
    return nullptr;
  }
  return server;
}

std::unique_ptr<LocalStream> ConnectLocal(const std::filesystem::path& folder, std::string* error) {
  const std::wstring name = PipeName(folder);
  for (int attempt = 0; attempt < 2; ++attempt) {
    const HANDLE pipe = CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_OVERLAPPED, nullptr);
    if (pipe != INVALID_HANDLE_VALUE)
      return std::make_unique<PipeStream>(pipe, false);
    if (GetLastError() != ERROR_PIPE_BUSY || !WaitNamedPipeW(name.c_str(), 2000))
      break;
  }
  if (error)
    *error = LastOsErrorText();
  return nullptr;
}

}  // namespace meridox::platform

// Serial lines on Windows: a named COM port (one end of a virtual null-modem pair). The
// peer's rate cannot be read here; the port is opened at the listening rate.
#include <windows.h>

#include "transport.h"

namespace meridox::ecrsim {

namespace {

class ComChannel : public Channel {
 public:
  ComChannel(HANDLE handle, int speed) : handle_(handle), speed_(speed) {}

  ReadResult Read(std::chrono::milliseconds timeout) override {
    ReadResult result;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = 5;
    timeouts.ReadTotalTimeoutConstant = static_cast<DWORD>(timeout.count());
    SetCommTimeouts(handle_, &timeouts);
    std::uint8_t buffer[4096];
    DWORD n = 0;
    if (!ReadFile(handle_, buffer, sizeof buffer, &n, nullptr)) {
      Sleep(static_cast<DWORD>(timeout.count()));
      return result;
    }
    result.bytes.assign(buffer, buffer + n);
    result.line_speed = n > 0 ? speed_ : 0;
    return result;
  }

  bool Write(const std::vector<std::uint8_t>& bytes) override {
    DWORD written = 0;
    return WriteFile(handle_, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
           written == bytes.size();
  }

  bool CanClose() const override { return false; }

 private:
  HANDLE handle_;  // owned by the listener
  int speed_;
};

class ComListener : public Listener {
 public:
  ComListener(HANDLE handle, int speed, std::string name)
      : handle_(handle), speed_(speed), name_(std::move(name)) {}
  ~ComListener() override { CloseHandle(handle_); }

  std::unique_ptr<Channel> Accept(std::chrono::milliseconds timeout) override {
    if (handed_out_) {
      Sleep(static_cast<DWORD>(timeout.count()));
      return nullptr;
    }
    handed_out_ = true;
    return std::make_unique<ComChannel>(handle_, speed_);
  }

  std::string Address() const override { return name_; }

 private:
  HANDLE handle_;
  int speed_;
  std::string name_;
  bool handed_out_ = false;
};

}  // namespace

std::unique_ptr<Listener> OpenPty(int, std::string& error) {
  error = "pseudo-terminals are not available on Windows; use --com NAME";
  return nullptr;
}

std::unique_ptr<Listener> OpenSerialPort(const std::string& name, int speed, std::string& error) {
  const std::wstring path = L"\\\\.\\" + std::wstring(name.begin(), name.end());
  HANDLE handle = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              0, nullptr);
  if (handle == INVALID_HANDLE_VALUE) {
    error = name + ": cannot open (error " + std::to_string(GetLastError()) + ")";
    return nullptr;
  }
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  GetCommState(handle, &dcb);
  dcb.BaudRate = static_cast<DWORD>(speed);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fNull = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  if (!SetCommState(handle, &dcb)) {
    error = name + ": cannot set the line (error " + std::to_string(GetLastError()) + ")";
    CloseHandle(handle);
    return nullptr;
  }
  return std::make_unique<ComListener>(handle, speed, name);
}

}  // namespace meridox::ecrsim

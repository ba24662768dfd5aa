// Windows serial line on a synchronous handle. Waiting uses the driver's own read
// time-out ("return at the first byte, or after N ms"), so no thread spins; a byte read
// while waiting is kept until the next Read.
#include "platform/serial_port.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/os_error.h"
#include "platform/transport_error.h"

namespace meridox::platform {

namespace {

std::wstring Widen(const std::string& text) {
  if (text.empty())
    return {};
  const int size =
      MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring out(static_cast<size_t>(size > 0 ? size : 0), L'\0');
  if (size > 0)
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size);
  return out;
}

// Names longer than four characters (COM10 and up) only open through the device
// namespace.
std::wstring DevicePath(const std::string& name) {
  std::wstring path = Widen(name);
  if (name.size() > 4)
    path = L"\\\\.\\" + path;
  return path;
}

[[noreturn]] void Fail(const std::string& what) {
  throw TransportError(what + ": " + LastOsErrorText());
}

}  // namespace

struct SerialPort::Impl {
  HANDLE handle = INVALID_HANDLE_VALUE;
  std::vector<std::uint8_t> pending;  // bytes taken while waiting, not yet read
  DWORD wait_ms = 0xFFFFFFFFu;        // read time-out currently set; all-ones: none set

  void Require() const {
    if (handle == INVALID_HANDLE_VALUE)
      throw TransportError("Serial port not open");
  }

  // wait_for == 0: reads return at once with what is there.
  void SetReadWait(DWORD wait_for) {
    if (wait_for == wait_ms)
      return;
    COMMTIMEOUTS timeouts{};
    timeouts.ReadIntervalTimeout = MAXDWORD;
    timeouts.ReadTotalTimeoutMultiplier = wait_for == 0 ? 0 : MAXDWORD;
    timeouts.ReadTotalTimeoutConstant = wait_for;
    timeouts.WriteTotalTimeoutMultiplier = 10;
    timeouts.WriteTotalTimeoutConstant = 1000;
    if (!SetCommTimeouts(handle, &timeouts))
      Fail("Serial time-outs failed");
    wait_ms = wait_for;
  }
};

SerialPort::SerialPort() : impl_(std::make_unique<Impl>()) {}

SerialPort::~SerialPort() {
  Close();
}

void SerialPort::Open(const std::string& name, int baud_rate) {
  Close();
  if (baud_rate <= 0)
    throw TransportError("Invalid baud rate " + std::to_string(baud_rate));
  const std::wstring path = L"\\\\.\\" + Widen(name);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE)
    Fail("Unable to open com port " + name);
  SetupComm(h, 8192, 8192);
  // Every line setting is given here, so the driver's current state is only a start; some
  // drivers (wine's on a pty among them) cannot report it at all.
  DCB dcb{};
  dcb.DCBlength = sizeof dcb;
  if (!GetCommState(h, &dcb)) {
    dcb = DCB{};
    dcb.DCBlength = sizeof dcb;
  }
  dcb.XonChar = 0x11;
  dcb.XoffChar = 0x13;
  dcb.XonLim = 2048;
  dcb.XoffLim = 512;
  dcb.BaudRate = static_cast<DWORD>(baud_rate);
  dcb.ByteSize = 8;
  dcb.Parity = NOPARITY;
  dcb.StopBits = ONESTOPBIT;
  dcb.fBinary = TRUE;
  dcb.fParity = FALSE;
  dcb.fOutxCtsFlow = FALSE;
  dcb.fOutxDsrFlow = FALSE;
  dcb.fDtrControl = DTR_CONTROL_ENABLE;
  dcb.fDsrSensitivity = FALSE;
  dcb.fOutX = FALSE;
  dcb.fInX = FALSE;
  dcb.fErrorChar = FALSE;
  dcb.fNull = FALSE;  // NUL bytes are data
  dcb.fRtsControl = RTS_CONTROL_ENABLE;
  dcb.fAbortOnError = FALSE;
  if (!SetCommState(h, &dcb)) {
    const DWORD saved = GetLastError();
    CloseHandle(h);
    SetLastError(saved);
    Fail("Unable to set the line settings of " + name);
  }
  PurgeComm(h, PURGE_RXCLEAR | PURGE_TXCLEAR);
  impl_->handle = h;
  impl_->wait_ms = 0xFFFFFFFFu;
  impl_->pending.clear();
  impl_->SetReadWait(0);
}

void SerialPort::Close() noexcept {
  if (impl_->handle != INVALID_HANDLE_VALUE) {
    CloseHandle(impl_->handle);
    impl_->handle = INVALID_HANDLE_VALUE;
  }
  impl_->pending.clear();
}

bool SerialPort::IsOpen() const {
  return impl_->handle != INVALID_HANDLE_VALUE;
}

void SerialPort::Write(std::span<const std::uint8_t> data) {
  impl_->Require();
  std::size_t done = 0;
  while (done < data.size()) {
    DWORD written = 0;
    if (!WriteFile(impl_->handle, data.data() + done, static_cast<DWORD>(data.size() - done),
                   &written, nullptr))
      Fail("Serial write failed");
    if (written == 0)
      throw TransportError("Serial write timed out");
    done += written;
  }
}

std::size_t SerialPort::BytesWaiting() {
  impl_->Require();
  DWORD errors = 0;
  COMSTAT status{};
  if (!ClearCommError(impl_->handle, &errors, &status))
    Fail("Serial status failed");
  return impl_->pending.size() + status.cbInQue;
}

std::size_t SerialPort::Read(std::span<std::uint8_t> out) {
  impl_->Require();
  std::size_t count = std::min(out.size(), impl_->pending.size());
  std::copy_n(impl_->pending.begin(), count, out.begin());
  impl_->pending.erase(impl_->pending.begin(), impl_->pending.begin() + static_cast<long>(count));
  if (count < out.size()) {
    impl_->SetReadWait(0);
    DWORD got = 0;
    if (!ReadFile(impl_->handle, out.data() + count, static_cast<DWORD>(out.size() - count), &got,
                  nullptr))
      Fail("Serial read failed");
    count += got;
  }
  return count;
}

bool SerialPort::WaitReadable(std::chrono::milliseconds timeout) {
  impl_->Require();
  if (!impl_->pending.empty())
    return true;
  const long long ms = std::max<long long>(1, timeout.count());
  impl_->SetReadWait(static_cast<DWORD>(std::min<long long>(ms, 0x7FFFFFFF)));
  std::uint8_t byte = 0;
  DWORD got = 0;
  if (!ReadFile(impl_->handle, &byte, 1, &got, nullptr))
    Fail("Serial wait failed");
  if (got == 0)
    return false;
  impl_->pending.push_back(byte);
  return true;
}

bool PortExists(const std::string& name) {
  if (name.empty())
    return false;
  const std::wstring path = DevicePath(name);
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return true;
  }
  // Access denied: the port is there but held, by this link or another program.
  return GetLastError() == ERROR_ACCESS_DENIED;
}

}  // namespace meridox::platform

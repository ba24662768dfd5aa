// Linux serial line through termios2, so that any baud rate can be set (BOTHER). The
// kernel's struct termios of <asm/termbits.h> clashes with glibc's <termios.h>, which
// is therefore not included here.
#include "platform/serial_port.h"

#include <asm/termbits.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <cerrno>

#include "platform/os_error.h"
#include "platform/transport_error.h"

namespace meridox::platform {

namespace {

std::string DevicePath(const std::string& name) {
  if (name.empty() || name.front() == '/')
    return name;
  return "/dev/" + name;
}

// The fixed rate constants, used when the rate has one: some drivers (the pty among
// them) report BOTHER back as it was set instead of mapping it to a standard rate.
speed_t StandardRate(int rate) {
  switch (rate) {
    case 1200:
      return B1200;
    case 2400:
      return B2400;
    case 4800:
      return B4800;
    case 9600:
      return B9600;
    case 19200:
      return B19200;
    case 38400:
      return B38400;
    case 57600:
      return B57600;
    case 115200:
      return B115200;
    case 230400:
      return B230400;
    case 460800:
      return B460800;
    case 921600:
      return B921600;
    default:
      return 0;
  }
}

[[noreturn]] void Fail(const std::string& what) {
  throw TransportError(what + ": " + LastOsErrorText());
}

}  // namespace

struct SerialPort::Impl {
  int fd = -1;
};

SerialPort::SerialPort() : impl_(std::make_unique<Impl>()) {}

SerialPort::~SerialPort() {
  Close();
}

void SerialPort::Open(const std::string& name, int baud_rate) {
  Close();
  if (baud_rate <= 0)
    throw TransportError("Invalid baud rate " + std::to_string(baud_rate));
  const std::string path = DevicePath(name);
  const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0)
    Fail("Cannot open " + name);
  struct termios2 tio {};
  if (::ioctl(fd, TCGETS2, &tio) != 0) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    Fail("Cannot read the line settings of " + name);
  }
  tio.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL |
                                        IXON | IXOFF | IXANY | INPCK);
  tio.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  tio.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  tio.c_cflag &=
      ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | (CBAUD << IBSHIFT));
  tio.c_cflag |= CS8 | CREAD | CLOCAL;
  const speed_t standard = StandardRate(baud_rate);
  if (standard != 0) {
    tio.c_cflag |= standard;
  } else {
    tio.c_cflag |= BOTHER;
  }
  tio.c_ispeed = static_cast<speed_t>(baud_rate);
  tio.c_ospeed = static_cast<speed_t>(baud_rate);
  tio.c_cc[VMIN] = 0;
  tio.c_cc[VTIME] = 0;
  if (::ioctl(fd, TCSETS2, &tio) != 0) {
    const int saved = errno;
    ::close(fd);
    errno = saved;
    Fail("Cannot set the line settings of " + name);
  }
  // Nobody else may open the line while it is ours, as on Windows.
  ::ioctl(fd, TIOCEXCL);
  ::ioctl(fd, TCFLSH, TCIOFLUSH);
  impl_->fd = fd;
}

void SerialPort::Close() noexcept {
  if (impl_->fd >= 0) {
    ::ioctl(impl_->fd, TIOCNXCL);
    ::close(impl_->fd);
    impl_->fd = -1;
  }
}

bool SerialPort::IsOpen() const {
  return impl_->fd >= 0;
}

void SerialPort::Write(std::span<const std::uint8_t> data) {
  if (impl_->fd < 0)
    throw TransportError("Serial port not open");
  std::size_t done = 0;
  while (done < data.size()) {
    const ssize_t n = ::write(impl_->fd, data.data() + done, data.size() - done);
    if (n > 0) {
      done += static_cast<std::size_t>(n);
      continue;
    }
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
      pollfd p{impl_->fd, POLLOUT, 0};
      if (::poll(&p, 1, 1000) <= 0)
        throw TransportError("Serial write timed out");
      continue;
    }
    Fail("Serial write failed");
  }
}

std::size_t SerialPort::BytesWaiting() {
  if (impl_->fd < 0)
    throw TransportError("Serial port not open");
  int count = 0;
  if (::ioctl(impl_->fd, FIONREAD, &count) != 0)
    Fail("Serial status failed");
  return count > 0 ? static_cast<std::size_t>(count) : 0;
}

std::size_t SerialPort::Read(std::span<std::uint8_t> out) {
  if (impl_->fd < 0)
    throw TransportError("Serial port not open");
  if (out.empty())
    return 0;
  for (;;) {
    const ssize_t n = ::read(impl_->fd, out.data(), out.size());
    if (n >= 0)
      return static_cast<std::size_t>(n);
    if (errno == EINTR)
      continue;
    if (errno == EAGAIN || errno == EWOULDBLOCK)
      return 0;
    Fail("Serial read failed");
  }
}

bool SerialPort::WaitReadable(std::chrono::milliseconds timeout) {
  if (impl_->fd < 0)
    throw TransportError("Serial port not open");
  pollfd p{impl_->fd, POLLIN, 0};
  const int ms = timeout.count() < 0 ? 0 : static_cast<int>(timeout.count());
  const int r = ::poll(&p, 1, ms);
  if (r < 0 && errno != EINTR)
    Fail("Serial wait failed");
  if (r > 0 && (p.revents & (POLLHUP | POLLERR)) != 0 && (p.revents & POLLIN) == 0) {
    // The far side of a pty has gone: nothing will arrive, but do not spin on it.
    ::poll(nullptr, 0, ms);
    return false;
  }
  return r > 0 && (p.revents & POLLIN) != 0;
}

bool PortExists(const std::string& name) {
  if (name.empty())
    return false;
  const std::string path = DevicePath(name);
  const int fd = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
  if (fd >= 0) {
    ::close(fd);
    return true;
  }
  // Busy: held exclusively by someone, this link included.
  return errno == EBUSY || errno == EACCES;
}

}  // namespace meridox::platform

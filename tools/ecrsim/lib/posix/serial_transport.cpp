// Serial lines on Linux: a pseudo-terminal pair standing in for the cable, or a tty device.
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "posix/line_speed.h"
#include "transport.h"

namespace meridox::ecrsim {

namespace {

class SerialChannel : public Channel {
 public:
  explicit SerialChannel(int fd) : fd_(fd) {}

  ReadResult Read(std::chrono::milliseconds timeout) override {
    ReadResult result;
    pollfd p{fd_, POLLIN, 0};
    const int ready = ::poll(&p, 1, static_cast<int>(timeout.count()));
    if (ready <= 0 || (p.revents & POLLIN) == 0) {
      if (ready > 0) {
        // Hang-up with nothing to read: nobody holds the other end; do not spin.
        ::usleep(static_cast<useconds_t>(timeout.count()) * 1000);
      }
      return result;
    }
    std::uint8_t buffer[4096];
    const ssize_t n = ::read(fd_, buffer, sizeof buffer);
    if (n > 0) {
      result.bytes.assign(buffer, buffer + n);
      // Read after the bytes arrived: the rate the sender had set when it wrote them.
      result.line_speed = posix::ReadLineSpeed(fd_);
    }
    return result;
  }

  bool Write(const std::vector<std::uint8_t>& bytes) override {
    std::size_t done = 0;
    while (done < bytes.size()) {
      const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
      if (n < 0 && errno == EINTR) {
        continue;
      }
      if (n <= 0) {
        return false;
      }
      done += static_cast<std::size_t>(n);
    }
    return true;
  }

  bool CanClose() const override { return false; }

 private:
  int fd_;  // owned by the listener
};

class SerialListener : public Listener {
 public:
  SerialListener(int fd, int keep_fd, std::string address)
      : fd_(fd), keep_fd_(keep_fd), address_(std::move(address)) {}
  ~SerialListener() override {
    if (keep_fd_ >= 0) {
      ::close(keep_fd_);
    }
    ::close(fd_);
  }

  // The line is handed out once; later calls just wait.
  std::unique_ptr<Channel> Accept(std::chrono::milliseconds timeout) override {
    if (handed_out_) {
      ::usleep(static_cast<useconds_t>(timeout.count()) * 1000);
      return nullptr;
    }
    handed_out_ = true;
    return std::make_unique<SerialChannel>(fd_);
  }

  std::string Address() const override { return address_; }

 private:
  int fd_;
  int keep_fd_;  // our own handle on the pty slave, so the line's settings persist
  std::string address_;
  bool handed_out_ = false;
};

}  // namespace

std::unique_ptr<Listener> OpenPty(int initial_speed, std::string& error) {
  const int master = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (master < 0 || ::grantpt(master) != 0 || ::unlockpt(master) != 0) {
    error = std::string("pty: ") + std::strerror(errno);
    if (master >= 0) {
      ::close(master);
    }
    return nullptr;
  }
  char name[256] = {};
  if (::ptsname_r(master, name, sizeof name) != 0) {
    error = std::string("ptsname: ") + std::strerror(errno);
    ::close(master);
    return nullptr;
  }
  // Holding the slave open keeps its settings between the bridge's opens and spares the
  // master the hang-up state; the line starts raw so nothing is echoed back.
  const int slave = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (slave < 0 || !posix::SetRawLine(slave, initial_speed)) {
    error = std::string("pty slave ") + name + ": " + std::strerror(errno);
    if (slave >= 0) {
      ::close(slave);
    }
    ::close(master);
    return nullptr;
  }
  return std::make_unique<SerialListener>(master, slave, name);
}

std::unique_ptr<Listener> OpenSerialPort(const std::string& name, int speed, std::string& error) {
  const int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);
  if (fd < 0 || !posix::SetRawLine(fd, speed)) {
    error = name + ": " + std::strerror(errno);
    if (fd >= 0) {
      ::close(fd);
    }
    return nullptr;
  }
  return std::make_unique<SerialListener>(fd, -1, name);
}

}  // namespace meridox::ecrsim

// Kept apart from <termios.h>: the kernel's termios2 definitions clash with the C library's.
#include "posix/line_speed.h"

#include <asm/termbits.h>
#include <sys/ioctl.h>

namespace meridox::ecrsim::posix {

int ReadLineSpeed(int fd) {
  struct termios2 settings {};
  if (::ioctl(fd, TCGETS2, &settings) != 0) {
    return 0;
  }
  return static_cast<int>(settings.c_ospeed);
}

bool SetRawLine(int fd, int speed) {
  struct termios2 settings {};
  if (::ioctl(fd, TCGETS2, &settings) != 0) {
    return false;
  }
  settings.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR |
                                             ICRNL | IXON | IXOFF | IXANY);
  settings.c_oflag &= ~static_cast<tcflag_t>(OPOST);
  settings.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHONL | ICANON | ISIG | IEXTEN);
  settings.c_cflag &= ~static_cast<tcflag_t>(CSIZE | PARENB | CSTOPB | CRTSCTS | CBAUD | CIBAUD);
  settings.c_cflag |= CS8 | CREAD | CLOCAL | BOTHER | (BOTHER << IBSHIFT);
  settings.c_ispeed = static_cast<speed_t>(speed);
  settings.c_ospeed = static_cast<speed_t>(speed);
  settings.c_cc[VMIN] = 0;
  settings.c_cc[VTIME] = 0;
  return ::ioctl(fd, TCSETS2, &settings) == 0;
}

}  // namespace meridox::ecrsim::posix

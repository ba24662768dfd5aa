#include "platform/win32/winsock_init.h"

#include <winsock2.h>

namespace meridox::platform {

void EnsureWinsock() {
  // Started for the life of the process; the system cleans up at exit.
  static const bool started = [] {
    WSADATA data{};
    return WSAStartup(MAKEWORD(2, 2), &data) == 0;
  }();
  (void)started;
}

}  // namespace meridox::platform

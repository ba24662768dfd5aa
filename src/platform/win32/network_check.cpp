#include <windows.h>
#include <wininet.h>

#include "platform/network.h"

namespace meridox::platform {

bool NetworkAvailable() {
  DWORD flags = 0;
  return InternetGetConnectedState(&flags, 0) != FALSE;
}

}  // namespace meridox::platform

#include <ifaddrs.h>
#include <net/if.h>

#include "platform/network.h"

namespace meridox::platform {

bool NetworkAvailable() {
  ifaddrs* list = nullptr;
  if (::getifaddrs(&list) != 0)
    return false;
  bool found = false;
  for (ifaddrs* it = list; it != nullptr && !found; it = it->ifa_next) {
    const unsigned flags = it->ifa_flags;
    found = (flags & IFF_UP) != 0 && (flags & IFF_LOOPBACK) == 0 && it->ifa_addr != nullptr;
  }
  ::freeifaddrs(list);
  return found;
}

}  // namespace meridox::platform

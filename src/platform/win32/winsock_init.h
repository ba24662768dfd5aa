// Winsock must be started once per process before any socket call.
#pragma once

namespace meridox::platform {

void EnsureWinsock();

}  // namespace meridox::platform

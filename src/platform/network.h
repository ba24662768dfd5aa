// Whether the machine can reach a network at all.
#pragma once

#include <string>

namespace meridox::platform {

// True when the machine has a network connection (Windows: the system's connected
// state; Linux: a non-loopback interface that is up).
bool NetworkAvailable();

// True for host texts that name this machine: "localhost" and 127.x.x.x, ::1. Traffic to
// them never needs a network.
bool IsLoopbackHost(const std::string& host);

}  // namespace meridox::platform

// Turns the system's stop requests (SIGTERM/SIGINT on Linux, Ctrl+C/Ctrl+Break and console
// close on Windows) into a flag the headless program waits on.
#pragma once

#include <chrono>

namespace meridox::platform {

// Installs the handlers once per process.
void InstallStopHandlers();

// Asks for a stop from inside the process (tests, the control channel).
void RequestStop();

bool StopRequested();

// Waits until a stop is requested or the time is up; true when a stop was requested.
bool WaitForStop(std::chrono::milliseconds timeout);

// Forgets an earlier request (tests that run the bridge more than once in one process).
void ResetStopRequest();

}  // namespace meridox::platform

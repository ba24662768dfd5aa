#include "platform/stop_request.h"

#include <atomic>
#include <condition_variable>
#include <mutex>

namespace meridox::platform {
namespace {

std::atomic<bool> g_stop{false};
std::mutex g_mutex;
std::condition_variable g_wake;

}  // namespace

// Called from the signal watcher thread or console handler, never from a signal handler
// itself (a condition variable is not async-signal-safe).
void RequestStop() {
  {
    std::lock_guard<std::mutex> lock(g_mutex);
    g_stop = true;
  }
  g_wake.notify_all();
}

bool StopRequested() {
  return g_stop.load();
}

bool WaitForStop(std::chrono::milliseconds timeout) {
  std::unique_lock<std::mutex> lock(g_mutex);
  return g_wake.wait_for(lock, timeout, [] { return g_stop.load(); });
}

void ResetStopRequest() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_stop = false;
}

}  // namespace meridox::platform

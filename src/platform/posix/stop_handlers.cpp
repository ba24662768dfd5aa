#include <pthread.h>
#include <signal.h>

#include <mutex>
#include <thread>

#include "platform/stop_request.h"

namespace meridox::platform {

void InstallStopHandlers() {
  static std::once_flag once;
  std::call_once(once, [] {
    // Block the signals in every thread and take them synchronously in one watcher
    // thread, where waking the waiters is safe.
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    std::thread([set] {
      for (;;) {
        int received = 0;
        if (sigwait(&set, &received) == 0)
          RequestStop();
      }
    }).detach();
  });
}

}  // namespace meridox::platform

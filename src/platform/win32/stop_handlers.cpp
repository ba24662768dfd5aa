#include <windows.h>

#include <mutex>

#include "platform/stop_request.h"

namespace meridox::platform {
namespace {

BOOL WINAPI OnConsoleControl(DWORD kind) {
  switch (kind) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      RequestStop();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

void InstallStopHandlers() {
  static std::once_flag once;
  std::call_once(once, [] { SetConsoleCtrlHandler(OnConsoleControl, TRUE); });
}

}  // namespace meridox::platform

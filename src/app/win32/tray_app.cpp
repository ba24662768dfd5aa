#include "app/win32/tray_app.h"

#include <windows.h>

#include <objbase.h>

#include "app/shell/ui_texts.h"
#include "app/win32/main_window.h"
#include "app/win32/ui_services.h"
#include "config/ini_config.h"
#include "platform/single_instance.h"

namespace meridox::app::win32 {

int RunTrayApp(const std::vector<std::string>& args) {
  const auto mutex = platform::CreateInstanceMutex(text::kMutexName);
  if (args.empty() && mutex->AlreadyExisted()) {
    SystemMessageBoxes().Show(nullptr, text::kAlreadyRunning, text::kInfoCaption,
                              MB_OK | MB_ICONINFORMATION);
    return 0;
  }
  // The folder dialog needs COM on this thread.
  const HRESULT com = OleInitialize(nullptr);
  int exit_code = 0;
  {
    TMainWindow window;
    if (!window.Create()) {
      exit_code = 1;
    } else {
      MSG message;
      while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (window.Handle() != nullptr && IsDialogMessageW(window.Handle(), &message))
          continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
      }
      exit_code = static_cast<int>(message.wParam);
    }
  }
  FreeConfig();
  if (SUCCEEDED(com))
    OleUninitialize();
  return exit_code;
}

}  // namespace meridox::app::win32

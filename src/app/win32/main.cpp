// MERIDOX.exe: the tray program.
#include <windows.h>

#include <shellapi.h>

#include <string>
#include <vector>

#include "app/win32/tray_app.h"
#include "app/win32/ui_services.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int count = 0;
  LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
  std::vector<std::string> args;
  for (int i = 1; words != nullptr && i < count; ++i)
    args.push_back(meridox::app::win32::U8(words[i]));
  if (words != nullptr)
    LocalFree(words);
  return meridox::app::win32::RunTrayApp(args);
}

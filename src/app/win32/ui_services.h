// The tray program's contact points with the desktop, behind small interfaces so tests can
// answer message boxes, watch the tray icon and catch the restart without relaunching.
#pragma once

#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace meridox::app::win32 {

class TMessageBoxes {
 public:
  virtual ~TMessageBoxes() = default;
  // Texts are UTF-8; returns the button pressed (IDOK, IDCANCEL, ...).
  virtual int Show(HWND owner, std::string_view text, std::string_view caption, UINT flags) = 0;
};

// MessageBoxW.
TMessageBoxes& SystemMessageBoxes();

class TTrayIcon {
 public:
  virtual ~TTrayIcon() = default;
  // Shows the icon; mouse events arrive at `window` as `callbackMessage`.
  virtual bool Add(HWND window, UINT callbackMessage, HICON icon, std::string_view tip) = 0;
  // A balloon with the platform's default display time; error selects the error icon.
  virtual bool ShowBalloon(std::string_view title, std::string_view text, bool error) = 0;
  virtual void Remove() = 0;
};

// Shell_NotifyIcon.
std::unique_ptr<TTrayIcon> CreateShellTrayIcon();

// Starts the program again; the real one ends the process when the start succeeded and
// returns only on failure (false, with the system's text).
using TRestarter = std::function<bool(const std::filesystem::path& exe,
                                      const std::vector<std::string>& args, std::string* error)>;
TRestarter SystemRestarter();

// UTF-16 for the window functions.
std::wstring W(std::string_view utf8);
std::string U8(std::wstring_view wide);
std::string WindowText(HWND window);
void SetWindowTextU8(HWND window, std::string_view text);

// The system's message font, and bold or larger variants of it; owned by the process.
HFONT UiFont();
HFONT UiBoldFont(int pointSize = 0);

// Resizes a window so its client area is exactly width x height and centres it on the
// screen's work area.
void SetClientSizeCentred(HWND window, int width, int height);

// Handles pending messages of the calling thread (the lock's wait, the shutdown's wait).
void PumpPendingMessages();

}  // namespace meridox::app::win32

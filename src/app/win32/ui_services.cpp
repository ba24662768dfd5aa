#include "app/win32/ui_services.h"

#include <shellapi.h>

#include <cwchar>
#include <map>
#include <mutex>

#include "platform/process_start.h"
#include "platform/win32/wide_text.h"

namespace meridox::app::win32 {
namespace {

class SystemBoxes final : public TMessageBoxes {
 public:
  int Show(HWND owner, std::string_view text, std::string_view caption, UINT flags) override {
    return MessageBoxW(owner, W(text).c_str(), W(caption).c_str(), flags);
  }
};

// Copies as much of `text` as fits, always terminated.
template <size_t N>
void CopyTruncated(wchar_t (&target)[N], const std::wstring& text) {
  const size_t count = text.size() < N - 1 ? text.size() : N - 1;
  wmemcpy(target, text.data(), count);
  target[count] = L'\0';
}

class ShellTray final : public TTrayIcon {
 public:
  ~ShellTray() override { Remove(); }
  bool Add(HWND window, UINT callbackMessage, HICON icon, std::string_view tip) override {
    data_ = NOTIFYICONDATAW{};
    data_.cbSize = sizeof(data_);
    data_.hWnd = window;
    data_.uID = 1;
    data_.uFlags = NIF_ICON | NIF_MESSAGE | NIF_TIP;
    data_.uCallbackMessage = callbackMessage;
    data_.hIcon = icon;
    CopyTruncated(data_.szTip, W(tip));
    added_ = Shell_NotifyIconW(NIM_ADD, &data_) != FALSE;
    return added_;
  }
  bool ShowBalloon(std::string_view title, std::string_view text, bool error) override {
    if (!added_)
      return false;
    NOTIFYICONDATAW balloon = data_;
    balloon.uFlags = NIF_INFO;
    CopyTruncated(balloon.szInfoTitle, W(title));
    CopyTruncated(balloon.szInfo, W(text));
    balloon.dwInfoFlags = error ? NIIF_ERROR : NIIF_INFO;
    return Shell_NotifyIconW(NIM_MODIFY, &balloon) != FALSE;
  }
  void Remove() override {
    if (added_)
      Shell_NotifyIconW(NIM_DELETE, &data_);
    added_ = false;
  }

 private:
  NOTIFYICONDATAW data_{};
  bool added_ = false;
};

}  // namespace

TMessageBoxes& SystemMessageBoxes() {
  static SystemBoxes boxes;
  return boxes;
}

std::unique_ptr<TTrayIcon> CreateShellTrayIcon() {
  return std::make_unique<ShellTray>();
}

TRestarter SystemRestarter() {
  return [](const std::filesystem::path& exe, const std::vector<std::string>& args,
            std::string* error) {
    if (!platform::StartProcess(exe, args, error))
      return false;
    ExitProcess(0);
  };
}

std::wstring W(std::string_view utf8) {
  return platform::win32::Wide(utf8);
}
std::string U8(std::wstring_view wide) {
  return platform::win32::Narrow(wide);
}

std::string WindowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  if (length <= 0)
    return {};
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  const int copied = GetWindowTextW(window, text.data(), length + 1);
  text.resize(static_cast<size_t>(copied > 0 ? copied : 0));
  return U8(text);
}

void SetWindowTextU8(HWND window, std::string_view text) {
  SetWindowTextW(window, W(text).c_str());
}

namespace {

LOGFONTW MessageFont() {
  NONCLIENTMETRICSW metrics{};
  metrics.cbSize = sizeof(metrics);
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof(metrics), &metrics, 0))
    return metrics.lfMessageFont;
  LOGFONTW font{};
  font.lfHeight = -12;
  wcscpy(font.lfFaceName, L"Tahoma");
  return font;
}

}  // namespace

HFONT UiFont() {
  static HFONT font = [] {
    LOGFONTW log = MessageFont();
    return CreateFontIndirectW(&log);
  }();
  return font;
}

HFONT UiBoldFont(int pointSize) {
  static std::mutex mutex;
  static std::map<int, HFONT> fonts;
  std::lock_guard<std::mutex> lock(mutex);
  auto found = fonts.find(pointSize);
  if (found != fonts.end())
    return found->second;
  LOGFONTW log = MessageFont();
  log.lfWeight = FW_BOLD;
  if (pointSize > 0) {
    HDC screen = GetDC(nullptr);
    log.lfHeight = -MulDiv(pointSize, GetDeviceCaps(screen, LOGPIXELSY), 72);
    ReleaseDC(nullptr, screen);
  }
  HFONT font = CreateFontIndirectW(&log);
  fonts[pointSize] = font;
  return font;
}

void SetClientSizeCentred(HWND window, int width, int height) {
  RECT rect{0, 0, width, height};
  const DWORD style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_STYLE));
  const DWORD ex_style = static_cast<DWORD>(GetWindowLongPtrW(window, GWL_EXSTYLE));
  AdjustWindowRectEx(&rect, style, GetMenu(window) != nullptr, ex_style);
  const int outer_width = rect.right - rect.left;
  const int outer_height = rect.bottom - rect.top;
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int x = work.left + ((work.right - work.left) - outer_width) / 2;
  const int y = work.top + ((work.bottom - work.top) - outer_height) / 2;
  SetWindowPos(window, nullptr, x, y, outer_width, outer_height, SWP_NOZORDER | SWP_NOACTIVATE);
}

void PumpPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      // Leave the quit for the main loop.
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

}  // namespace meridox::app::win32

#include "gui_fixture.h"

#include <fstream>

#include "platform/utf8_path.h"

namespace meridox::app::win32::testing {

bool PumpUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
  const auto deadline = std::chrono::steady_clock::now() + timeout;
  while (!done()) {
    if (std::chrono::steady_clock::now() > deadline)
      return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
      if (message.message == WM_QUIT)
        continue;
      TranslateMessage(&message);
      DispatchMessageW(&message);
    }
  }
  return true;
}

void DrainQuit() {
  MSG message;
  while (PeekMessageW(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
  }
}

int ScriptedBoxes::Show(HWND, std::string_view text, std::string_view caption, UINT flags) {
  shown.push_back({std::string(text), std::string(caption), flags});
  if (onShow)
    onShow(shown.back());
  if (answers.empty())
    return IDOK;
  const int answer = answers.front();
  answers.pop_front();
  return answer;
}

bool RecordingTray::Add(HWND w, UINT callbackMessage, HICON i, std::string_view t) {
  added = true;
  window = w;
  callback = callbackMessage;
  icon = i;
  tip = std::string(t);
  return true;
}

bool RecordingTray::ShowBalloon(std::string_view title, std::string_view text, bool error) {
  balloons.push_back({std::string(title), std::string(text), error});
  return added;
}

GuiHarness::GuiHarness(const std::string& systemSection,
                       std::function<void(TTrayAppOptions&)> adjust) {
  SetAppPath(home_.Utf8WithSlash());
  // Binary: the text is written with its own line ends. A serial port the system lacks
  // unless the case names one, so the worker's closing disconnect fails at once instead
  // of waiting on a real line.
  std::string section = systemSection;
  if (section.find("Host=") == std::string::npos)
    section = "Host=COM250\r\n" + section;
  std::ofstream(home_.path() / "Config.ini", std::ios::binary) << "[System]\r\n" << section;
  config_ = std::make_unique<TIniConfig>(ConfigFile());
  TTrayAppOptions options;
  options.Config = config_.get();
  options.Boxes = &boxes;
  options.Tray = &tray;
  options.Ports = [] { return std::vector<std::string>{"COM1", "COM3"}; };
  options.LogDir = home_.Utf8WithSlash() + "Log";
  options.ManagerOptions.JournalFile = home_.Utf8WithSlash() + "Jobs.journal";
  options.ManagerOptions.Period = std::chrono::milliseconds(200);
  options.ManagerOptions.FilePause = std::chrono::milliseconds(10);
  options.ExecutablePath = home_.path() / "MERIDOX.exe";
  options.Restart = [this](const std::filesystem::path& exe, const std::vector<std::string>& args,
                           std::string*) {
    restarts.push_back({exe, args});
    return true;
  };
  if (adjust)
    adjust(options);
  window_ = std::make_unique<TMainWindow>(std::move(options));
  window_->Create();
}

GuiHarness::~GuiHarness() {
  window_.reset();
  DrainQuit();
  SetAppPath("");
}

std::string GuiHarness::ConfigFile() const {
  return home_.Utf8WithSlash() + "Config.ini";
}

void GuiHarness::Click(HWND button) {
  // What the button sends its parent when pressed, without depending on focus or
  // activation of a window on a virtual display.
  SendMessageW(GetParent(button), WM_COMMAND,
               MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(button)), BN_CLICKED),
               reinterpret_cast<LPARAM>(button));
}

}  // namespace meridox::app::win32::testing

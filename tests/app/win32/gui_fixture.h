// What the window tests share: a message pump with a deadline, message boxes answered by
// the test, a tray icon that records, and a main window over a temporary program folder.
#pragma once

#include <windows.h>

#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/win32/main_window.h"
#include "app/win32/ui_services.h"
#include "config/ini_config.h"
#include "temp_dir.h"

namespace meridox::app::win32::testing {

// Handles this thread's messages until `done` holds or the time is up; true when it held.
bool PumpUntil(const std::function<bool()>& done,
               std::chrono::milliseconds timeout = std::chrono::seconds(20));
// Drops a quit message a destroyed main window left behind (it would end the next modal
// loop at once).
void DrainQuit();

struct ShownBox {
  std::string text;
  std::string caption;
  UINT flags = 0;
};

class ScriptedBoxes : public TMessageBoxes {
 public:
  // Answers in order; IDOK once they run out. `onShow` runs when a box is "shown".
  std::deque<int> answers;
  std::vector<ShownBox> shown;
  std::function<void(const ShownBox&)> onShow;
  int Show(HWND owner, std::string_view text, std::string_view caption, UINT flags) override;
};

struct Balloon {
  std::string title;
  std::string text;
  bool error = false;
};

class RecordingTray : public TTrayIcon {
 public:
  bool added = false;
  HICON icon = nullptr;
  std::string tip;
  HWND window = nullptr;
  UINT callback = 0;
  std::vector<Balloon> balloons;
  bool Add(HWND w, UINT callbackMessage, HICON i, std::string_view t) override;
  bool ShowBalloon(std::string_view title, std::string_view text, bool error) override;
  void Remove() override { added = false; }
};

struct RestartCall {
  std::filesystem::path exe;
  std::vector<std::string> args;
};

// A main window over a fresh program folder with Config.ini written from `systemSection`.
class GuiHarness {
 public:
  explicit GuiHarness(const std::string& systemSection,
                      std::function<void(TTrayAppOptions&)> adjust = {});
  ~GuiHarness();

  TMainWindow& Window() { return *window_; }
  TIniConfig& Config() { return *config_; }
  const meridox::testing::TempDir& Home() const { return home_; }
  std::string ConfigFile() const;
  // Presses a button: its BN_CLICKED notice to the window.
  void Click(HWND button);

  ScriptedBoxes boxes;
  RecordingTray tray;
  std::vector<RestartCall> restarts;

 private:
  meridox::testing::TempDir home_;
  std::unique_ptr<TIniConfig> config_;
  std::unique_ptr<TMainWindow> window_;
};

}  // namespace meridox::app::win32::testing

// The main window: a band of large buttons (operations, About, General) over the settings
// panel and a status bar, the tray icon with its menu and balloons, the job manager's
// start and end, the manual operations and Apply.
#pragma once

#include <windows.h>

#include <filesystem>
#include <memory>
#include <string>

#include "app/win32/end_daily_window.h"
#include "app/win32/settings_panel.h"
#include "app/win32/ui_services.h"
#include "jobs/manager.h"
#include "platform/run_key.h"

namespace meridox {
class TLogger;
class TIniConfig;
namespace codec {
class TccEncode;
}
}  // namespace meridox

namespace meridox::app::win32 {

class TWindowBridge;

struct TTrayAppOptions {
  TIniConfig* Config = nullptr;              // null: GetConfig()
  platform::RunKeyStore* RunKeys = nullptr;  // null: the registry
  TMessageBoxes* Boxes = nullptr;            // null: MessageBoxW
  TTrayIcon* Tray = nullptr;                 // null: the shell's notification area
  TRestarter Restart;                        // empty: start again and end this process
  TSettingsPanel::TPortLister Ports;         // empty: the system's serial ports
  platform::Clock* Clock = nullptr;          // null: the system clock
  jobs::TManagerOptions ManagerOptions;
  std::string LogDir;                    // empty: AppPath() + "Log\"
  std::filesystem::path ExecutablePath;  // empty: the running program
  TEndDailyWindowOptions DialogOptions;  // Clock and Boxes default to the above
};

enum class TRibbonButton {
  rbCheckConn,
  rbCloseReceipt,
  rbAllVoid,
  rbXReport,
  rbZReport,
  rbAbout,
  rbApply,
  rbClose
};

class TMainWindow {
 public:
  static constexpr int kClientWidth = 856;
  static constexpr int kClientHeight = 522;

  explicit TMainWindow(TTrayAppOptions options = {});
  ~TMainWindow();
  TMainWindow(const TMainWindow&) = delete;
  TMainWindow& operator=(const TMainWindow&) = delete;

  // Creates the window and runs the start-up sequence (services, settings, manager,
  // worker); the window shows only when no watched folder is configured.
  bool Create();
  HWND Handle() const { return window_; }
  HWND Button(TRibbonButton button) const;

  TSettingsPanel& Settings() { return settings_; }
  jobs::TManager* Manager() { return manager_.get(); }
  TIniConfig& Config() { return config_; }
  // A manual operation or Apply is running (the buttons are disabled meanwhile).
  bool OperationRunning() const { return operation_running_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam);

  void CreateControls();
  void FormCreate();
  void FormDestroy();
  void WMManagerNotify(const wchar_t* text, LPARAM kind);
  void ShowFromTray();
  void ShowTrayMenu();
  void OnCommand(int id, int code, HWND child);
  void RunOperation(int id);
  void BtnApplyClick();
  void PaintRibbon(HDC dc);
  int Box(std::string_view text, UINT flags = MB_OK);

  TTrayAppOptions options_;
  TIniConfig& config_;
  TMessageBoxes& boxes_;
  std::unique_ptr<TTrayIcon> own_tray_;
  TTrayIcon& tray_;
  std::unique_ptr<platform::RunKeyStore> own_run_keys_;
  platform::RunKeyStore& run_keys_;
  TSettingsPanel settings_;
  HWND window_ = nullptr;
  HWND tooltip_ = nullptr;
  UINT taskbar_created_ = 0;
  std::unique_ptr<TLogger> logger_;
  std::unique_ptr<codec::TccEncode> codec_;
  std::unique_ptr<TWindowBridge> bridge_;
  std::unique_ptr<jobs::TManager> manager_;
  bool operation_running_ = false;
  bool close_pending_ = false;
  bool closing_ = false;
};

}  // namespace meridox::app::win32

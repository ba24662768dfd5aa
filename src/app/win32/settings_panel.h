// The settings controls in the lower part of the main window: created, filled from and
// read into a TSettingsForm, the serial/Ethernet switch with its read-only colours, the
// port list refreshed on every drop-down, the address mask and the folder browser.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "app/shell/settings_model.h"

namespace meridox::app::win32 {

class TSettingsPanel {
 public:
  using TPortLister = std::function<std::vector<std::string>()>;

  explicit TSettingsPanel(TPortLister ports);
  ~TSettingsPanel();
  TSettingsPanel(const TSettingsPanel&) = delete;
  TSettingsPanel& operator=(const TSettingsPanel&) = delete;

  // Creates the controls on `parent` from `top` down.
  void Create(HWND parent, int top);

  void Load(const TSettingsForm& form);
  TSettingsForm Read() const;
  std::string PortNameText() const;

  // FConnType := kind; 0 makes the serial lists editable and the Ethernet boxes read-only,
  // 1 the reverse, anything else changes only FConnType.
  void SwitchConnType(int kind);
  int ConnType() const { return conn_type_; }
  // The serial ports as the system lists them now, keeping the chosen one when present.
  void FillPortNames();
  const std::vector<std::string>& PortNames() const { return port_names_; }
  // Moves the focus to a control when it can take it.
  void Focus(TSettingsControl control);
  HWND Control(TSettingsControl control) const;
  HWND Handle(int id) const;

  // WM_COMMAND from a child; true when handled.
  bool OnCommand(int id, int code, HWND child);
  // WM_CTLCOLOREDIT / WM_CTLCOLORSTATIC: the read-only colours, or null for the default.
  HBRUSH OnCtlColor(HDC dc, HWND child);

  // The browse button: the folder dialog titled "Διαδρομή ανίχνευσης".
  void BrowseFolder();
  // Seam for tests: replaces the system's folder dialog (given the start folder, returns
  // the chosen folder or empty).
  void SetFolderChooser(std::function<std::string(const std::string&)> chooser) {
    chooser_ = std::move(chooser);
  }

 private:
  HWND Add(const wchar_t* cls, std::string_view text, DWORD style, int x, int y, int width,
           int height, int id, DWORD exStyle = 0);
  void FilterEdit(HWND edit, std::string& lastGood, bool (*accepts)(std::string_view));

  TPortLister ports_;
  std::function<std::string(const std::string&)> chooser_;
  HWND parent_ = nullptr;
  int conn_type_ = 0;
  std::vector<std::string> port_names_;
  std::string last_ip_;
  std::string last_port_;
  bool filtering_ = false;
  HBRUSH read_only_brush_ = nullptr;
};

}  // namespace meridox::app::win32

#include "app/win32/settings_panel.h"

#include <commctrl.h>
#include <shlobj.h>

#include <filesystem>
#include <system_error>

#include "app/shell/ip_mask.h"
#include "app/shell/ui_texts.h"
#include "app/win32/resource_ids.h"
#include "app/win32/ui_services.h"
#include "platform/utf8_path.h"

namespace meridox::app::win32 {
namespace {

constexpr COLORREF kMaroon = RGB(128, 0, 0);

bool NumberTextOk(std::string_view text) {
  size_t i = 0;
  if (i < text.size() && text[i] == '-')
    ++i;
  bool dot = false;
  for (; i < text.size(); ++i) {
    if (text[i] == '.' && !dot) {
      dot = true;
      continue;
    }
    if (text[i] < '0' || text[i] > '9')
      return false;
  }
  return text.size() <= 12;
}

void FillItems(HWND combo, const auto& items) {
  SendMessageW(combo, CB_RESETCONTENT, 0, 0);
  for (const auto& item : items)
    SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(W(item).c_str()));
}

int CALLBACK BrowseCallback(HWND window, UINT message, LPARAM, LPARAM data) {
  if (message == BFFM_INITIALIZED && data != 0)
    SendMessageW(window, BFFM_SETSELECTIONW, TRUE, data);
  return 0;
}

std::string SystemFolderChooser(HWND owner, const std::string& start) {
  const std::wstring title = W(text::kPath);
  std::wstring initial;
  std::error_code error;
  if (!start.empty() && std::filesystem::is_directory(platform::PathFromUtf8(start), error))
    initial = W(start);
  BROWSEINFOW info{};
  info.hwndOwner = owner;
  info.lpszTitle = title.c_str();
  info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
  info.lpfn = BrowseCallback;
  info.lParam = initial.empty() ? 0 : reinterpret_cast<LPARAM>(initial.c_str());
  PIDLIST_ABSOLUTE chosen = SHBrowseForFolderW(&info);
  if (chosen == nullptr)
    return {};
  std::wstring path(MAX_PATH * 4, L'\0');
  const bool ok = SHGetPathFromIDListEx(chosen, path.data(), static_cast<DWORD>(path.size()),
                                        GPFIDL_DEFAULT) != FALSE;
  CoTaskMemFree(chosen);
  if (!ok)
    return {};
  path.resize(wcslen(path.c_str()));
  return U8(path);
}

}  // namespace

TSettingsPanel::TSettingsPanel(TPortLister ports) : ports_(std::move(ports)) {
  read_only_brush_ = GetSysColorBrush(COLOR_BTNFACE);
}

TSettingsPanel::~TSettingsPanel() = default;

HWND TSettingsPanel::Add(const wchar_t* cls, std::string_view text, DWORD style, int x, int y,
                         int width, int height, int id, DWORD exStyle) {
  HWND child = CreateWindowExW(exStyle, cls, W(text).c_str(), WS_CHILD | WS_VISIBLE | style, x, y,
                               width, height, parent_,
                               reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), TRUE);
  return child;
}

void TSettingsPanel::Create(HWND parent, int top) {
  parent_ = parent;
  const int left = 16;
  const int label_width = 176;
  const int right_column = 440;
  Add(L"BUTTON", text::kCommunication, BS_GROUPBOX, left - 4, top, 832, 128, IDC_COMMUNICATION);
  Add(L"BUTTON", text::kSerial, BS_AUTORADIOBUTTON | WS_TABSTOP | WS_GROUP, left + 12, top + 22,
      260, 22, IDC_RB_SERIAL);
  Add(L"BUTTON", text::kEthernet, BS_AUTORADIOBUTTON | WS_TABSTOP, right_column, top + 22, 260, 22,
      IDC_RB_ETHERNET);
  Add(L"STATIC", text::kPortNames, SS_LEFT, left + 12, top + 59, label_width, 20, 0);
  Add(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP | WS_GROUP, left + 190, top + 55,
      200, 240, IDC_PORT_NAMES);
  Add(L"STATIC", text::kBaudRate, SS_LEFT, left + 12, top + 93, label_width, 20, 0);
  Add(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, left + 190, top + 89, 200, 200,
      IDC_BAUD_RATE);
  Add(L"STATIC", text::kIPAddress, SS_LEFT, right_column, top + 59, 150, 20, 0);
  Add(L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, right_column + 150, top + 55, 220, 24,
      IDC_IP_ADDRESS, WS_EX_CLIENTEDGE);
  Add(L"STATIC", text::kPort, SS_LEFT, right_column, top + 93, 150, 20, 0);
  Add(L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, right_column + 150, top + 89, 220, 24, IDC_PORT,
      WS_EX_CLIENTEDGE);

  const int below = top + 144;
  Add(L"STATIC", text::kInEncoding, SS_LEFT, left + 12, below + 4, label_width, 20, 0);
  Add(L"COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, left + 190, below,
      200, 200, IDC_IN_ENCODING);
  Add(L"STATIC", text::kOutEncoding, SS_LEFT, right_column, below + 4, 150, 20, 0);
  Add(L"COMBOBOX", "", CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_VSCROLL | WS_TABSTOP, right_column + 150,
      below, 220, 200, IDC_OUT_ENCODING);
  Add(L"STATIC", text::kPath, SS_LEFT, left + 12, below + 42, label_width, 20, 0);
  Add(L"EDIT", "", ES_AUTOHSCROLL | WS_TABSTOP, left + 190, below + 38, 584, 24, IDC_PATH,
      WS_EX_CLIENTEDGE);
  Add(L"BUTTON", "...", BS_PUSHBUTTON | WS_TABSTOP, left + 778, below + 37, 34, 26,
      IDC_PATH_BROWSE);
  Add(L"BUTTON", text::kClearFiles, BS_AUTOCHECKBOX | WS_TABSTOP, left + 190, below + 74, 500, 22,
      IDC_CLEAR_FILES);
  Add(L"STATIC", text::kDecimalSymbol, SS_LEFT, left + 12, below + 110, label_width, 20, 0);
  Add(L"COMBOBOX", "", CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, left + 190, below + 106, 200,
      120, IDC_DECIMAL_SYMBOL);
  Add(L"BUTTON", text::kStartWithWindows, BS_AUTOCHECKBOX | WS_TABSTOP, left + 190, below + 142,
      500, 22, IDC_START_WITH_WINDOWS);

  FillItems(Handle(IDC_BAUD_RATE), kBaudRateItems);
  FillItems(Handle(IDC_IN_ENCODING), kEncodingItems);
  FillItems(Handle(IDC_OUT_ENCODING), kEncodingItems);
  FillItems(Handle(IDC_DECIMAL_SYMBOL), kDecimalItems);
  // Initial items before any configuration is loaded.
  Load(TSettingsForm{});
}

HWND TSettingsPanel::Handle(int id) const {
  return GetDlgItem(parent_, id);
}

HWND TSettingsPanel::Control(TSettingsControl control) const {
  switch (control) {
    case TSettingsControl::scIPAddress:
      return Handle(IDC_IP_ADDRESS);
    case TSettingsControl::scPort:
      return Handle(IDC_PORT);
    case TSettingsControl::scPortNames:
      return Handle(IDC_PORT_NAMES);
    case TSettingsControl::scBaudRate:
      return Handle(IDC_BAUD_RATE);
    case TSettingsControl::scInEncoding:
      return Handle(IDC_IN_ENCODING);
    case TSettingsControl::scOutEncoding:
      return Handle(IDC_OUT_ENCODING);
    case TSettingsControl::scPath:
      return Handle(IDC_PATH);
    case TSettingsControl::scDecimalSymbol:
      return Handle(IDC_DECIMAL_SYMBOL);
    case TSettingsControl::scNone:
      break;
  }
  return nullptr;
}

void TSettingsPanel::FillPortNames() {
  const std::string chosen = PortNameText();
  port_names_ = ports_ ? ports_() : std::vector<std::string>{};
  HWND combo = Handle(IDC_PORT_NAMES);
  FillItems(combo, port_names_);
  const int index = chosen.empty() ? -1 : FindItem(chosen, port_names_);
  SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
}

void TSettingsPanel::Load(const TSettingsForm& form) {
  filtering_ = true;
  SwitchConnType(form.connType);
  const bool ethernet = form.connType != 0;
  SendMessageW(Handle(IDC_RB_ETHERNET), BM_SETCHECK, ethernet ? BST_CHECKED : BST_UNCHECKED, 0);
  SendMessageW(Handle(IDC_RB_SERIAL), BM_SETCHECK, ethernet ? BST_UNCHECKED : BST_CHECKED, 0);
  SetWindowTextU8(Handle(IDC_IP_ADDRESS), form.ipAddress);
  SetWindowTextU8(Handle(IDC_PORT), form.portText);
  last_ip_ = form.ipAddress;
  last_port_ = form.portText;
  SendMessageW(Handle(IDC_PORT_NAMES), CB_SETCURSEL, static_cast<WPARAM>(form.portNameIndex), 0);
  SendMessageW(Handle(IDC_BAUD_RATE), CB_SETCURSEL, static_cast<WPARAM>(form.baudRateIndex), 0);
  for (const auto& [id, text] : {std::pair{IDC_IN_ENCODING, &form.inEncoding},
                                 std::pair{IDC_OUT_ENCODING, &form.outEncoding}}) {
    const int index = FindItem(*text, kEncodingItems);
    SendMessageW(Handle(id), CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    if (index < 0)
      SetWindowTextU8(Handle(id), *text);
  }
  SetWindowTextU8(Handle(IDC_PATH), form.path);
  SendMessageW(Handle(IDC_CLEAR_FILES), BM_SETCHECK, form.clearFiles ? BST_CHECKED : BST_UNCHECKED,
               0);
  SendMessageW(Handle(IDC_DECIMAL_SYMBOL), CB_SETCURSEL, static_cast<WPARAM>(form.decimalIndex), 0);
  SendMessageW(Handle(IDC_START_WITH_WINDOWS), BM_SETCHECK,
               form.startWithWindows ? BST_CHECKED : BST_UNCHECKED, 0);
  filtering_ = false;
}

TSettingsForm TSettingsPanel::Read() const {
  TSettingsForm form;
  form.connType = conn_type_;
  form.ipAddress = WindowText(Handle(IDC_IP_ADDRESS));
  form.portText = WindowText(Handle(IDC_PORT));
  form.portNameIndex = static_cast<int>(SendMessageW(Handle(IDC_PORT_NAMES), CB_GETCURSEL, 0, 0));
  form.baudRateIndex = static_cast<int>(SendMessageW(Handle(IDC_BAUD_RATE), CB_GETCURSEL, 0, 0));
  form.inEncoding = WindowText(Handle(IDC_IN_ENCODING));
  form.outEncoding = WindowText(Handle(IDC_OUT_ENCODING));
  form.path = WindowText(Handle(IDC_PATH));
  form.clearFiles = SendMessageW(Handle(IDC_CLEAR_FILES), BM_GETCHECK, 0, 0) == BST_CHECKED;
  form.decimalIndex =
      static_cast<int>(SendMessageW(Handle(IDC_DECIMAL_SYMBOL), CB_GETCURSEL, 0, 0));
  form.startWithWindows =
      SendMessageW(Handle(IDC_START_WITH_WINDOWS), BM_GETCHECK, 0, 0) == BST_CHECKED;
  return form;
}

std::string TSettingsPanel::PortNameText() const {
  return WindowText(Handle(IDC_PORT_NAMES));
}

void TSettingsPanel::SwitchConnType(int kind) {
  conn_type_ = kind;
  if (kind != 0 && kind != 1)
    return;
  const bool serial = kind == 0;
  // A choice-only list cannot be made read-only, so it is disabled instead.
  EnableWindow(Handle(IDC_PORT_NAMES), serial);
  EnableWindow(Handle(IDC_BAUD_RATE), serial);
  SendMessageW(Handle(IDC_IP_ADDRESS), EM_SETREADONLY, serial, 0);
  SendMessageW(Handle(IDC_PORT), EM_SETREADONLY, serial, 0);
  for (int id : {IDC_PORT_NAMES, IDC_BAUD_RATE, IDC_IP_ADDRESS, IDC_PORT})
    InvalidateRect(Handle(id), nullptr, TRUE);
}

HBRUSH TSettingsPanel::OnCtlColor(HDC dc, HWND child) {
  const int id = GetDlgCtrlID(child);
  if (id != IDC_IP_ADDRESS && id != IDC_PORT)
    return nullptr;
  if ((GetWindowLongPtrW(child, GWL_STYLE) & ES_READONLY) == 0)
    return nullptr;
  SetTextColor(dc, kMaroon);
  SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
  return read_only_brush_;
}

void TSettingsPanel::Focus(TSettingsControl control) {
  HWND target = Control(control);
  if (target != nullptr && IsWindowEnabled(target) && IsWindowVisible(target))
    SetFocus(target);
}

void TSettingsPanel::FilterEdit(HWND edit, std::string& lastGood,
                                bool (*accepts)(std::string_view)) {
  if (filtering_)
    return;
  const std::string now = WindowText(edit);
  if (accepts(now)) {
    lastGood = now;
    return;
  }
  // Put the last acceptable text back: the mask refuses the keystroke or paste.
  filtering_ = true;
  SetWindowTextU8(edit, lastGood);
  const auto end = static_cast<WPARAM>(W(lastGood).size());
  SendMessageW(edit, EM_SETSEL, end, static_cast<LPARAM>(end));
  MessageBeep(MB_OK);
  filtering_ = false;
}

void TSettingsPanel::BrowseFolder() {
  const std::string start = WindowText(Handle(IDC_PATH));
  const std::string chosen = chooser_ ? chooser_(start) : SystemFolderChooser(parent_, start);
  if (!chosen.empty())
    SetWindowTextU8(Handle(IDC_PATH), chosen);
}

bool TSettingsPanel::OnCommand(int id, int code, HWND) {
  switch (id) {
    case IDC_RB_SERIAL:
      if (code == BN_CLICKED)
        SwitchConnType(SendMessageW(Handle(IDC_RB_SERIAL), BM_GETCHECK, 0, 0) == BST_CHECKED ? 0
                                                                                             : 1);
      return true;
    case IDC_RB_ETHERNET:
      if (code == BN_CLICKED)
        SwitchConnType(SendMessageW(Handle(IDC_RB_ETHERNET), BM_GETCHECK, 0, 0) == BST_CHECKED ? 1
                                                                                               : 0);
      return true;
    case IDC_PORT_NAMES:
      if (code == CBN_DROPDOWN)
        FillPortNames();
      return true;
    case IDC_IP_ADDRESS:
      if (code == EN_CHANGE)
        FilterEdit(Handle(IDC_IP_ADDRESS), last_ip_, &IpMaskCanComplete);
      return true;
    case IDC_PORT:
      if (code == EN_CHANGE)
        FilterEdit(Handle(IDC_PORT), last_port_, &NumberTextOk);
      return true;
    case IDC_PATH_BROWSE:
      if (code == BN_CLICKED)
        BrowseFolder();
      return true;
    default:
      return false;
  }
}

}  // namespace meridox::app::win32

#include "app/win32/main_window.h"

#include <commctrl.h>

#include <atomic>
#include <exception>
#include <system_error>
#include <thread>

#include "app/shell/autostart.h"
#include "app/shell/clear_folder.h"
#include "app/shell/settings_model.h"
#include "app/shell/ui_texts.h"
#include "app/win32/about_box.h"
#include "app/win32/resource_ids.h"
#include "app/win32/window_bridge.h"
#include "codec/field_codec.h"
#include "config/ini_config.h"
#include "log/logger.h"
#include "log/messages.h"
#include "packing/command_data.h"
#include "packing/packed_data.h"
#include "platform/process_start.h"
#include "platform/serial_port_names.h"
#include "platform/utf8_path.h"

namespace meridox::app::win32 {
namespace {

constexpr wchar_t kWindowClass[] = L"MeridoxMainWindow";
constexpr UINT WM_TRAY_ICON = WM_APP + 2;
constexpr int kRibbonHeight = 104;
constexpr int kButtonWidth = 84;
constexpr int kButtonHeight = 70;

struct ButtonSpec {
  TRibbonButton button;
  int id;
  std::string_view caption;
  int x;
};

constexpr ButtonSpec kButtons[] = {
    {TRibbonButton::rbCheckConn, IDC_CHECK_CONN, text::kCheckConn, 8},
    {TRibbonButton::rbCloseReceipt, IDC_CLOSE_RECEIPT, text::kCloseReceipt, 96},
    {TRibbonButton::rbAllVoid, IDC_ALL_VOID, text::kAllVoid, 184},
    {TRibbonButton::rbXReport, IDC_X_REPORT, text::kXReport, 272},
    {TRibbonButton::rbZReport, IDC_Z_REPORT, text::kZReport, 360},
    {TRibbonButton::rbAbout, IDC_ABOUT, text::kAbout, 460},
    {TRibbonButton::rbApply, IDC_APPLY, text::kApply, 560},
    {TRibbonButton::rbClose, IDC_CLOSE, text::kExit, 648},
};

struct GroupSpec {
  std::string_view caption;
  int left;
  int right;
};

constexpr GroupSpec kGroups[] = {
    {text::kGroupOperations, 4, 448},
    {text::kGroupAbout, 456, 548},
    {text::kGroupGeneral, 556, 736},
};

HICON AppIcon() {
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_MERIDOX));
  return icon != nullptr ? icon : LoadIconW(nullptr, IDI_APPLICATION);
}

platform::RunKeyStore* OwnRunKeysIfNeeded(const TTrayAppOptions& options,
                                          std::unique_ptr<platform::RunKeyStore>& own) {
  if (options.RunKeys != nullptr)
    return options.RunKeys;
  own = platform::SystemRunKeyStore();
  return own.get();
}

TTrayIcon* OwnTrayIfNeeded(const TTrayAppOptions& options, std::unique_ptr<TTrayIcon>& own) {
  if (options.Tray != nullptr)
    return options.Tray;
  own = CreateShellTrayIcon();
  return own.get();
}

TAppliedSettings Snapshot(const TIniConfig& config) {
  TAppliedSettings s;
  s.connKind = config.ConnKind();
  s.host = config.Host();
  s.port = config.Port();
  s.inEncodingName = config.InEncodingName();
  s.outEncodingName = config.OutEncodingName();
  s.sourceDataPath = config.SourceDataPath();
  s.decimalType = config.DecimalType();
  s.clearFiles = config.ClearFiles();
  s.bootWithWindow = config.BootWithWindow();
  return s;
}

}  // namespace

TMainWindow::TMainWindow(TTrayAppOptions options)
    : options_(std::move(options)),
      config_(options_.Config != nullptr ? *options_.Config : GetConfig()),
      boxes_(options_.Boxes != nullptr ? *options_.Boxes : SystemMessageBoxes()),
      tray_(*OwnTrayIfNeeded(options_, own_tray_)),
      run_keys_(*OwnRunKeysIfNeeded(options_, own_run_keys_)),
      settings_(options_.Ports ? options_.Ports
                               : TSettingsPanel::TPortLister(&platform::ListSerialPortNames)) {}

TMainWindow::~TMainWindow() {
  if (window_ != nullptr) {
    FormDestroy();
    DestroyWindow(window_);
  }
}

HWND TMainWindow::Button(TRibbonButton button) const {
  for (const ButtonSpec& spec : kButtons) {
    if (spec.button == button)
      return GetDlgItem(window_, spec.id);
  }
  return nullptr;
}

bool TMainWindow::Create() {
  static const bool registered = [] {
    INITCOMMONCONTROLSEX controls{sizeof(controls),
                                  ICC_STANDARD_CLASSES | ICC_BAR_CLASSES | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSEXW cls{};
    cls.cbSize = sizeof(cls);
    cls.lpfnWndProc = &TMainWindow::WindowProc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hIcon = AppIcon();
    cls.hIconSm = AppIcon();
    cls.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    cls.lpszClassName = kWindowClass;
    return RegisterClassExW(&cls) != 0;
  }();
  if (!registered)
    return false;
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  window_ =
      CreateWindowExW(0, kWindowClass, W(text::kAppTitle).c_str(), style, CW_USEDEFAULT,
                      CW_USEDEFAULT, 872, 560, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  if (window_ == nullptr)
    return false;
  SetClientSizeCentred(window_, kClientWidth, kClientHeight);
  CreateControls();
  FormCreate();
  return true;
}

void TMainWindow::CreateControls() {
  tooltip_ = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP,
                             CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, window_,
                             nullptr, nullptr, nullptr);
  for (const ButtonSpec& spec : kButtons) {
    const std::wstring caption = W(spec.caption);
    HWND button =
        CreateWindowExW(0, L"BUTTON", caption.c_str(),
                        WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON | BS_MULTILINE, spec.x,
                        6, kButtonWidth, kButtonHeight, window_,
                        reinterpret_cast<HMENU>(static_cast<INT_PTR>(spec.id)), nullptr, nullptr);
    SendMessageW(button, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), TRUE);
    // The caption doubles as the hint.
    TOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
    tool.hwnd = window_;
    tool.uId = reinterpret_cast<UINT_PTR>(button);
    tool.lpszText = const_cast<wchar_t*>(caption.c_str());
    SendMessageW(tooltip_, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  }
  settings_.Create(window_, kRibbonHeight + 12);
  HWND status = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                                window_, reinterpret_cast<HMENU>(IDC_STATUS_BAR), nullptr, nullptr);
  SendMessageW(status, SB_SIMPLE, TRUE, 0);
}

void TMainWindow::FormCreate() {
  tray_.Add(window_, WM_TRAY_ICON, AppIcon(), text::kAppTitle);
  SetWindowTextU8(window_, text::kAppTitle);
  taskbar_created_ = RegisterWindowMessageW(L"TaskbarCreated");
  try {
    logger_ = std::make_unique<TLogger>(
        options_.LogDir.empty() ? AppPath() + "Log\\" : options_.LogDir, TLogShower{},
        options_.Clock != nullptr ? *options_.Clock : platform::SystemClock());
  } catch (const std::exception& error) {
    // The program still bridges without its log.
    Box(error.what());
  }
  codec_ = std::make_unique<codec::TccEncode>();
  settings_.FillPortNames();
  config_.ReadConfig();
  settings_.Load(LoadSettingsForm(config_, settings_.PortNames()));
  std::error_code error;
  const std::filesystem::path watched = platform::PathFromUtf8(config_.SourceDataPath());
  if (config_.ClearFiles() && !config_.SourceDataPath().empty() &&
      std::filesystem::is_directory(watched, error))
    ClearFolder(watched);

  TEndDailyWindowOptions dialog = options_.DialogOptions;
  if (dialog.Clock == nullptr)
    dialog.Clock = options_.Clock;
  if (dialog.Boxes == nullptr)
    dialog.Boxes = &boxes_;
  bridge_ = std::make_unique<TWindowBridge>(window_, boxes_, dialog);
  jobs::TManagerServices services;
  services.Codec = codec_.get();
  services.Logger = logger_.get();
  services.Config = &config_;
  services.Notices = bridge_.get();
  services.Prompts = bridge_.get();
  services.Clock = options_.Clock;
  manager_ = std::make_unique<jobs::TManager>(services, options_.ManagerOptions);
  const TSettingsForm form = settings_.Read();
  manager_->SetDecimalType(form.decimalIndex == 1 ? packing::TDecimalType::dtDot
                                                  : packing::TDecimalType::dtComma);
  manager_->SetInEncoding(
      jobs::TTextEncoding(EncodingForItem(FindItem(form.inEncoding, kEncodingItems))));
  manager_->SetOutEncoding(
      jobs::TTextEncoding(EncodingForItem(FindItem(form.outEncoding, kEncodingItems))));
  manager_->SetLineDelimiter("/");
  manager_->SetReceiptsDir(config_.SourceDataPath());
  try {
    manager_->SetAnswerDir(config_.AnswerPath());
  } catch (const std::exception& failure) {
    Box(failure.what());
  }
  manager_->SetStoped(config_.SourceDataPath().empty());
  manager_->SetMessagePump(&PumpPendingMessages);
  manager_->Start();
  if (config_.SourceDataPath().empty())
    ShowWindow(window_, SW_SHOW);
}

void TMainWindow::FormDestroy() {
  if (closing_)
    return;
  closing_ = true;
  ShowWindow(window_, SW_HIDE);
  if (manager_ != nullptr) {
    manager_->Terminate();
    // The worker may still need this thread for a notice or a prompt: keep handling
    // messages until it has ended.
    std::atomic<bool> ended{false};
    std::thread waiter([this, &ended] {
      manager_->WaitFor();
      ended = true;
    });
    while (!ended) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, 20, QS_ALLINPUT);
      PumpPendingMessages();
    }
    waiter.join();
  }
  manager_.reset();
  bridge_.reset();
  codec_.reset();
  logger_.reset();
  tray_.Remove();
}

int TMainWindow::Box(std::string_view text, UINT flags) {
  return boxes_.Show(window_, text, text::kAppTitle, flags);
}

LRESULT CALLBACK TMainWindow::WindowProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<TMainWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self == nullptr || self->window_ == nullptr)
    return DefWindowProcW(window, message, wparam, lparam);
  return self->OnMessage(message, wparam, lparam);
}

LRESULT TMainWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_MANAGER_NOTIFY:
      WMManagerNotify(reinterpret_cast<const wchar_t*>(wparam), lparam);
      return 1;
    case WM_RUN_ON_UI:
      return TWindowBridge::RunRequest(lparam);
    case WM_TRAY_ICON:
      if (lparam == WM_LBUTTONDBLCLK)
        ShowFromTray();
      else if (lparam == WM_RBUTTONUP || lparam == WM_CONTEXTMENU)
        ShowTrayMenu();
      return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_MINIMIZE) {
        // Minimised means gone to the tray, off the task bar too.
        ShowWindow(window_, SW_HIDE);
        return 0;
      }
      break;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      RECT rect{0, 0, kClientWidth, kClientHeight};
      AdjustWindowRectEx(&rect, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                         static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
      info->ptMinTrackSize = {rect.right - rect.left, rect.bottom - rect.top};
      info->ptMaxTrackSize = info->ptMinTrackSize;
      return 0;
    }
    case WM_COMMAND:
      OnCommand(LOWORD(wparam), HIWORD(wparam), reinterpret_cast<HWND>(lparam));
      return 0;
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORSTATIC: {
      HBRUSH brush =
          settings_.OnCtlColor(reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
      if (brush != nullptr)
        return reinterpret_cast<LRESULT>(brush);
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window_, &paint);
      PaintRibbon(dc);
      EndPaint(window_, &paint);
      return 0;
    }
    case WM_CLOSE:
      if (operation_running_) {
        // Ends once the running operation has given the ECR back.
        close_pending_ = true;
        return 0;
      }
      FormDestroy();
      DestroyWindow(window_);
      return 0;
    case WM_DESTROY:
      window_ = nullptr;
      PostQuitMessage(0);
      return 0;
    default:
      if (taskbar_created_ != 0 && message == taskbar_created_) {
        // The shell restarted: put the icon back.
        tray_.Remove();
        tray_.Add(window_, WM_TRAY_ICON, AppIcon(), text::kAppTitle);
        return 0;
      }
      break;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

void TMainWindow::PaintRibbon(HDC dc) {
  RECT band{0, 0, kClientWidth, kRibbonHeight};
  HBRUSH background = CreateSolidBrush(RGB(248, 249, 251));
  FillRect(dc, &band, background);
  DeleteObject(background);
  HPEN line = CreatePen(PS_SOLID, 1, RGB(200, 204, 212));
  HGDIOBJ old_pen = SelectObject(dc, line);
  MoveToEx(dc, 0, kRibbonHeight - 1, nullptr);
  LineTo(dc, kClientWidth, kRibbonHeight - 1);
  HGDIOBJ old_font = SelectObject(dc, UiFont());
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(80, 84, 96));
  for (const GroupSpec& group : kGroups) {
    MoveToEx(dc, group.right + 3, 8, nullptr);
    LineTo(dc, group.right + 3, kRibbonHeight - 8);
    RECT caption{group.left, 80, group.right, kRibbonHeight - 4};
    const std::wstring wide = W(group.caption);
    DrawTextW(dc, wide.c_str(), -1, &caption, DT_CENTER | DT_SINGLELINE | DT_VCENTER);
  }
  SelectObject(dc, old_font);
  SelectObject(dc, old_pen);
  DeleteObject(line);
}

void TMainWindow::WMManagerNotify(const wchar_t* text, LPARAM kind) {
  const std::string copy = text != nullptr ? U8(text) : std::string();
  tray_.ShowBalloon(kind == 1 ? msg::sError : msg::sInformation, copy, kind == 1);
}

void TMainWindow::ShowFromTray() {
  ShowWindow(window_, SW_SHOW);
  ShowWindow(window_, SW_RESTORE);
  SetForegroundWindow(window_);
}

void TMainWindow::ShowTrayMenu() {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, IDM_SETTING, W(text::kTraySettings).c_str());
  AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
  AppendMenuW(menu, MF_STRING, IDM_CLOSE, W(text::kExit).c_str());
  POINT at;
  GetCursorPos(&at);
  // Without this the menu would not close when the operator clicks elsewhere.
  SetForegroundWindow(window_);
  TrackPopupMenu(menu, TPM_RIGHTBUTTON, at.x, at.y, 0, window_, nullptr);
  PostMessageW(window_, WM_NULL, 0, 0);
  DestroyMenu(menu);
}

void TMainWindow::OnCommand(int id, int code, HWND child) {
  if (closing_)
    return;
  switch (id) {
    case IDM_SETTING:
      ShowFromTray();
      return;
    case IDM_CLOSE:
    case IDC_CLOSE:
      PostMessageW(window_, WM_CLOSE, 0, 0);
      return;
    case IDC_ABOUT:
      if (code == BN_CLICKED)
        ShowAbout(window_, text::kAppTitle);
      return;
    case IDC_CHECK_CONN:
    case IDC_CLOSE_RECEIPT:
    case IDC_ALL_VOID:
    case IDC_X_REPORT:
    case IDC_Z_REPORT:
    case IDC_APPLY:
      if (code == BN_CLICKED)
        RunOperation(id);
      return;
    default:
      settings_.OnCommand(id, code, child);
      return;
  }
}

void TMainWindow::RunOperation(int id) {
  // The lock's wait handles messages; a second operation started meanwhile would take
  // turns with the first on the same lock, so the buttons wait for this one.
  if (operation_running_ || manager_ == nullptr)
    return;
  operation_running_ = true;
  for (const ButtonSpec& spec : kButtons)
    EnableWindow(GetDlgItem(window_, spec.id), FALSE);
  const auto outcome = [this](const jobs::TResult& result) {
    Box(result.Code == jobs::TRetCode::rcSuccess ? std::string(msg::sOK) : result.Msg);
  };
  const auto report = [this](bool ok) { Box(ok ? msg::sOK : msg::sError); };
  switch (id) {
    case IDC_CHECK_CONN:
      outcome(manager_->Connect(true));
      break;
    case IDC_CLOSE_RECEIPT:
      outcome(manager_->CloseReceipt());
      break;
    case IDC_ALL_VOID:
      outcome(manager_->AllVoid());
      break;
    case IDC_X_REPORT:
      report(manager_->PrintReport(packing::TUploadReportMode::umXDailyReport, true));
      break;
    case IDC_Z_REPORT:
      report(manager_->PrintReport(packing::TUploadReportMode::umZDailyReport, true));
      break;
    case IDC_APPLY:
      BtnApplyClick();
      break;
    default:
      break;
  }
  for (const ButtonSpec& spec : kButtons)
    EnableWindow(GetDlgItem(window_, spec.id), TRUE);
  operation_running_ = false;
  if (close_pending_)
    PostMessageW(window_, WM_CLOSE, 0, 0);
}

void TMainWindow::BtnApplyClick() {
  const TApplyCheck check = CheckSettings(settings_.Read(), settings_.PortNameText());
  if (!check.ok) {
    Box(check.message);
    settings_.Focus(check.focus);
    return;
  }
  // A restart must not cut a command file short: wait for a pass in progress (bounded by
  // the lock's wait) and keep the worker from starting another.
  if (!manager_->Lock()) {
    manager_->UnLock();
    return;
  }
  const std::filesystem::path exe =
      options_.ExecutablePath.empty() ? platform::CurrentExecutablePath() : options_.ExecutablePath;
  const TAutoStartResult autostart =
      SetAutoStart(run_keys_, check.settings.bootWithWindow, platform::Utf8FromPath(exe));
  if (!autostart.ok) {
    Box(autostart.error);
    manager_->UnLock();
    return;
  }
  const TAppliedSettings previous = Snapshot(config_);
  StoreSettings(check.settings, config_);
  try {
    config_.WriteConfig();
  } catch (const std::exception& error) {
    // The login writes the whole configuration later: it must not save refused values.
    StoreSettings(previous, config_);
    Box(error.what());
    manager_->UnLock();
    return;
  }
  Box(msg::Format(text::kApplyDone, std::string(msg::sOK).c_str(),
                  std::string(msg::sAppWillRestart).c_str()));
  const TRestarter restart = options_.Restart ? options_.Restart : SystemRestarter();
  std::string error;
  if (!restart(exe, {std::string(text::kRestartArgument)}, &error))
    Box(error);
  manager_->UnLock();
}

}  // namespace meridox::app::win32

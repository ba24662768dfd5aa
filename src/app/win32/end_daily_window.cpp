#include "app/win32/end_daily_window.h"

#include <memory>

#include "app/shell/ui_texts.h"
#include "app/win32/modal_dialog.h"
#include "app/win32/resource_ids.h"
#include "log/messages.h"

namespace meridox::app::win32 {
namespace {

constexpr int kClientWidth = 424;
constexpr int kClientHeight = 157;
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kShownMessage = WM_APP + 1;

struct DialogState {
  jobs::TEndDailyEcr* ecr = nullptr;
  const TEndDailyWindowOptions* options = nullptr;
  std::unique_ptr<jobs::TEndDailyDialogModel> model;
  HWND dialog = nullptr;
  bool ended = false;
};

void Update(DialogState& state) {
  if (state.ended)
    return;
  jobs::TEndDailyDialogModel& model = *state.model;
  if (model.Closed()) {
    state.ended = true;
    KillTimer(state.dialog, kTimerId);
    EndDialog(state.dialog, model.Result() == jobs::TDialogResult::drOK ? IDOK : IDCANCEL);
    return;
  }
  EnableWindow(GetDlgItem(state.dialog, IDC_END_DAILY_YES), model.YesEnabled());
  EnableWindow(GetDlgItem(state.dialog, IDC_END_DAILY_CANCEL), model.CancelEnabled());
  SetWindowTextU8(GetDlgItem(state.dialog, IDC_END_DAILY_COUNT),
                  TransferAttemptText(model.CurCancelCount()));
  if (state.options->OnUpdate)
    state.options->OnUpdate(state.dialog);
}

HWND Child(HWND parent, const wchar_t* cls, std::string_view text, DWORD style, int x, int y,
           int width, int height, int id, HFONT font) {
  HWND child =
      CreateWindowExW(0, cls, W(text).c_str(), WS_CHILD | WS_VISIBLE | style, x, y, width, height,
                      parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), nullptr, nullptr);
  SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  return child;
}

void ButtonOperation(DialogState& state, bool select) {
  // The hourglass over the whole screen while the request runs.
  SetCapture(state.dialog);
  HCURSOR previous = SetCursor(LoadCursorW(nullptr, IDC_WAIT));
  if (select)
    state.model->SelectClick();
  else
    state.model->CancelClick();
  SetCursor(previous);
  ReleaseCapture();
  Update(state);
}

INT_PTR CALLBACK EndDailyProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<DialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
  switch (message) {
    case WM_INITDIALOG: {
      state = reinterpret_cast<DialogState*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      state->dialog = dialog;
      SetClientSizeCentred(dialog, kClientWidth, kClientHeight);
      Child(dialog, L"STATIC", text::kTransferQuestion, SS_CENTER, 12, 20, 400, 30,
            IDC_END_DAILY_MSG, UiBoldFont(12));
      Child(dialog, L"STATIC", TransferAttemptText(0), SS_CENTER, 12, 62, 400, 22,
            IDC_END_DAILY_COUNT, UiFont());
      // The bottom panel with the two buttons.
      Child(dialog, L"BUTTON", jobs::TEndDailyDialogModel::YesCaption(), WS_TABSTOP | BS_PUSHBUTTON,
            116, 112, 90, 30, IDC_END_DAILY_YES, UiFont());
      Child(dialog, L"BUTTON", jobs::TEndDailyDialogModel::CancelCaption(),
            WS_TABSTOP | BS_PUSHBUTTON, 218, 112, 90, 30, IDC_END_DAILY_CANCEL, UiFont());
      SetWindowTextU8(dialog, jobs::TEndDailyDialogModel::Caption());
      // The worker may ask while the main window sits in the tray.
      SetForegroundWindow(dialog);
      state->model->Open();
      SetTimer(dialog, kTimerId, static_cast<UINT>(state->options->Tick.count()), nullptr);
      PostMessageW(dialog, kShownMessage, 0, 0);
      Update(*state);
      return TRUE;
    }
    case kShownMessage:
      if (state != nullptr)
        Update(*state);
      return TRUE;
    case WM_TIMER:
      if (state != nullptr && wparam == kTimerId && !state->ended && state->model->TimerEnabled()) {
        state->model->TimerTick();
        Update(*state);
      }
      return TRUE;
    case WM_SETCURSOR:
      if (state != nullptr && state->model->OperationRunning()) {
        SetCursor(LoadCursorW(nullptr, IDC_WAIT));
        SetWindowLongPtrW(dialog, DWLP_MSGRESULT, TRUE);
        return TRUE;
      }
      return FALSE;
    case WM_COMMAND:
      if (state == nullptr || state->ended)
        return TRUE;
      // The buttons have ids of their own, so Enter (IDOK) does nothing and Escape
      // (IDCANCEL) is the close box, never a cancel request to the ECR.
      if (LOWORD(wparam) == IDC_END_DAILY_YES && HIWORD(wparam) == BN_CLICKED) {
        if (state->model->YesEnabled())
          ButtonOperation(*state, true);
        return TRUE;
      }
      if (LOWORD(wparam) == IDC_END_DAILY_CANCEL && HIWORD(wparam) == BN_CLICKED) {
        if (state->model->CancelEnabled())
          ButtonOperation(*state, false);
        return TRUE;
      }
      if (LOWORD(wparam) == IDCANCEL) {
        state->model->CloseBox();
        Update(*state);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      if (state != nullptr && !state->ended) {
        state->model->CloseBox();
        Update(*state);
      }
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

std::string TransferAttemptResource() {
  HMODULE module = GetModuleHandleW(nullptr);
  // Strings live in blocks of 16; block n + 1 holds ids 16n .. 16n + 15, each a length
  // word and that many UTF-16 units.
  const WORD language = MAKELANGID(LANG_GREEK, SUBLANG_GREEK_GREECE);
  HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(6),
                                MAKEINTRESOURCEW(IDS_TRANSFER_ATTEMPT / 16 + 1), language);
  if (found == nullptr)
    return {};
  HGLOBAL loaded = LoadResource(module, found);
  const DWORD size = SizeofResource(module, found);
  const auto* words = static_cast<const WCHAR*>(LockResource(loaded));
  if (words == nullptr)
    return {};
  const size_t total = size / sizeof(WCHAR);
  size_t at = 0;
  for (int index = 0; index < IDS_TRANSFER_ATTEMPT % 16; ++index) {
    if (at >= total)
      return {};
    at += 1 + words[at];
  }
  if (at >= total)
    return {};
  const size_t length = words[at];
  if (at + 1 + length > total)
    return {};
  return U8(std::wstring_view(words + at + 1, length));
}

std::string TransferAttemptText(int count) {
  static const std::string pattern = [] {
    std::string text = TransferAttemptResource();
    return text.empty() ? std::string(msg::sTransferAttempt) : text;
  }();
  // The resource is data, not a format: only its one %d is filled.
  std::string out = pattern;
  const size_t at = out.find("%d");
  if (at != std::string::npos)
    out.replace(at, 2, std::to_string(count));
  return out;
}

bool ShowEndDailyConfirm(HWND owner, jobs::TEndDailyEcr& ecr,
                         const TEndDailyWindowOptions& options) {
  DialogState state;
  state.ecr = &ecr;
  state.options = &options;
  TMessageBoxes& boxes = options.Boxes != nullptr ? *options.Boxes : SystemMessageBoxes();
  platform::Clock& clock = options.Clock != nullptr ? *options.Clock : platform::SystemClock();
  state.model = std::make_unique<jobs::TEndDailyDialogModel>(
      ecr, clock,
      [&boxes, &state](const std::string& text) {
        boxes.Show(state.dialog, text, std::string(text::kAppTitle), MB_OK);
      },
      options.Limit);
  const INT_PTR result = RunModalDialog(owner, jobs::TEndDailyDialogModel::Caption(), EndDailyProc,
                                        reinterpret_cast<LPARAM>(&state));
  return result == IDOK;
}

}  // namespace meridox::app::win32

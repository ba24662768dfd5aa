#include "app/win32/about_box.h"

#include <string>

#include "app/shell/about_info.h"
#include "app/win32/modal_dialog.h"
#include "app/win32/resource_ids.h"
#include "app/win32/ui_services.h"

namespace meridox::app::win32 {
namespace {

constexpr int kClientWidth = 734;
constexpr int kClientHeight = 298;
constexpr int kPictureWidth = 500;
constexpr int kPictureHeight = 300;

struct AboutState {
  TAboutInfo info;
  const TAboutOptions* options;
};

void FillRectColour(HDC dc, int left, int top, int right, int bottom, COLORREF colour) {
  RECT rect{left, top, right, bottom};
  HBRUSH brush = CreateSolidBrush(colour);
  FillRect(dc, &rect, brush);
  DeleteObject(brush);
}

void RoundBox(HDC dc, int left, int top, int right, int bottom, COLORREF fill, COLORREF line) {
  HBRUSH brush = CreateSolidBrush(fill);
  HPEN pen = CreatePen(PS_SOLID, 2, line);
  HGDIOBJ old_brush = SelectObject(dc, brush);
  HGDIOBJ old_pen = SelectObject(dc, pen);
  RoundRect(dc, left, top, right, bottom, 14, 14);
  SelectObject(dc, old_brush);
  SelectObject(dc, old_pen);
  DeleteObject(brush);
  DeleteObject(pen);
}

INT_PTR CALLBACK AboutProc(HWND dialog, UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_INITDIALOG: {
      auto* state = reinterpret_cast<AboutState*>(lparam);
      SetWindowLongPtrW(dialog, DWLP_USER, lparam);
      SetClientSizeCentred(dialog, kClientWidth, kClientHeight);
      CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE | SS_OWNERDRAW, 0, 0, kPictureWidth,
                      kPictureHeight, dialog, reinterpret_cast<HMENU>(IDC_ABOUT_IMAGE), nullptr,
                      nullptr);
      HWND caption = CreateWindowExW(0, L"STATIC", W(state->info.Title).c_str(),
                                     WS_CHILD | WS_VISIBLE, 524, 70, 200, 40, dialog,
                                     reinterpret_cast<HMENU>(IDC_ABOUT_CAPTION), nullptr, nullptr);
      SendMessageW(caption, WM_SETFONT, reinterpret_cast<WPARAM>(UiBoldFont(20)), TRUE);
      HWND version = CreateWindowExW(0, L"STATIC", W(state->info.Version).c_str(),
                                     WS_CHILD | WS_VISIBLE, 524, 124, 200, 22, dialog,
                                     reinterpret_cast<HMENU>(IDC_ABOUT_VERSION), nullptr, nullptr);
      SendMessageW(version, WM_SETFONT, reinterpret_cast<WPARAM>(UiBoldFont()), TRUE);
      HWND ok = CreateWindowExW(0, L"BUTTON", L"OK",
                                WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_DEFPUSHBUTTON, 624, 252, 90,
                                28, dialog, reinterpret_cast<HMENU>(IDOK), nullptr, nullptr);
      SendMessageW(ok, WM_SETFONT, reinterpret_cast<WPARAM>(UiFont()), TRUE);
      SetFocus(ok);
      if (state->options->OnShown)
        PostMessageW(dialog, WM_APP, 0, 0);
      return FALSE;
    }
    case WM_APP: {
      auto* state = reinterpret_cast<AboutState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      if (state != nullptr && state->options->OnShown)
        state->options->OnShown(dialog);
      return TRUE;
    }
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
      SetBkColor(reinterpret_cast<HDC>(wparam), RGB(255, 255, 255));
      return reinterpret_cast<INT_PTR>(GetStockObject(WHITE_BRUSH));
    case WM_DRAWITEM: {
      const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lparam);
      if (item->CtlID == IDC_ABOUT_IMAGE) {
        PaintAboutPicture(item->hDC, 0, 0);
        return TRUE;
      }
      return FALSE;
    }
    case WM_COMMAND:
      if (LOWORD(wparam) == IDOK || LOWORD(wparam) == IDCANCEL) {
        EndDialog(dialog, LOWORD(wparam));
        return TRUE;
      }
      return FALSE;
    default:
      return FALSE;
  }
}

}  // namespace

void PaintAboutPicture(HDC dc, int x, int y) {
  // A deep blue sky fading down, a register on a counter, a receipt leaving it.
  for (int band = 0; band < kPictureHeight; band += 4) {
    const int shade = band * 120 / kPictureHeight;
    FillRectColour(dc, x, y + band, x + kPictureWidth, y + band + 4,
                   RGB(20 + shade / 3, 60 + shade / 2, 130 + shade));
  }
  FillRectColour(dc, x, y + 236, x + kPictureWidth, y + kPictureHeight, RGB(70, 50, 40));
  // The register body and its display.
  RoundBox(dc, x + 150, y + 120, x + 390, y + 240, RGB(60, 64, 72), RGB(20, 20, 24));
  RoundBox(dc, x + 170, y + 92, x + 300, y + 130, RGB(30, 34, 40), RGB(20, 20, 24));
  FillRectColour(dc, x + 180, y + 100, x + 290, y + 122, RGB(60, 220, 120));
  // Keys.
  for (int row = 0; row < 3; ++row) {
    for (int col = 0; col < 5; ++col) {
      const int left = x + 176 + col * 40;
      const int top = y + 148 + row * 28;
      RoundBox(dc, left, top, left + 30, top + 20, RGB(220, 220, 210), RGB(90, 90, 90));
    }
  }
  // The receipt with its printed lines.
  RoundBox(dc, x + 318, y + 30, x + 378, y + 132, RGB(250, 250, 245), RGB(180, 180, 170));
  for (int line = 0; line < 6; ++line)
    FillRectColour(dc, x + 326, y + 42 + line * 13, x + (line % 2 ? 360 : 370), y + 46 + line * 13,
                   RGB(90, 90, 100));
  // A folder of command files feeding it, joined by a cable.
  RoundBox(dc, x + 40, y + 150, x + 120, y + 214, RGB(240, 200, 80), RGB(150, 110, 30));
  HPEN cable = CreatePen(PS_SOLID, 4, RGB(240, 240, 240));
  HGDIOBJ old = SelectObject(dc, cable);
  MoveToEx(dc, x + 120, y + 190, nullptr);
  LineTo(dc, x + 150, y + 190);
  SelectObject(dc, old);
  DeleteObject(cable);
  // The name.
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  HGDIOBJ old_font = SelectObject(dc, UiBoldFont(22));
  RECT title{x + 20, y + 16, x + 300, y + 60};
  DrawTextW(dc, L"MERIDOX", -1, &title, DT_LEFT | DT_SINGLELINE);
  SelectObject(dc, old_font);
}

void ShowAbout(HWND owner, std::string_view appTitle, const TAboutOptions& options) {
  AboutState state{GetAboutInfo(appTitle), &options};
  RunModalDialog(owner, "About", AboutProc, reinterpret_cast<LPARAM>(&state));
}

}  // namespace meridox::app::win32

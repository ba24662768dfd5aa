// Not a test: the scenes scripts/screenshots.sh photographs (disabled unless asked for).
// Each scene saves the screen as a BMP into the folder MERIDOX_SCREENSHOT_DIR names.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <vector>

#include "app/win32/about_box.h"
#include "app/win32/end_daily_window.h"
#include "app/win32/resource_ids.h"
#include "gui_fixture.h"

namespace meridox::app::win32::testing {
namespace {

using namespace std::chrono_literals;

std::string ShotDir() {
  const char* dir = std::getenv("MERIDOX_SCREENSHOT_DIR");
  return dir != nullptr ? dir : "";
}

// The whole screen as a 24-bit BMP.
bool SaveScreen(const std::string& name) {
  PumpUntil([] { return false; }, 300ms);
  const int width = GetSystemMetrics(SM_CXSCREEN);
  const int height = GetSystemMetrics(SM_CYSCREEN);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof(info.bmiHeader);
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = height;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  GdiFlush();
  const DWORD stride = ((static_cast<DWORD>(width) * 3 + 3) / 4) * 4;
  const DWORD image_size = stride * static_cast<DWORD>(height);
  BITMAPFILEHEADER file{};
  file.bfType = 0x4D42;
  file.bfOffBits = sizeof(file) + sizeof(info.bmiHeader);
  file.bfSize = file.bfOffBits + image_size;
  std::ofstream out(ShotDir() + "\\" + name + ".bmp", std::ios::binary);
  out.write(reinterpret_cast<const char*>(&file), sizeof(file));
  out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof(info.bmiHeader));
  out.write(static_cast<const char*>(bits), image_size);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  return out.good();
}

class ShotEcr : public jobs::TEndDailyEcr {
 public:
  bool Query(std::chrono::milliseconds, int& status, int& count) override {
    status = 1;
    count = 3;
    return true;
  }
  bool Select() override { return true; }
  bool Cancel() override { return true; }
};

std::string g_box_shot;

void CALLBACK ShootAndCloseBox(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND box = FindWindowW(L"#32770", nullptr);
  if (box == nullptr)
    return;
  KillTimer(nullptr, timer);
  SaveScreen(g_box_shot);
  PostMessageW(box, WM_COMMAND, IDOK, 0);
}

TEST(Screenshots, DISABLED_Scenes) {
  ASSERT_FALSE(ShotDir().empty());
  {
    GuiHarness gui(
        "ConnKind=0\r\nHost=COM250\r\nPort=9600\r\nInEncodingName=1253\r\n"
        "OutEncodingName=1253\r\n");
    HWND window = gui.Window().Handle();
    SetForegroundWindow(window);
    EXPECT_TRUE(SaveScreen("main_window"));

    // Ethernet with no address: Apply's first check, in a real message box.
    HWND ip = GetDlgItem(window, IDC_IP_ADDRESS);
    SendMessageW(GetDlgItem(window, IDC_RB_SERIAL), BM_SETCHECK, BST_UNCHECKED, 0);
    SendMessageW(GetDlgItem(window, IDC_RB_ETHERNET), BM_SETCHECK, BST_CHECKED, 0);
    gui.Click(GetDlgItem(window, IDC_RB_ETHERNET));
    SetWindowTextW(ip, L"");
    SetWindowTextW(GetDlgItem(window, IDC_PORT), L"9100");
    g_box_shot = "settings_validation";
    gui.boxes.onShow = [window](const ShownBox& box) {
      SetTimer(nullptr, 0, 200, &ShootAndCloseBox);
      SystemMessageBoxes().Show(window, box.text, box.caption, MB_OK);
    };
    gui.Click(gui.Window().Button(TRibbonButton::rbApply));
    EXPECT_EQ(gui.boxes.shown.size(), 1u);

    TAboutOptions about;
    about.OnShown = [](HWND dialog) {
      SaveScreen("about");
      PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    };
    ShowAbout(window, "MERIDOX[1.0.0.5]", about);

    ShotEcr ecr;
    TEndDailyWindowOptions options;
    options.Tick = 200ms;
    int updates = 0;
    options.OnUpdate = [&updates](HWND dialog) {
      if (++updates == 2) {
        SaveScreen("end_of_day");
        PostMessageW(dialog, WM_CLOSE, 0, 0);
      }
    };
    ShowEndDailyConfirm(window, ecr, options);
  }
  std::ofstream(ShotDir() + "\\done.txt") << "done";
}

}  // namespace
}  // namespace meridox::app::win32::testing

// The About box: our picture, the program's name and version from its title, OK.
#pragma once

#include <windows.h>

#include <functional>
#include <string_view>

namespace meridox::app::win32 {

struct TAboutOptions {
  // Called once the box is up (tests read it and close it; screenshots).
  std::function<void(HWND)> OnShown;
};

void ShowAbout(HWND owner, std::string_view appTitle, const TAboutOptions& options = {});

// Paints the About picture (500 x 300) with its top-left corner at (x, y).
void PaintAboutPicture(HDC dc, int x, int y);

}  // namespace meridox::app::win32

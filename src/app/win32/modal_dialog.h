// A modal dialog without a resource template: an empty in-memory template whose controls
// the dialog procedure creates at pixel positions, so layouts keep their exact sizes.
#pragma once

#include <windows.h>

#include <string_view>

namespace meridox::app::win32 {

// Runs a modal dialog captioned `caption`; `procedure` receives `param` with
// WM_INITDIALOG. Returns the value passed to EndDialog.
INT_PTR RunModalDialog(HWND owner, std::string_view caption, DLGPROC procedure, LPARAM param);

}  // namespace meridox::app::win32

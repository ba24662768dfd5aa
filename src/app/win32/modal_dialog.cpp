#include "app/win32/modal_dialog.h"

#include <cstring>
#include <vector>

#include "app/win32/ui_services.h"

namespace meridox::app::win32 {

INT_PTR RunModalDialog(HWND owner, std::string_view caption, DLGPROC procedure, LPARAM param) {
  const std::wstring title = W(caption);
  // DLGTEMPLATE, then menu, class and the title as UTF-16 words, DWORD aligned.
  std::vector<WORD> words((sizeof(DLGTEMPLATE) + 1) / sizeof(WORD), 0);
  DLGTEMPLATE header{};
  header.style = WS_POPUP | WS_VISIBLE | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_CENTER;
  header.dwExtendedStyle = WS_EX_DLGMODALFRAME;
  header.cdit = 0;
  header.cx = 200;
  header.cy = 100;
  std::memcpy(words.data(), &header, sizeof(header));
  words.resize(sizeof(DLGTEMPLATE) / sizeof(WORD));
  words.push_back(0);  // no menu
  words.push_back(0);  // the standard dialog class
  for (wchar_t c : title)
    words.push_back(static_cast<WORD>(c));
  words.push_back(0);
  words.push_back(0);  // padding
  return DialogBoxIndirectParamW(GetModuleHandleW(nullptr),
                                 reinterpret_cast<LPCDLGTEMPLATEW>(words.data()), owner, procedure,
                                 param);
}

}  // namespace meridox::app::win32

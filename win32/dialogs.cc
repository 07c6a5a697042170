#include "win32/dialogs.h"

#include "win32/detailsbox.h"

int SystemDialogs::MsgBox(HWND owner, const std::string& text,
                          const std::string& title, UINT type,
                          const std::string& details) {
  if (!details.empty()) return DetailsBox(owner, text, title, type, details);
  return MessageBoxA(owner, text.c_str(), title.c_str(), type);
}

bool SystemDialogs::OpenFile(OPENFILENAMEA& ofn, DWORD* error) {
  if (GetOpenFileNameA(&ofn)) {
    *error = 0;
    return true;
  }
  *error = CommDlgExtendedError();
  return false;
}

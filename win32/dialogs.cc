#include "win32/dialogs.h"

int SystemDialogs::MsgBox(HWND owner, const std::string& text,
                          const std::string& title, UINT type) {
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

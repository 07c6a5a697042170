#include <windows.h>

#include "engine/filesystem.h"
#include "win32/dialogs.h"
#include "win32/form1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  SystemDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.EndProgramOnClose();
  form.Show(show);
  MSG msg;
  while (GetMessageA(&msg, nullptr, 0, 0) > 0) {
    if (form.TranslateKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
  return static_cast<int>(msg.wParam);
}

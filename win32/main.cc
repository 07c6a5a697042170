#include <objbase.h>
#include <windows.h>

#include "engine/filesystem.h"
#include "win32/dialogs.h"
#include "win32/form1.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int show) {
  // The shell's icons and its open-file dialog are COM objects of this,
  // the one thread.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
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
  CoUninitialize();
  return static_cast<int>(msg.wParam);
}

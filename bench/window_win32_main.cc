// Runs the Win32 window's batch command over a tree as a user would: the
// window shown, the folder opened in Dir1, the batch button clicked; the
// progress list, the repaint and the message processing after every file are
// the window's own. With --engine, the engine's batch alone, for the ratio
// on the same system. Built for Windows; here it runs under Wine.
#include <objbase.h>
#include <windows.h>
// After windows.h, which it needs.
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "bench/batch.h"
#include "engine/filesystem.h"
#include "win32/dialogs.h"
#include "win32/form1.h"

namespace {

// Answers OK to every box and keeps its text; the batch ends with one box
// that gives the number of projects, and shows no other when all goes well.
class CountingDialogs : public Dialogs {
 public:
  int MsgBox(HWND, const std::string& text, const std::string&, UINT,
             const std::string&) override {
    texts.push_back(text);
    return IDOK;
  }
  bool OpenFile(OPENFILENAMEA&, DWORD* error) override {
    *error = 0;
    return false;
  }

  std::vector<std::string> texts;
};

// Counts the paints of the progress list, to tell how often a batch paints.
LRESULT CALLBACK CountPaints(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp,
                             UINT_PTR, DWORD_PTR paints) {
  if (msg == WM_PAINT) ++*reinterpret_cast<long*>(paints);
  return DefSubclassProc(hwnd, msg, wp, lp);
}

void PumpWaiting() {
  MSG msg;
  while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageA(&msg);
  }
}

}  // namespace

int main(int argc, char** argv) {
  const bool engine = argc == 3 && std::strcmp(argv[1], "--engine") == 0;
  if (argc != 2 && !engine) {
    std::fprintf(stderr, "usage: %s [--engine] ROOT\n", argv[0]);
    return 2;
  }
  const std::string root = argv[argc - 1];
  const ULONGLONG start = GetTickCount64();
  if (engine) {
    const BatchResult r =
        ConvertTree(root, InitTables(), DefaultFileSystem(), true);
    std::printf("seconds=%.3f projects=%zu messages=%zu\n",
                static_cast<double>(GetTickCount64() - start) / 1000.0,
                r.projects, r.infos);
    return r.infos == 0 ? 0 : 1;
  }
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  CountingDialogs dlg;
  long paints = 0;
  {
    Form1 form(dlg, DefaultFileSystem());
    form.Show(SW_SHOWNORMAL);
    PumpWaiting();
    form.Dir1.SetPath(root);
    PumpWaiting();
    SetWindowSubclass(form.lst, CountPaints, 1,
                      reinterpret_cast<DWORD_PTR>(&paints));
    const ULONGLONG clicked = GetTickCount64();
    SendMessageA(form.cmdButton2, BM_CLICK, 0, 0);
    std::printf("seconds=%.3f paints=%ld ",
                static_cast<double>(GetTickCount64() - clicked) / 1000.0,
                paints);
  }
  CoUninitialize();
  const std::string done = "Done converting ";
  if (dlg.texts.empty() || dlg.texts.back().rfind(done, 0) != 0) {
    std::fprintf(stderr, "%s: the batch did not finish\n", argv[0]);
    return 1;
  }
  for (size_t i = 0; i + 1 < dlg.texts.size(); ++i) {
    std::fprintf(stderr, "%s\n", dlg.texts[i].c_str());
  }
  std::printf("%s messages=%zu\n", dlg.texts.back().c_str(),
              dlg.texts.size() - 1);
  return dlg.texts.size() == 1 ? 0 : 1;
}

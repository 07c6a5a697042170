#ifndef WIN32_DIALOGS_H_
#define WIN32_DIALOGS_H_

#include <windows.h>
// After windows.h, which it needs.
#include <cderr.h>
#include <commdlg.h>

#include <string>

// Every modal box and the open-file dialog, so tests can answer them.
class Dialogs {
 public:
  virtual ~Dialogs() = default;
  // A MessageBoxA owned by owner, or where details is not empty a box like
  // it that can also show them; answers the button chosen (IDOK, IDCANCEL).
  virtual int MsgBox(HWND owner, const std::string& text,
                     const std::string& title, UINT type,
                     const std::string& details) = 0;
  // GetOpenFileNameA with ofn as the caller prepared it. False when no file
  // was chosen; *error is then CommDlgExtendedError's code, 0 for a cancel.
  virtual bool OpenFile(OPENFILENAMEA& ofn, DWORD* error) = 0;
};

// What users get: the system's own box and dialog.
class SystemDialogs : public Dialogs {
 public:
  int MsgBox(HWND owner, const std::string& text, const std::string& title,
             UINT type, const std::string& details) override;
  bool OpenFile(OPENFILENAMEA& ofn, DWORD* error) override;
};

#endif  // WIN32_DIALOGS_H_

#ifndef WIN32_FORM1_H_
#define WIN32_FORM1_H_

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "engine/commands.h"
#include "engine/commandsession.h"
#include "engine/filesystem.h"
#include "engine/form1description.h"
#include "engine/tables.h"
#include "win32/filelist.h"
#include "win32/folderlist.h"

class Dialogs;

// The utility's only window. The upper part converts one chosen project; the
// batch area below the separator, out of view until the window is enlarged,
// converts every project one folder level below the folder chosen in Dir1.
// Its commands run in a CommandSession, which drives the window through the
// operations below.
class Form1 : public CommandWindow {
 public:
  // Makes the window, hidden; every file operation of the window and of its
  // conversions goes through fs.
  Form1(Dialogs& dialogs, FileSystem& fs);
  Form1(const Form1&) = delete;
  Form1& operator=(const Form1&) = delete;
  ~Form1() override;

  HWND hwnd() const { return hwnd_; }
  void Show(int how);
  // Closing the window then ends the message loop.
  void EndProgramOnClose() { ends_program_ = true; }
  // The message loop's share of the window: Tab, Enter and the arrows. True
  // when msg was handled and must not be dispatched.
  bool TranslateKeys(MSG& msg);

  void ClearProgress() override;
  void AddProgress(const std::string& text) override;
  size_t ProgressCount() override;
  std::string ProgressItem(size_t i) override;
  void SetProgressItem(size_t i, const std::string& text) override;
  void SelectProgress(size_t i) override;
  bool ShowBox(const BoxDescription& box) override;
  FileChoice OpenFile(const FileDialogDescription& dialog) override;
  const FolderView& Folder() override { return Dir1.View(); }
  FileListing& Files() override { return File1; }
  void SetWindowEnabled(bool yes) override;
  void Repaint() override;
  void PumpEvents() override;
  void Close() override;

  Dialogs& dlg;
  HWND lst = nullptr;
  HWND Label1 = nullptr;
  HWND Label2 = nullptr;
  HWND Label5 = nullptr;
  HWND cmdButton2 = nullptr;
  FolderList Dir1;
  FileList File1;
  HWND cmd = nullptr;
  HWND Label3 = nullptr;
  HWND Label4 = nullptr;
  HWND Line1 = nullptr;

  void cmd_Click();
  void cmdButton2_Click();
  void Dir1_Change();

 private:
  static LRESULT CALLBACK Proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  LRESULT Handle(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void CreateControls();
  HWND* Member(const std::string& name);
  void Form_Load();
  void SetFonts();
  void OnCommand(int id, int code, HWND from);
  void Dir1_Open();
  void RememberFocus();
  void RestoreFocus();
  void PauseProgress();
  void ResumeProgress();

  FileSystem& fs_;
  Tables tables_;
  CommandSession session_;
  HWND hwnd_ = nullptr;
  int dpi_ = 96;
  std::vector<HWND> made_;  // one for each control of the description
  UINT dir1_id_ = 0;
  HFONT font_ = nullptr;
  HFONT bold_ = nullptr;
  HWND focus_ = nullptr;  // the control to give the focus back to
  bool ends_program_ = false;
  bool progress_paused_ = false;  // lst does not paint
};

#endif  // WIN32_FORM1_H_

// The window's two commands: the dialog, the lists, and the command layer.
#include <string>

#include "engine/commands.h"
#include "win32/dialogs.h"
#include "win32/form1.h"

namespace {

// What CommDlgExtendedError's codes mean; the system has no text for them.
const char* DialogErrorText(DWORD error) {
  switch (error) {
    case FNERR_BUFFERTOOSMALL:
      return "The file name chosen is too long.";
    case FNERR_INVALIDFILENAME:
      return "The file name is not valid.";
    case CDERR_MEMALLOCFAILURE:
    case CDERR_MEMLOCKFAILURE:
      return "Not enough memory to open the dialog.";
    default:
      return "The open-file dialog could not be shown.";
  }
}

}  // namespace

void Form1::cmd_Click() {
  // One filter entry, "text\0pattern\0", ended by a second NUL.
  static const char kFilter[] = "Visual Basic Projecs (*.vbp)\0*.vbp\0";
  std::string file(32768, '\0');  // the initial file name is empty
  OPENFILENAMEA ofn{};
  ofn.lStructSize = sizeof ofn;
  ofn.hwndOwner = hwnd_;
  ofn.lpstrFilter = kFilter;
  ofn.lpstrFile = file.data();
  ofn.nMaxFile = static_cast<DWORD>(file.size());
  ofn.lpstrDefExt = "vbp";
  // OFN_FILEMUSTEXIST alone: the dialog changes the current directory to
  // the chosen file's folder and offers its "Open as read-only" box.
  ofn.Flags = 4096;
  DWORD error = 0;
  if (!dlg.OpenFile(ofn, &error)) {
    if (error != 0) {
      ShowFailure(
          "Error " + std::to_string(error) + ": " + DialogErrorText(error),
          std::string());
    }
    return;
  }
  file.resize(file.find('\0'));
  ConvertChosenProject(file, tables_, *this, fs_);
  ResumeProgress();
}

void Form1::cmdButton2_Click() {
  struct BatchEnds {
    Form1& form;
    ~BatchEnds() {
      form.batch_running_ = false;
      form.CatchUp();
    }
  } ends{*this};
  batch_running_ = true;
  ConvertBatchFolder(Dir1.View(), File1, tables_, *this, fs_);
}

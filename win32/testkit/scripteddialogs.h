#ifndef WIN32_TESTKIT_SCRIPTEDDIALOGS_H_
#define WIN32_TESTKIT_SCRIPTEDDIALOGS_H_

#include <gtest/gtest.h>
#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "win32/dialogs.h"

// Answers the window's boxes and open-file dialog from queues the test
// fills, and records what was shown. A call nobody scripted fails the test
// and answers "cancel", so no run waits for a user.
class ScriptedDialogs : public Dialogs {
 public:
  struct Box {
    std::string text;
    std::string title;
    UINT type;
    std::string details;
    bool owner_enabled;  // the owner window's state while the box is open
  };
  struct Dialog {
    std::string filter;  // the whole filter, its NULs included
    std::string def_ext;
    std::string initial;  // the file name the dialog starts with
    DWORD flags;
  };
  // An open-file dialog's answer: the file chosen, or none and an error.
  struct Answer {
    std::string file;  // empty: none chosen
    DWORD error = 0;
  };

  std::deque<Answer> files;
  std::deque<int> answers;           // MsgBox answers in turn: IDOK, IDCANCEL
  std::function<void()> while_open;  // runs inside every box
  std::vector<Box> shown;
  std::vector<Dialog> dialogs;

  int MsgBox(HWND owner, const std::string& text, const std::string& title,
             UINT type, const std::string& details) override {
    shown.push_back(
        {text, title, type, details, IsWindowEnabled(owner) != FALSE});
    if (while_open) while_open();
    if (answers.empty()) {
      ADD_FAILURE() << "unscripted box: " << text;
      return IDCANCEL;
    }
    const int answer = answers.front();
    answers.pop_front();
    return answer;
  }

  bool OpenFile(OPENFILENAMEA& ofn, DWORD* error) override {
    std::string filter;
    for (const char* p = ofn.lpstrFilter; p != nullptr && *p != '\0';
         p += std::char_traits<char>::length(p) + 1) {
      filter.append(p).push_back('\0');
    }
    dialogs.push_back({filter, ofn.lpstrDefExt ? ofn.lpstrDefExt : "",
                       ofn.lpstrFile ? ofn.lpstrFile : "", ofn.Flags});
    if (files.empty()) {
      ADD_FAILURE() << "unscripted open-file dialog";
      *error = 0;
      return false;
    }
    const Answer answer = files.front();
    files.pop_front();
    *error = answer.error;
    if (answer.file.empty()) return false;
    if (answer.file.size() >= ofn.nMaxFile) {
      ADD_FAILURE() << "file name longer than the dialog's buffer";
      return false;
    }
    answer.file.copy(ofn.lpstrFile, answer.file.size());
    ofn.lpstrFile[answer.file.size()] = '\0';
    return true;
  }
};

#endif  // WIN32_TESTKIT_SCRIPTEDDIALOGS_H_

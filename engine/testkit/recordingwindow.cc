#include "engine/testkit/recordingwindow.h"

#include <gtest/gtest.h>

RecordingWindow::RecordingWindow(FileSystem& fs) : file_list(fs), fs_(fs) {}

void RecordingWindow::OpenFolder(const std::string& path) {
  folder = ::OpenFolder(fs_, path);
  try {
    file_list.SetPath(folder.path);
  } catch (const std::filesystem::filesystem_error&) {
    // The file list shows nothing, as the window's does.
  }
}

bool RecordingWindow::ShowBox(const BoxDescription& box) {
  calls.push_back("ShowBox " + box.title + ": " + box.text);
  shown.push_back({box, enabled, progress});
  if (while_open) while_open();
  if (answers.empty()) {
    ADD_FAILURE() << "unscripted box: " << box.text;
    return false;
  }
  const bool answer = answers.front();
  answers.pop_front();
  return answer;
}

FileChoice RecordingWindow::OpenFile(const FileDialogDescription& dialog) {
  calls.push_back("OpenFile " + dialog.filter + "|" + dialog.pattern + "|" +
                  dialog.default_extension);
  if (files.empty()) {
    ADD_FAILURE() << "unscripted open-file dialog";
    return FileChoice();
  }
  const FileChoice answer = files.front();
  files.pop_front();
  return answer;
}

void RecordingWindow::SetWindowEnabled(bool yes) {
  calls.push_back(yes ? "SetWindowEnabled yes" : "SetWindowEnabled no");
  enabled = yes;
}

void RecordingWindow::Repaint() {
  calls.push_back("Repaint");
  if (painting) painting();
}

void RecordingWindow::PumpEvents() { calls.push_back("PumpEvents"); }

void RecordingWindow::Close() { calls.push_back("Close"); }

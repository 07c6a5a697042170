#ifndef ENGINE_TESTKIT_RECORDINGWINDOW_H_
#define ENGINE_TESTKIT_RECORDINGWINDOW_H_

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "engine/commands.h"
#include "engine/commandsession.h"
#include "engine/filesystem.h"
#include "engine/testkit/testing.h"

// A window without a toolkit, for the commands' tests: records every call
// as one line ("SetWindowEnabled no", "ShowBox Done: ...", ...), answers
// the boxes and the open-file dialog from queues, and lists folders and
// files through the file system it is given. A box or dialog nobody
// scripted fails the test and is cancelled, so no run waits.
class RecordingWindow : public RecordingProgress<CommandWindow> {
 public:
  struct Shown {
    BoxDescription box;
    bool enabled;                       // the window, while the box is open
    std::vector<std::string> progress;  // the list, while the box is open
  };

  explicit RecordingWindow(FileSystem& fs = DefaultFileSystem());

  // Opens path as the folder list does, and the file list follows it.
  void OpenFolder(const std::string& path);

  std::deque<bool> answers;          // true chooses OK, for each box in turn
  std::deque<FileChoice> files;      // for each open-file dialog in turn
  std::function<void()> while_open;  // runs inside every box
  std::function<void()> painting;    // runs inside every paint
  std::vector<Shown> shown;
  bool enabled = true;
  FolderView folder;  // what the folder list shows
  FileNames file_list;

  bool ShowBox(const BoxDescription& box) override;
  FileChoice OpenFile(const FileDialogDescription& dialog) override;
  const FolderView& Folder() override { return folder; }
  FileListing& Files() override { return file_list; }
  void SetWindowEnabled(bool yes) override;
  void Repaint() override;
  void PumpEvents() override;
  void Close() override;

 private:
  FileSystem& fs_;
};

#endif  // ENGINE_TESTKIT_RECORDINGWINDOW_H_

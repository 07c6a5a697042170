#ifndef ENGINE_COMMANDSESSION_H_
#define ENGINE_COMMANDSESSION_H_

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>

#include "engine/conversionhost.h"
#include "engine/filesystem.h"
#include "engine/form1description.h"
#include "engine/tables.h"

class FileListing;
struct FolderView;

// The kinds of box a command shows; each has its icon, buttons and title.
enum class BoxKind {
  kInfo,      // information, OK, the application's title
  kQuestion,  // information, OK and Cancel, the application's title
  kDone,      // information, OK, "Done": the batch's last box
  kFailure,   // critical, OK, the application's title
};

enum class BoxIcon { kInformation, kCritical };

// A modal box as the window shows it. Texts are file bytes: they quote
// file names.
struct BoxDescription {
  BoxIcon icon = BoxIcon::kInformation;
  bool cancel = false;  // OK and Cancel; otherwise OK alone
  std::string title;
  std::string text;
  std::string details;  // empty: the box has no details area
};

// What the open-file dialog gave back.
struct FileChoice {
  std::string path;   // empty: none chosen
  std::string error;  // why the dialog could not be shown; empty: it was
};

// The window as a command drives it. Each operation acts at once; when to
// call them is the session's to decide.
class CommandWindow : public ProgressList {
 public:
  virtual bool ShowBox(const BoxDescription& box) = 0;  // true: OK chosen
  virtual FileChoice OpenFile(const FileDialogDescription& dialog) = 0;
  virtual const FolderView& Folder() = 0;  // what the folder list shows
  virtual FileListing& Files() = 0;        // the file list
  // While disabled, no control reacts to the mouse or the keyboard.
  virtual void SetWindowEnabled(bool yes) = 0;
  virtual void Repaint() = 0;     // paints what changed, before returning
  virtual void PumpEvents() = 0;  // handles the events waiting, returns
  virtual void Close() = 0;       // as the window's close button does
};

// What a command does to its window, written once for every window: it
// runs each command with the window's state, boxes and painting kept by
// one policy. It is also the host of the command's conversions, and
// passes their calls on to the window as that policy says.
class CommandSession : public ConversionHost {
 public:
  using Clock = std::function<std::chrono::steady_clock::time_point()>;
  using Command = std::function<void(CommandSession&)>;

  CommandSession(CommandWindow& window, const Tables& tables, FileSystem& fs,
                 Clock clock = std::chrono::steady_clock::now);
  CommandSession(const CommandSession&) = delete;
  CommandSession& operator=(const CommandSession&) = delete;

  CommandWindow& window() const { return window_; }
  const Tables& tables() const { return tables_; }
  FileSystem& fs() const { return fs_; }

  // Runs command, unless one runs already. When it ends, however it ends,
  // the window is enabled and shows the progress as it is.
  void Run(const Command& command);
  // The window cannot be closed while a command runs: it would cut a
  // conversion off half way.
  bool MayClose() const { return !running_; }

  // Shows a box of kind over the window with the progress as it is; a
  // window the command will enable is enabled first.
  bool Box(BoxKind kind, const std::string& text,
           const std::string& details = std::string());
  // A failure ends what the command does, so its box stands over an
  // enabled window: "Error N: text" and the path.
  void ReportFailure(const std::filesystem::filesystem_error& e,
                     const std::string& details = std::string());

  void ClearProgress() override;
  void AddProgress(const std::string& text) override;
  size_t ProgressCount() override;
  std::string ProgressItem(size_t i) override;
  void SetProgressItem(size_t i, const std::string& text) override;
  void SelectProgress(size_t i) override;
  void ShowInfo(const std::string& text, const std::string& details) override;
  bool AskOkCancel(const std::string& text,
                   const std::string& details) override;
  void SetWindowEnabled(bool yes) override;
  void Repaint() override;
  void PumpEvents() override;

 private:
  void Enable(bool yes);
  void Paint();
  void ShowSelection();
  void End();

  CommandWindow& window_;
  const Tables& tables_;
  FileSystem& fs_;
  Clock clock_;
  bool running_ = false;
  bool enabled_ = true;              // the window's state in fact
  bool enable_due_ = false;          // enabled in name, not yet in fact
  bool changed_ = false;             // since the window was last painted
  std::optional<size_t> selection_;  // to select when next shown
  std::chrono::steady_clock::time_point next_paint_{};
  std::chrono::steady_clock::time_point next_pump_{};
};

#endif  // ENGINE_COMMANDSESSION_H_

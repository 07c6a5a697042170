#ifndef UI_FORM1_H_
#define UI_FORM1_H_

#include <QWidget>
#include <cstddef>
#include <string>

#include "engine/commands.h"
#include "engine/commandsession.h"
#include "engine/filesystem.h"
#include "engine/form1description.h"
#include "engine/tables.h"

class Dialogs;
class FileList;
class FolderList;
class QCloseEvent;
class QFrame;
class QLabel;
class QListView;
class QMenuBar;
class QPushButton;
class ProgressModel;

// The utility's only window. The upper part converts one chosen project; the
// batch area below the separator, out of view until the window is enlarged,
// converts every project one folder level below the folder chosen in Dir1.
// Its commands run in a CommandSession, which drives the window through the
// operations below.
class Form1 : public QWidget, public CommandWindow {
  Q_OBJECT

 public:
  // Every file operation of the window and of its conversions goes through
  // fs.
  Form1(Dialogs& dlg, FileSystem& fs);

  // Holds every control at its place in twips, below the menu bar.
  QWidget* content() const { return content_; }
  QMenuBar* menu_bar() const { return menu_bar_; }

  void ClearProgress() override;
  void AddProgress(const std::string& text) override;
  size_t ProgressCount() override;
  std::string ProgressItem(size_t i) override;
  void SetProgressItem(size_t i, const std::string& text) override;
  void SelectProgress(size_t i) override;
  bool ShowBox(const BoxDescription& box) override;
  FileChoice OpenFile(const FileDialogDescription& dialog) override;
  const FolderView& Folder() override;
  FileListing& Files() override;
  void SetWindowEnabled(bool yes) override;
  void Repaint() override;
  void PumpEvents() override;
  void Close() override;

  Dialogs& dlg;
  QLabel* Label1;
  QPushButton* cmd;
  QLabel* Label5;
  QListView* lst;
  QLabel* Label2;
  QFrame* Line1;
  QLabel* Label4;
  QPushButton* cmdButton2;
  QLabel* Label3;
  FolderList* Dir1;
  FileList* File1;

 public slots:
  void cmd_Click();
  void cmdButton2_Click();
  void Dir1_Change();

 protected:
  // While a command runs the window refuses to close.
  void closeEvent(QCloseEvent* event) override;

 private:
  void CreateControls();
  void CreateMenus();
  void Form_Load();

  FileSystem& fs_;
  Tables tables_;
  CommandSession session_;
  QWidget* content_;
  QMenuBar* menu_bar_;
  ProgressModel* progress_;  // lst's items
};

#endif  // UI_FORM1_H_

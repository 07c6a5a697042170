#include "ui/form1.h"

#include <QCloseEvent>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QPushButton>
#include <QSizeF>
#include <QStringList>
#include <QStyle>

#include "engine/commands.h"
#include "ui/classicfont.h"
#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/progressmodel.h"
#include "ui/twips.h"

namespace {

template <class Widget>
Widget* Place(Widget* w, const char* name, const QRect& geometry) {
  w->setObjectName(QString::fromLatin1(name));
  w->setGeometry(geometry);
  return w;
}

QLabel* NewLabel(QWidget* parent, const char* name, const QString& text,
                 const QRect& geometry) {
  auto* label = Place(new QLabel(text, parent), name, geometry);
  label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  label->setWordWrap(true);
  return label;
}

QPushButton* NewButton(QWidget* parent, const char* name, const QString& text,
                       const QRect& geometry) {
  auto* button = Place(new QPushButton(text, parent), name, geometry);
  button->setAutoDefault(true);  // Enter presses the focused button
  return button;
}

// Room for a button's text: the style keeps a margin inside the frame.
QSizeF TextRoomOf(const QPushButton& button) {
  const QStyle& style = *button.style();
  const int margin =
      style.pixelMetric(QStyle::PM_ButtonMargin, nullptr, &button);
  const int frame =
      style.pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &button);
  return QSizeF(button.width() - 2 * margin, button.height() - 2 * frame);
}

// What a screen reader says of a control; the labels' texts serve where
// there are some.
void Describe(QWidget* w, const QString& name, const QString& description) {
  w->setAccessibleName(name);
  w->setAccessibleDescription(description);
}

}  // namespace

Form1::Form1(Dialogs& dialogs, FileSystem& fs) : dlg(dialogs), fs_(fs) {
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(QStringLiteral("Quorvane Tabulon 8 to 8c Migration Utility"));
  setFont(ClassicFont(false));
  const TwipScale tw(*this);

  Label1 = NewLabel(this, "Label1", QString(), tw.Rect(120, 120, 6150, 390));
  cmd = NewButton(this, "cmd", QStringLiteral("Select project to convert"),
                  tw.Rect(120, 840, 3885, 555));
  cmd->setFont(ClassicFont(true));
  Label5 = NewLabel(this, "Label5", QStringLiteral("Project Files:"),
                    tw.Rect(120, 1560, 1215, 195));
  lst = Place(new QListView(this), "lst", tw.Rect(120, 1800, 6015, 1665));
  progress_ = new ProgressModel(lst);
  lst->setModel(progress_);
  // Every item is one line of text. Without this the list measures every
  // item's text again to place the one it paints, and a batch spent most of
  // its time there.
  lst->setUniformItemSizes(true);
  Label2 = NewLabel(this, "Label2", QString(), tw.Rect(120, 3600, 6135, 195));

  // The batch area starts below the window's initial content area.
  Line1 = Place(new QFrame(this), "Line1",
                QRect(tw.X(120), tw.Y(4320) - 1, tw.X(6240) - tw.X(120), 2));
  Line1->setFrameShape(QFrame::HLine);
  Line1->setFrameShadow(QFrame::Sunken);
  Label4 = NewLabel(this, "Label4", QStringLiteral("Batch Conversion:"),
                    tw.Rect(120, 4440, 2415, 255));
  Label4->setFont(ClassicFont(true));
  cmdButton2 =
      NewButton(this, "cmdButton2",
                QStringLiteral("Convert all projects in the selected folder"),
                tw.Rect(2640, 4800, 3615, 375));
  Label3 = NewLabel(this, "Label3",
                    QStringLiteral("Double-click a folder to select it."),
                    tw.Rect(120, 4920, 2415, 255));
  Dir1 =
      Place(new FolderList(this, fs_), "Dir1", tw.Rect(120, 5280, 2415, 1215));
  File1 =
      Place(new FileList(this, fs_), "File1", tw.Rect(2640, 5280, 3615, 1260));

  setTabOrder(lst, cmdButton2);
  setTabOrder(cmdButton2, Dir1);
  setTabOrder(Dir1, File1);
  setTabOrder(File1, cmd);
  resize(tw.X(6405), tw.Y(4170));

  connect(cmd, &QPushButton::clicked, this, &Form1::cmd_Click);
  connect(cmdButton2, &QPushButton::clicked, this, &Form1::cmdButton2_Click);
  connect(Dir1, &FolderList::Changed, this, &Form1::Dir1_Change);

  Form_Load();
  // The layout's sizes are fixed; where the default face is wider than the
  // one they were measured in, a smaller size keeps every text whole.
  setFont(FitFont(font(), *this,
                  {{Label1->text(), Label1->size()},
                   {Label5->text(), Label5->size()},
                   {Label3->text(), Label3->size()},
                   {cmdButton2->text(), TextRoomOf(*cmdButton2)}}));
  DescribeControls();
  try {
    Dir1->SetPath(".");
  } catch (const std::filesystem::filesystem_error& e) {
    ShowFailure(FailureText(e), std::string());  // the current directory went
  }
  lst->setFocus();
}

void Form1::Form_Load() {
  tables_ = InitTables();
  Label1->setText(
      QStringLiteral("This utility converts VB projects that use ") +
      QStringLiteral("Tabulon8 to Tabulon8c"));
}

void Form1::DescribeControls() {
  Label5->setBuddy(lst);
  Label3->setBuddy(Dir1);
  Describe(this, windowTitle(), Label1->text());
  Describe(cmd, cmd->text(),
           QStringLiteral("Choose a project file (.vbp) and convert it"));
  Describe(lst, QStringLiteral("Project Files"),
           QStringLiteral("The project file and each form and user control it "
                          "lists, marked OK once converted"));
  Describe(cmdButton2, cmdButton2->text(),
           QStringLiteral("Batch Conversion: converts every project file one "
                          "folder level below the folder opened in the folder "
                          "list"));
  Describe(
      Dir1, QStringLiteral("Folders"),
      Label3->text() + QStringLiteral(" Or highlight it and press Enter."));
  Describe(File1, QStringLiteral("Files"),
           QStringLiteral("The files of the folder opened in the folder list"));
}

void Form1::Dir1_Change() { FollowFolder(Dir1->View(), *File1, *this); }

void Form1::closeEvent(QCloseEvent* event) {
  if (isEnabled())
    event->accept();
  else
    event->ignore();
}

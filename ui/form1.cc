#include "ui/form1.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QSizeF>
#include <QStringList>
#include <QStyle>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>
#include <vector>

#include "engine/commands.h"
#include "engine/form1description.h"
#include "ui/classicfont.h"
#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/progressmodel.h"
#include "ui/twips.h"

namespace {

QString Text(const std::string& s) { return QString::fromStdString(s); }

// A line is drawn two pixels thick, centred on its edge.
QRect PlaceOf(const ControlDescription& c, const TwipScale& tw) {
  const TwipRect& r = c.twips;
  if (c.kind == ControlKind::kLine) {
    return QRect(tw.X(r.left), tw.Y(r.top) - 1,
                 tw.X(r.left + r.width) - tw.X(r.left), 2);
  }
  return tw.Rect(r.left, r.top, r.width, r.height);
}

QWidget* NewControl(QWidget* parent, const ControlDescription& c,
                    FileSystem& fs) {
  switch (c.kind) {
    case ControlKind::kLabel: {
      auto* label = new QLabel(Text(c.text), parent);
      label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
      label->setWordWrap(true);
      return label;
    }
    case ControlKind::kButton: {
      auto* button = new QPushButton(Text(c.text), parent);
      button->setAutoDefault(true);  // Enter presses the focused button
      return button;
    }
    case ControlKind::kList:
      return new QListView(parent);
    case ControlKind::kLine: {
      auto* line = new QFrame(parent);
      line->setFrameShape(QFrame::HLine);
      line->setFrameShadow(QFrame::Sunken);
      return line;
    }
    case ControlKind::kFolderList:
      return new FolderList(parent, fs);
    case ControlKind::kFileList:
      return new FileList(parent, fs);
  }
  return nullptr;
}

template <class Widget>
void Bind(Widget*& member, const QWidget& content, const char* name) {
  member = content.findChild<Widget*>(QString::fromLatin1(name),
                                      Qt::FindDirectChildrenOnly);
  Q_ASSERT(member != nullptr);
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

}  // namespace

Form1::Form1(Dialogs& dialogs, FileSystem& fs)
    : dlg(dialogs), fs_(fs), session_(*this, tables_, fs) {
  const WindowDescription& form = Form1Description();
  setObjectName(QStringLiteral("Form1"));
  setWindowTitle(Text(form.caption));
  setFont(ClassicFont(false));
  // The content fills the window and grows with it, so that the batch area
  // comes into view when the window is enlarged.
  content_ = new QWidget(this);
  content_->setObjectName(QStringLiteral("content"));
  auto* layout = new QVBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  layout->addWidget(content_);
  CreateControls();
  CreateMenus();

  progress_ = new ProgressModel(lst);
  lst->setModel(progress_);
  // Every item is one line of text. Without this the list measures every
  // item's text again to place the one it paints, and a batch spent most of
  // its time there.
  lst->setUniformItemSizes(true);

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
  // The content area has the description's size; the menu bar adds its
  // height above it.
  const TwipScale tw(*this);
  resize(tw.X(form.width),
         tw.Y(form.height) + menu_bar_->heightForWidth(tw.X(form.width)));
  setAccessibleName(windowTitle());
  setAccessibleDescription(Label1->text());
  try {
    Dir1->SetPath(".");
  } catch (const std::filesystem::filesystem_error& e) {
    session_.ReportFailure(e);  // the current directory went
  }
  lst->setFocus();
}

void Form1::CreateControls() {
  const TwipScale tw(*this);
  std::vector<std::pair<int, QWidget*>> focus;  // by tab index
  const ControlDescription* last = nullptr;     // and the widget made for it
  QWidget* last_made = nullptr;
  for (const ControlDescription& c : Form1Description().controls) {
    QWidget* w = NewControl(content_, c, fs_);
    w->setObjectName(Text(c.name));
    w->setGeometry(PlaceOf(c, tw));
    if (!c.font.IsDefault()) w->setFont(ClassicFont(c.font.bold));
    // Empty: what Qt says of the widget, a label's text.
    if (!c.accessible_name.empty()) {
      w->setAccessibleName(Text(c.accessible_name));
    }
    if (!c.accessible_description.empty()) {
      w->setAccessibleDescription(Text(c.accessible_description));
    }
    if (last != nullptr && NamesList(*last, c)) {
      static_cast<QLabel*>(last_made)->setBuddy(w);
    }
    if (TakesFocus(c.kind)) focus.emplace_back(c.tab_index, w);
    last = &c;
    last_made = w;
  }
  std::sort(focus.begin(), focus.end());
  for (size_t i = 1; i < focus.size(); ++i) {
    setTabOrder(focus[i - 1].second, focus[i].second);
  }

  Bind(Label1, *content_, "Label1");
  Bind(cmd, *content_, "cmd");
  Bind(Label5, *content_, "Label5");
  Bind(lst, *content_, "lst");
  Bind(Label2, *content_, "Label2");
  Bind(Line1, *content_, "Line1");
  Bind(Label4, *content_, "Label4");
  Bind(cmdButton2, *content_, "cmdButton2");
  Bind(Label3, *content_, "Label3");
  Bind(Dir1, *content_, "Dir1");
  Bind(File1, *content_, "File1");
}

// Not the desktop's global menu, which would take the menu out of the
// window. The bar and its menus keep the desktop's menu font, as menus of
// the native window do.
void Form1::CreateMenus() {
  menu_bar_ = new QMenuBar(this);
  menu_bar_->setNativeMenuBar(false);
  menu_bar_->setFont(QApplication::font(menu_bar_));
  for (const MenuDescription& m : Form1Description().menus) {
    QMenu* menu = menu_bar_->addMenu(Text(m.title));
    for (const MenuItemDescription& item : m.items) {
      if (item.IsSeparator()) {
        menu->addSeparator();
        continue;
      }
      const MenuCommand command = item.command;
      connect(menu->addAction(Text(item.text)), &QAction::triggered, this,
              [this, command] { RunMenuCommand(session_, command); });
    }
  }
  layout()->setMenuBar(menu_bar_);
}

void Form1::Form_Load() {
  tables_ = InitTables();
  Label1->setText(Text(Form1Description().description));
}

void Form1::cmd_Click() { session_.Run(ConvertChosenProject); }

void Form1::cmdButton2_Click() { session_.Run(ConvertBatchFolder); }

void Form1::Dir1_Change() { session_.Run(FollowFolder); }

void Form1::closeEvent(QCloseEvent* event) {
  if (session_.MayClose())
    event->accept();
  else
    event->ignore();
}

// Each command once through the real window, from the click to its last
// box: what the command does is tested with the engine, against a
// recording window; here, that the window gives it what it needs and shows
// what it is told.
#include <QDir>
#include <QListView>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
#include <map>
#include <string>

#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/form1.h"
#include "ui/testkit/scripteddialogs.h"
#include "ui/testkit/testfiles.h"

namespace {

const char kV8Reference[] =
    "Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0; tbln8.ocx\r\n";

std::string Project(const std::string& entries) {
  return "Type=Exe\r\nReference=*\\G{00020430-0000-0000-C000-000000000046}#2.0#"
         "0"
         "#..\\..\\Windows\\System32\\stdole2.tlb#OLE Automation\r\n" +
         std::string(kV8Reference) + entries + "Startup=\"frmMain\"\r\n";
}

const char kForm[] =
    "VERSION 5.00\r\n"
    "Object = \"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; "
    "\"tbln8.ocx\"\r\n"
    "Begin VB.Form frmMain \r\n"
    "   Begin VB.Frame fraTop\r\n"
    "      Begin Tabulon80.Grid grd\r\n"
    "         Height          =   3015\r\n"
    "      End\r\n"
    "   End\r\n"
    "End\r\n"
    "Attribute VB_Name = \"frmMain\"\r\n"
    "Private WithEvents mGrid As Tabulon80.Grid\r\n";

const char kNoGridProject[] = "Type=Exe\r\nForm=frmNotes.frm\r\n";

// Every file below root, by its path from there, with its bytes.
std::map<std::string, std::string> Tree(const QString& root) {
  std::map<std::string, std::string> tree;
  const std::filesystem::path top = TestPath(root, "");
  for (const auto& e : std::filesystem::recursive_directory_iterator(top)) {
    if (!e.is_regular_file()) continue;
    const std::string rel = e.path().lexically_relative(top).string();
    tree[rel] = ReadTestFile(root, rel.c_str());
  }
  return tree;
}

// The item of the File menu that runs command.
QAction* MenuItem(const Form1& form, MenuCommand command) {
  const auto& items = Form1Description().menus[0].items;
  const QList<QAction*> made = form.menu_bar()->actions()[0]->menu()->actions();
  for (size_t i = 0; i < items.size(); ++i)
    if (items[i].command == command) return made[qsizetype(i)];
  return nullptr;
}

}  // namespace

class CommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void ProjectConvertsAfterConfirmation();
  void BatchConvertsEveryProjectOneLevelDown();
  void MenuRestoresAProjectThenTheFolder();

 private:
  bool Converted(const char* name);  // rewritten, with its original in .bak
  static QStringList Progress(const Form1& form);

  QTemporaryDir tmp_;
  QString root_;
};

void CommandsTest::init() {
  root_ = tmp_.path() + "/" + QTest::currentTestFunction();
  QVERIFY(QDir().mkpath(root_));
  QVERIFY(QDir::setCurrent(root_));
}

bool CommandsTest::Converted(const char* name) {
  const std::string now = ReadTestFile(root_, name);
  const std::string bak =
      ReadTestFile(root_, (std::string(name) + ".bak").c_str());
  return now.find("tbln8c.ocx") != std::string::npos &&
         bak.find("tbln8.ocx") != std::string::npos;
}

QStringList CommandsTest::Progress(const Form1& form) {
  QStringList items;
  const QAbstractItemModel& model = *form.lst->model();
  for (int i = 0; i < model.rowCount(); ++i)
    items << model.index(i, 0).data().toString();
  return items;
}

void CommandsTest::ProjectConvertsAfterConfirmation() {
  WriteTestFile(root_, "Orders/Orders.vbp",
                Project("Form=frmMain.frm\r\nForm=Forms\\frmOrders.frm\r\n"
                        "UserControl=ucTotals.ctl\r\n"));
  WriteTestFile(root_, "Orders/frmMain.frm", kForm);
  WriteTestFile(root_, "Orders/Forms/frmOrders.frm", kForm);
  WriteTestFile(root_, "Orders/ucTotals.ctl", kForm);
  ScriptedDialogs dlg;
  dlg.files = {root_ + "/Orders/Orders.vbp"};
  dlg.answers = {true, true};
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  // Neither the close button nor a menu item does anything while a command
  // runs: a restore would ask for a dialog nobody scripted.
  bool refused_close = true;
  dlg.while_open = [&] {
    refused_close = refused_close && !form.close();
    for (QAction* item : form.menu_bar()->actions()[0]->menu()->actions())
      item->trigger();
  };

  QTest::mouseClick(form.cmd, Qt::LeftButton);

  QCOMPARE(dlg.filters, QStringList({"Visual Basic Projecs (*.vbp)|vbp"}));
  QCOMPARE(dlg.shown.size(), 2);
  // A box breaks its lines at LF.
  QCOMPARE(dlg.shown[0].text,
           QString("Ready to convert 'Orders.vbp' from Version 8 to 8c.\n\n"
                   "The original files will be backed up in files with an "
                   "additional '.bak' extension.\n\n"
                   "Press OK to proceed or Cancel if you changed your mind."));
  QCOMPARE(dlg.shown[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
  QCOMPARE(dlg.shown[1].buttons, QMessageBox::Ok);
  QVERIFY(dlg.shown[1].details.startsWith("What was done:\n"));
  for (const auto& box : dlg.shown) {
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.title, QString(kAppTitle));
    QVERIFY(!box.window_enabled);
  }
  QVERIFY(refused_close);

  QVERIFY(form.isEnabled() && form.isVisible());
  QCOMPARE(Progress(form),
           QStringList({"Orders.vbp... OK", "frmMain.frm... OK",
                        "Forms\\frmOrders.frm... OK", "ucTotals.ctl... OK"}));
  QCOMPARE(form.lst->currentIndex().row(), 3);
  for (const char* name : {"Orders/Orders.vbp", "Orders/frmMain.frm",
                           "Orders/Forms/frmOrders.frm", "Orders/ucTotals.ctl"})
    QVERIFY2(Converted(name), name);
  QCOMPARE(std::filesystem::current_path().string(),
           TestFolder(root_, "Orders"));
  QCOMPARE(form.Dir1->Path(), TestFolder(root_));  // the lists stay put
  QVERIFY(form.close());                           // idle again
}

void CommandsTest::BatchConvertsEveryProjectOneLevelDown() {
  WriteTestFile(root_, "Batch/Accounts/Accounts.vbp",
                Project("Form=frmMain.frm\r\n"));
  WriteTestFile(root_, "Batch/Accounts/frmMain.frm", kForm);
  WriteTestFile(root_, "Batch/Letters/Letters.vbp", kNoGridProject);
  WriteTestFile(
      root_, "Batch/Shipping/Shipping.vbp",
      Project("Form=Forms\\frmShip.frm\r\nUserControl=ucBox.ctl\r\n"));
  WriteTestFile(root_, "Batch/Shipping/Forms/frmShip.frm", kForm);
  WriteTestFile(root_, "Batch/Shipping/ucBox.ctl", kForm);
  ScriptedDialogs dlg;
  dlg.answers = {true, true};
  QList<QStringList> progress_at_box;
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  dlg.while_open = [&] { progress_at_box << Progress(form); };
  form.Dir1->SetPath(TestFolder(root_, "Batch"));

  QTest::mouseClick(form.cmdButton2, Qt::LeftButton);

  QCOMPARE(dlg.shown.size(), 2);
  // The first comes while its project is read, the last after the batch.
  QVERIFY(!dlg.shown[0].window_enabled && dlg.shown[1].window_enabled);
  QVERIFY(dlg.shown[0].text.startsWith("Couldn't find any convertible"));
  QCOMPARE(progress_at_box[0], QStringList());
  QCOMPARE(dlg.shown[1].icon, QMessageBox::Information);
  QCOMPARE(dlg.shown[1].title, QString("Done"));
  QCOMPARE(dlg.shown[1].text, QString("Done converting 3 projects."));
  QVERIFY(dlg.shown[1].details.startsWith("Projects:\nAccounts/Accounts.vbp"));
  QCOMPARE(progress_at_box[1],
           QStringList({"Shipping.vbp... OK", "Forms\\frmShip.frm... OK",
                        "ucBox.ctl... OK"}));
  for (const char* name :
       {"Batch/Accounts/frmMain.frm", "Batch/Shipping/Shipping.vbp"})
    QVERIFY2(Converted(name), name);
  QCOMPARE(form.Dir1->Path(), TestFolder(root_, "Batch"));
  QCOMPARE(form.File1->Path(), TestFolder(root_, "Batch/Shipping"));
  QVERIFY(form.isEnabled());
}

// Each restore once through the menu: a batch converted, one project of it
// restored on its own, then the rest of the folder.
void CommandsTest::MenuRestoresAProjectThenTheFolder() {
  WriteTestFile(root_, "Batch/Accounts/Accounts.vbp",
                Project("Form=frmMain.frm\r\n"));
  WriteTestFile(root_, "Batch/Accounts/frmMain.frm", kForm);
  WriteTestFile(root_, "Batch/Shipping/Shipping.vbp",
                Project("UserControl=ucBox.ctl\r\n"));
  WriteTestFile(root_, "Batch/Shipping/ucBox.ctl", kForm);
  const auto before = Tree(root_);
  ScriptedDialogs dlg;
  dlg.files = {root_ + "/Batch/Accounts/Accounts.vbp"};
  dlg.answers = {true, true, true, true, true};
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  form.Dir1->SetPath(TestFolder(root_, "Batch"));
  QTest::mouseClick(form.cmdButton2, Qt::LeftButton);
  QVERIFY(Converted("Batch/Accounts/frmMain.frm"));

  MenuItem(form, MenuCommand::kRestoreProject)->trigger();
  QCOMPARE(dlg.filters, QStringList({"Visual Basic Projecs (*.vbp)|vbp"}));
  QCOMPARE(dlg.shown.last().text,
           QString("Project 'Accounts.vbp' has been restored from its "
                   "backups."));
  QCOMPARE(Progress(form), QStringList({"Accounts.vbp... restored",
                                        "frmMain.frm... restored"}));

  MenuItem(form, MenuCommand::kRestoreFolder)->trigger();
  QCOMPARE(dlg.shown.last().title, QString("Done"));
  QCOMPARE(dlg.shown.last().text, QString("Done restoring 1 projects."));
  QCOMPARE(Progress(form),
           QStringList({"Shipping.vbp... restored", "ucBox.ctl... restored"}));
  QVERIFY(Tree(root_) == before);
  QVERIFY(dlg.answers.isEmpty() && form.isEnabled());
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"

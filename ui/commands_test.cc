#include <QDir>
#include <QListView>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>
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

}  // namespace

class CommandsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void CancelledDialogConvertsNothing();
  void ProjectConvertsAfterConfirmation();
  void DeclinedConfirmationChangesNothing();
  void FailureIsReportedAndWindowStaysUsable();
  void BatchConvertsEveryProjectOneLevelDown();
  void BatchOfFolderWithoutSubfoldersCountsNone();
  void BatchStopsAtFailingProject();
  void BatchConvertsASharedFormOnce();
  void ExampleShowsWhatIsLeftForTheUser();

 private:
  bool Converted(const char* name);  // rewritten, with its original in .bak
  bool Untouched(const char* name);  // as written, and no .bak beside it
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

bool CommandsTest::Untouched(const char* name) {
  return ReadTestFile(root_, name).find("tbln8.ocx") != std::string::npos &&
         !TestFileExists(root_, (std::string(name) + ".bak").c_str());
}

QStringList CommandsTest::Progress(const Form1& form) {
  QStringList items;
  const QAbstractItemModel& model = *form.lst->model();
  for (int i = 0; i < model.rowCount(); ++i)
    items << model.index(i, 0).data().toString();
  return items;
}

void CommandsTest::CancelledDialogConvertsNothing() {
  ScriptedDialogs dlg;
  dlg.files = {QString()};  // the user cancels
  Form1 form(dlg, DefaultFileSystem());
  QTest::mouseClick(form.cmd, Qt::LeftButton);
  QCOMPARE(dlg.filters, QStringList({"Visual Basic Projecs (*.vbp)|vbp"}));
  QCOMPARE(form.lst->model()->rowCount(), 0);
  QVERIFY(dlg.shown.isEmpty());
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
  bool refused_close = false;
  dlg.while_open = [&] {
    if (!form.isEnabled()) refused_close = !form.close();
  };

  QTest::mouseClick(form.cmd, Qt::LeftButton);

  QCOMPARE(dlg.shown.size(), 2);
  QCOMPARE(dlg.shown[0].text,
           QString("Ready to convert 'Orders.vbp' from Version 8 to 8c.\n\n"
                   "The original files will be backed up in files with an "
                   "additional '.bak' extension.\n\n"
                   "Press OK to proceed or Cancel if you changed your mind."));
  QCOMPARE(dlg.shown[0].buttons, QMessageBox::Ok | QMessageBox::Cancel);
  // The window is disabled from the first reading: the plan too may take
  // a while on a large project.
  QVERIFY(!dlg.shown[0].window_enabled);
  QCOMPARE(dlg.shown[1].text,
           QString("Project 'Orders.vbp' has been converted from Version 8 to "
                   "8c.\n\nCopies of the original files were saved with a "
                   "'bak' extension in case you want to restore the original "
                   "project.\n\nYou should now open the new project in VB "
                   "and compile it to make sure there are no syntax "
                   "errors.\n\n"));
  QCOMPARE(dlg.shown[1].buttons, QMessageBox::Ok);
  QVERIFY2(dlg.shown[0].details.startsWith(
               "What OK will do:\n"
               "Orders.vbp: will be rewritten, 1 line changes\n"),
           qPrintable(dlg.shown[0].details));
  QCOMPARE(dlg.shown[1].details,
           QString("What was done:\n"
                   "Orders.vbp: rewritten, 1 line changed\n"
                   "frmMain.frm: rewritten, 3 lines changed\n"
                   "Forms\\frmOrders.frm: rewritten, 3 lines changed\n"
                   "ucTotals.ctl: rewritten, 3 lines changed\n"
                   "\n"
                   "No line is left that names version 8.\n"));
  // The completion box comes before the window is enabled again.
  QVERIFY(!dlg.shown[1].window_enabled);
  QVERIFY(refused_close);
  for (const auto& box : dlg.shown) {
    QCOMPARE(box.icon, QMessageBox::Information);
    QCOMPARE(box.title, QString(kAppTitle));
  }

  QVERIFY(form.isEnabled() && form.isVisible());
  QCOMPARE(Progress(form),
           QStringList({"Orders.vbp... OK", "frmMain.frm... OK",
                        "Forms\\frmOrders.frm... OK", "ucTotals.ctl... OK"}));
  QCOMPARE(form.lst->currentIndex().row(), 3);
  for (const char* name : {"Orders/Orders.vbp", "Orders/frmMain.frm",
                           "Orders/Forms/frmOrders.frm", "Orders/ucTotals.ctl"})
    QVERIFY2(Converted(name), name);
  QVERIFY(ReadTestFile(root_, "Orders/Forms/frmOrders.frm")
              .find("      Begin Tabulon80c.Grid grd\r\n") !=
          std::string::npos);
  QCOMPARE(std::filesystem::current_path().string(),
           TestFolder(root_, "Orders"));
  QCOMPARE(form.Dir1->Path(), TestFolder(root_));  // the lists stay put
}

void CommandsTest::DeclinedConfirmationChangesNothing() {
  WriteTestFile(root_, "Demo.vbp", Project("Form=frmMain.frm\r\n"));
  WriteTestFile(root_, "frmMain.frm", kForm);
  ScriptedDialogs dlg;
  dlg.files = {root_ + "/Demo.vbp"};
  dlg.answers = {false};
  Form1 form(dlg, DefaultFileSystem());
  QTest::mouseClick(form.cmd, Qt::LeftButton);
  QCOMPARE(dlg.shown.size(), 1);
  QVERIFY(Untouched("Demo.vbp"));
  QVERIFY(Untouched("frmMain.frm"));
  QCOMPARE(form.lst->model()->rowCount(), 0);
  QVERIFY(form.isEnabled());
}

void CommandsTest::FailureIsReportedAndWindowStaysUsable() {
  WriteTestFile(root_, "Demo.vbp",
                Project("Form=frmMain.frm\r\nForm=frmGone.frm\r\n"));
  WriteTestFile(root_, "frmMain.frm", kForm);
  ScriptedDialogs dlg;
  dlg.files = {root_ + "/Demo.vbp"};
  dlg.answers = {true, true};
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));

  QTest::mouseClick(form.cmd, Qt::LeftButton);

  QCOMPARE(dlg.shown.size(), 2);
  const ScriptedDialogs::Box& box = dlg.shown[1];
  QCOMPARE(box.icon, QMessageBox::Critical);
  QCOMPARE(box.title, QString(kAppTitle));
  QVERIFY2(box.text.startsWith("Error 2: No such file or directory\n/"),
           qPrintable(box.text));
  QVERIFY2(box.text.endsWith("frmGone.frm"), qPrintable(box.text));
  QVERIFY(box.window_enabled);
  QVERIFY(form.isEnabled() && form.isVisible());
  // The window still works: a second command runs.
  dlg.files = {QString()};
  QTest::mouseClick(form.cmd, Qt::LeftButton);
  QCOMPARE(dlg.filters.size(), 2);
}

void CommandsTest::BatchConvertsEveryProjectOneLevelDown() {
  WriteTestFile(root_, "Batch/top.vbp", Project(""));
  WriteTestFile(root_, "Batch/Accounts/Accounts.vbp",
                Project("Form=frmMain.frm\r\n"));
  WriteTestFile(root_, "Batch/Accounts/frmMain.frm", kForm);
  WriteTestFile(root_, "Batch/Empty/readme.txt", "");
  WriteTestFile(root_, "Batch/Letters/Letters.vbp", kNoGridProject);
  WriteTestFile(root_, "Batch/Orders/Orders.vbp",
                Project("Form=frmMain.frm\r\n"));
  WriteTestFile(root_, "Batch/Orders/SUMMARY.VBP", Project(""));
  WriteTestFile(root_, "Batch/Orders/frmMain.frm", kForm);
  WriteTestFile(root_, "Batch/Orders/Old.vbp.bak", Project(""));
  WriteTestFile(root_, "Batch/Orders/Deeper/Deep.vbp", Project(""));
  WriteTestFile(
      root_, "Batch/Shipping/Shipping.vbp",
      Project("Form=Forms\\frmShip.frm\r\nUserControl=ucBox.ctl\r\n"));
  WriteTestFile(root_, "Batch/Shipping/Forms/frmShip.frm", kForm);
  WriteTestFile(root_, "Batch/Shipping/ucBox.ctl", kForm);
  ScriptedDialogs dlg;
  dlg.answers = {true, true};
  QList<QStringList> progress_at_box;
  Form1 form(dlg, DefaultFileSystem());
  dlg.while_open = [&] { progress_at_box << Progress(form); };
  form.Dir1->SetPath(TestFolder(root_, "Batch"));

  QTest::mouseClick(form.cmdButton2, Qt::LeftButton);

  QCOMPARE(dlg.shown.size(), 2);
  // The first comes while its project is read, the last after the batch.
  QVERIFY(!dlg.shown[0].window_enabled && dlg.shown[1].window_enabled);
  QCOMPARE(dlg.shown[0].text,
           QString("Couldn't find any convertible controls in 'Letters.vbp'."
                   "\n\nConversion cancelled."));
  QCOMPARE(dlg.shown[0].title, QString(kAppTitle));
  // Accounts was converted first; its entries went with the next project.
  QCOMPARE(progress_at_box[0], QStringList());
  QCOMPARE(dlg.shown[1].icon, QMessageBox::Information);
  QCOMPARE(dlg.shown[1].title, QString("Done"));
  QCOMPARE(dlg.shown[1].text, QString("Done converting 5 projects."));
  QCOMPARE(dlg.shown[1].buttons, QMessageBox::Ok);
  QCOMPARE(dlg.shown[1].details,
           QString("Projects:\n"
                   "Accounts/Accounts.vbp: converted, 2 files rewritten, 0 "
                   "already converted\n"
                   "Letters/Letters.vbp: no convertible controls\n"
                   "Orders/Orders.vbp: converted, 2 files rewritten, 0 already "
                   "converted\n"
                   "Orders/SUMMARY.VBP: converted, 1 file rewritten, 0 already "
                   "converted\n"
                   "Shipping/Shipping.vbp: converted, 3 files rewritten, 0 "
                   "already converted\n"
                   "\n"
                   "No line is left that names version 8.\n"));
  QCOMPARE(progress_at_box[1],
           QStringList({"Shipping.vbp... OK", "Forms\\frmShip.frm... OK",
                        "ucBox.ctl... OK"}));

  for (const char* name :
       {"Batch/Accounts/Accounts.vbp", "Batch/Accounts/frmMain.frm",
        "Batch/Orders/Orders.vbp", "Batch/Orders/SUMMARY.VBP",
        "Batch/Orders/frmMain.frm", "Batch/Shipping/Shipping.vbp",
        "Batch/Shipping/Forms/frmShip.frm", "Batch/Shipping/ucBox.ctl"})
    QVERIFY2(Converted(name), name);
  for (const char* name : {"Batch/top.vbp", "Batch/Orders/Old.vbp.bak",
                           "Batch/Orders/Deeper/Deep.vbp"})
    QVERIFY2(Untouched(name), name);
  QCOMPARE(form.Dir1->Path(), TestFolder(root_, "Batch"));
  QCOMPARE(form.File1->Path(), TestFolder(root_, "Batch/Shipping"));
  QCOMPARE(std::filesystem::current_path().string(),
           TestFolder(root_, "Batch/Shipping"));
  QVERIFY(form.isEnabled());
}

void CommandsTest::BatchOfFolderWithoutSubfoldersCountsNone() {
  WriteTestFile(root_, "Flat/Flat.vbp", Project(""));
  ScriptedDialogs dlg;
  dlg.answers = {true};
  Form1 form(dlg, DefaultFileSystem());
  form.Dir1->SetPath(TestFolder(root_, "Flat"));
  QTest::mouseClick(form.cmdButton2, Qt::LeftButton);
  QCOMPARE(dlg.shown.size(), 1);
  QCOMPARE(dlg.shown[0].text, QString("Done converting 0 projects."));
  QVERIFY(Untouched("Flat/Flat.vbp"));
}

void CommandsTest::BatchStopsAtFailingProject() {
  WriteTestFile(root_, "Stop/A/A.vbp", Project("Form=frmMain.frm\r\n"));
  WriteTestFile(root_, "Stop/A/frmMain.frm", kForm);
  WriteTestFile(root_, "Stop/B/B.vbp",
                Project("Form=frmMain.frm\r\nForm=frmGone.frm\r\n"));
  WriteTestFile(root_, "Stop/B/frmMain.frm", kForm);
  WriteTestFile(root_, "Stop/C/C.vbp", Project(""));
  ScriptedDialogs dlg;
  dlg.answers = {true};
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
  form.Dir1->SetPath(TestFolder(root_, "Stop"));

  QTest::mouseClick(form.cmdButton2, Qt::LeftButton);

  QCOMPARE(dlg.shown.size(), 1);  // no "Done converting" box
  QCOMPARE(dlg.shown[0].icon, QMessageBox::Critical);
  QVERIFY2(dlg.shown[0].text.startsWith("Error 2: No such file or directory\n"),
           qPrintable(dlg.shown[0].text));
  QCOMPARE(dlg.shown[0].details,
           QString("Converted before the error:\n"
                   "A/A.vbp: converted, 2 files rewritten, 0 already "
                   "converted\n\nNo line is left that names version 8.\n"));
  QVERIFY(Converted("Stop/A/A.vbp"));
  QVERIFY(Untouched("Stop/B/B.vbp"));
  QVERIFY(Untouched("Stop/B/frmMain.frm"));
  QVERIFY(Untouched("Stop/C/C.vbp"));
  QVERIFY(form.isEnabled() && form.isVisible());
}

void CommandsTest::BatchConvertsASharedFormOnce() {
  // The library line inside a property survives conversion, so the contents
  // alone do not tell that the form was converted by the first project.
  const std::string shared =
      "VERSION 5.00\r\n"
      "Begin VB.Form frmShared\r\n"
      "   Begin Tabulon80.Grid grd\r\n"
      "      Tag = \"Object = "
      "\"{5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}#8.0#0\"; "
      "\"tbln8.ocx\"\"\r\n"
      "   End\r\n"
      "End\r\n";
  WriteTestFile(root_, "Two/Pair/A.vbp", Project("Form=frmShared.frm\r\n"));
  WriteTestFile(root_, "Two/Pair/B.vbp", Project("Form=frmShared.frm\r\n"));
  WriteTestFile(root_, "Two/Pair/frmShared.frm", shared);
  ScriptedDialogs dlg;
  dlg.answers = {true};
  Form1 form(dlg, DefaultFileSystem());
  form.Dir1->SetPath(TestFolder(root_, "Two"));
  QTest::mouseClick(form.cmdButton2, Qt::LeftButton);
  QCOMPARE(dlg.shown.size(), 1);
  QCOMPARE(dlg.shown[0].text, QString("Done converting 2 projects."));
  QCOMPARE(ReadTestFile(root_, "Two/Pair/frmShared.frm.bak"), shared);
  const std::string now = ReadTestFile(root_, "Two/Pair/frmShared.frm");
  QVERIFY(now.find("Begin Tabulon80c.Grid grd") != std::string::npos);
  QVERIFY(now.find("Tabulon80cc") == std::string::npos);
}

// The sample project made to show it: a module, a class and a property page
// that name the grid, and a reference to its library.
void CommandsTest::ExampleShowsWhatIsLeftForTheUser() {
  std::filesystem::copy(EXAMPLES_DIR "/Ledger", TestPath(root_, "Ledger"));
  ScriptedDialogs dlg;
  dlg.files = {root_ + "/Ledger/Ledger.vbp"};
  dlg.answers = {true, true};
  Form1 form(dlg, DefaultFileSystem());
  QTest::mouseClick(form.cmd, Qt::LeftButton);
  QCOMPARE(dlg.shown.size(), 2);
  QCOMPARE(dlg.shown[0].details,
           QString("What OK will do:\n"
                   "Ledger.vbp: will be rewritten, 1 line changes\n"
                   "    line 4: Object={5A1C3E90-7B24-4D6F-9E81-2C4B7A0D3F65}"
                   "#8.0#0; tbln8.ocx\n"
                   "         -> Object={e81f4c2a-6d07-4b93-a5c1-3f72b9e0d614}"
                   "#8.0#0; tbln8c.ocx\n"
                   "frmLedger.frm: will be rewritten, 3 lines change\n"
                   "    line 2: Object = \"{5A1C3E90-7B24-4D6F-9E81-"
                   "2C4B7A0D3F65}#8.0#0\"; \"tbln8.ocx\"\n"
                   "         -> Object = \"{e81f4c2a-6d07-4b93-a5c1-"
                   "3f72b9e0d614}#8.0#0\"; \"tbln8c.ocx\"\n"
                   "    line 13:    Begin Tabulon80.Grid grdLedger \n"
                   "          ->    Begin Tabulon80c.Grid grdLedger \n"
                   "    line 34:     Dim grd As Tabulon80.Grid\n"
                   "          ->     Dim grd As Tabulon80c.Grid\n"));
  QCOMPARE(dlg.shown[1].details,
           QString("What was done:\n"
                   "Ledger.vbp: rewritten, 1 line changed\n"
                   "frmLedger.frm: rewritten, 3 lines changed\n"
                   "\n"
                   "Left for you to fix: 7 lines that still name version 8:\n"
                   "Ledger.vbp, line 3: Reference=*\\G{5A1C3E90-7B24-4D6F-"
                   "9E81-2C4B7A0D3F65}#8.0#0#..\\..\\..\\Windows\\System32"
                   "\\tbln8.ocx#Tabulon Grid 8.0\n"
                   "modLedger.bas, line 4: ' Fills the ledger grid; the grid "
                   "type comes from tbln8.ocx.\n"
                   "modLedger.bas, line 5: Public Sub FillLedger(ByVal Target "
                   "As Tabulon80.Grid)\n"
                   "clsPosting.cls, line 12: Private mGrid As Tabulon80.Grid\n"
                   "clsPosting.cls, line 14: Public Property Set Grid(ByVal "
                   "Value As Tabulon80.Grid)\n"
                   "ppgColumns.pag, line 2: Object = \"{5A1C3E90-7B24-4D6F-"
                   "9E81-2C4B7A0D3F65}#8.0#0\"; \"tbln8.ocx\"\n"
                   "ppgColumns.pag, line 12:    Begin Tabulon80.Grid "
                   "grdColumns \n"));
}

QTEST_MAIN(CommandsTest)
#include "commands_test.moc"

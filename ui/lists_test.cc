#include <QAbstractItemModel>
#include <QDir>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <filesystem>

#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/form1.h"
#include "ui/testkit/scripteddialogs.h"
#include "ui/testkit/testfiles.h"
#include "ui/twips.h"

class ListsTest : public QObject {
  Q_OBJECT

 private slots:
  void init();
  void FolderListShowsAncestorsAndSortedSubfolders();
  void FileListShowsEveryFileAndNoFolder();
  void OnlyOpeningAnEntryMovesTheLists();

 private:
  // A window enlarged, as a user would, to bring the batch area into view.
  void ShowWhole(Form1& form);
  QTreeWidgetItem* Entry(FolderList& list, const char* name);

  QTemporaryDir tmp_;
  QString root_;
};

void ListsTest::init() {
  root_ = tmp_.path() + "/" + QTest::currentTestFunction();
  WriteTestFile(root_, "Orders/Orders.vbp", "Type=Exe\r\n");
  WriteTestFile(root_, "Orders/Orders.vbp.bak", "Type=Exe\r\n");
  WriteTestFile(root_, "Orders/frmMain.frm", "VERSION 5.00\r\n");
  WriteTestFile(root_, "Orders/a.bas", "");
  WriteTestFile(root_, "Orders/README", "");
  WriteTestFile(root_, "Orders/Forms/frmOrders.frm", "VERSION 5.00\r\n");
  WriteTestFile(root_, "billing/Billing.vbp", "Type=Exe\r\n");
  WriteTestFile(root_, "Archive/old.txt", "");
  WriteTestFile(root_, "top.vbp", "Type=Exe\r\n");
  // Links that lead nowhere or round in a loop are neither folders nor
  // files, and must not stop the listing.
  std::filesystem::create_symlink("loop", (root_ + "/loop").toStdString());
  std::filesystem::create_symlink("gone",
                                  (root_ + "/Orders/x.frm").toStdString());
  std::filesystem::create_symlink("self",
                                  (root_ + "/Orders/self").toStdString());
  QVERIFY(QDir::setCurrent(root_));
}

void ListsTest::ShowWhole(Form1& form) {
  form.resize(form.width(), TwipScale(form).Y(6900));
  form.show();
  QVERIFY(QTest::qWaitForWindowExposed(&form));
}

QTreeWidgetItem* ListsTest::Entry(FolderList& list, const char* name) {
  const QList<QTreeWidgetItem*> found =
      list.findItems(name, Qt::MatchExactly | Qt::MatchRecursive);
  return found.size() == 1 ? found.first() : nullptr;
}

void ListsTest::FolderListShowsAncestorsAndSortedSubfolders() {
  FolderList list(nullptr, DefaultFileSystem());
  list.SetPath(QFile::encodeName(root_ + "/Orders/../").toStdString());
  const std::string root = TestFolder(root_);
  QCOMPARE(list.Path(), root);
  QCOMPARE(list.SubfolderCount(), size_t{3});
  QCOMPARE(list.Subfolder(0), root + "/Archive");
  QCOMPARE(list.Subfolder(1), root + "/billing");
  QCOMPARE(list.Subfolder(2), root + "/Orders");

  // One entry per ancestor from "/" down, the folder itself highlighted.
  QTreeWidgetItem* item = list.topLevelItem(0);
  QCOMPARE(list.topLevelItemCount(), 1);
  QCOMPARE(item->text(0), QString("/"));
  int ancestors = 0;
  for (const auto& part : std::filesystem::path(root).relative_path()) {
    (void)part;
    QCOMPARE(item->childCount(), 1);
    item = item->child(0);
    ++ancestors;
  }
  QVERIFY(ancestors > 0);
  QCOMPARE(list.currentItem(), item);
  QCOMPARE(item->childCount(), 3);
  QCOMPARE(item->child(1)->text(0), QString("billing"));
}

void ListsTest::FileListShowsEveryFileAndNoFolder() {
  FileList list(nullptr, DefaultFileSystem());
  list.SetPath(TestFolder(root_, "Orders"));
  QStringList shown;
  const QAbstractItemModel& model = *list.model();
  for (int i = 0; i < model.rowCount(); ++i)
    shown << model.index(i, 0).data().toString();
  QCOMPARE(shown, QStringList({"a.bas", "frmMain.frm", "Orders.vbp",
                               "Orders.vbp.bak", "README"}));
  QCOMPARE(list.FileCount(), size_t{5});
  QCOMPARE(list.FileName(3), std::string("Orders.vbp.bak"));
}

void ListsTest::OnlyOpeningAnEntryMovesTheLists() {
  ScriptedDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  ShowWhole(form);
  const std::string root = TestFolder(root_);
  QSignalSpy changed(form.Dir1, &FolderList::Changed);

  QTreeWidgetItem* orders = Entry(*form.Dir1, "Orders");
  QVERIFY(orders != nullptr);
  form.Dir1->scrollToItem(orders);
  const QPoint at = form.Dir1->visualItemRect(orders).center();
  QTest::mouseClick(form.Dir1->viewport(), Qt::LeftButton, {}, at);
  QCOMPARE(form.Dir1->currentItem(), orders);
  QCOMPARE(form.Dir1->Path(), root);
  QCOMPARE(form.File1->Path(), root);
  QCOMPARE(form.File1->FileCount(), size_t{1});  // top.vbp

  QTest::mouseDClick(form.Dir1->viewport(), Qt::LeftButton, {}, at);
  QCOMPARE(form.Dir1->Path(), root + "/Orders");
  QCOMPARE(form.Dir1->SubfolderCount(), size_t{1});
  QCOMPARE(form.File1->Path(), root + "/Orders");
  QCOMPARE(form.File1->FileCount(), size_t{5});
  QCOMPARE(changed.count(), 1);

  // Back up with the keyboard: highlight the parent entry, then Enter.
  form.Dir1->setCurrentItem(form.Dir1->currentItem()->parent());
  QTest::keyClick(form.Dir1, Qt::Key_Return);
  QCOMPARE(form.Dir1->Path(), root);
  QCOMPARE(form.File1->FileCount(), size_t{1});
  QCOMPARE(changed.count(), 2);
  QVERIFY(dlg.shown.isEmpty());
}

QTEST_MAIN(ListsTest)
#include "lists_test.moc"

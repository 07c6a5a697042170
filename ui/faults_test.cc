// The window's batch command over a sample batch folder while the file
// system fails: every operation in turn, and a disk that fills up. Whatever
// fails, the user learns why or is told the batch is done, the window is
// usable again, and the folder keeps the promise of CheckTree.
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <cerrno>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "engine/testkit/sampletrees.h"
#include "engine/testkit/testing.h"
#include "engine/testkit/treecheck.h"
#include "ui/filelist.h"
#include "ui/folderlist.h"
#include "ui/form1.h"
#include "ui/testkit/scripteddialogs.h"

namespace {

// What one press of the batch button left behind.
struct Outcome {
  QList<ScriptedDialogs::Box> shown;
  bool enabled = false;
  std::string root;  // the batch folder, as the folder list shows it
  Tree after;
  std::string failed;     // the operation made to fail, if one was reached
  size_t operations = 0;  // file operations from the press on
};

QString ErrorPrefix(int err) {
  return QStringLiteral("Error %1: %2\n")
      .arg(err)
      .arg(QString::fromStdString(std::generic_category().message(err)));
}

}  // namespace

class FaultsTest : public QObject {
  Q_OBJECT

 private slots:
  void initTestCase();
  void cleanupTestCase();
  void BatchSurvivesEachOperationFailingOnce();
  void BatchSurvivesTheDiskFillingUp();
  void FoldersTheSystemDeniesAreReported();
  void BatchStopsAtAnEntryItCannotExamine();

 private:
  Outcome Press(const std::function<void(FaultyFileSystem&)>& arrange);
  // Checks the boxes of outcome: information boxes of projects without
  // grids, then either the failure with err or the closing count. Returns
  // whether the run failed.
  bool CheckBoxes(const Outcome& outcome, int err);

  QString cwd_;
  QTemporaryDir home_;  // the current directory between runs
  Tree before_;
  Tree converted_;         // what a run without faults leaves
  size_t operations_ = 0;  // its file operations
};

void FaultsTest::initTestCase() {
  cwd_ = QDir::currentPath();
  QVERIFY(home_.isValid());
  // The folders WriteTree makes become entries of their own; read back, the
  // tree has them too.
  QTemporaryDir dir;
  const std::string root = QFile::encodeName(dir.path()).toStdString();
  WriteTree(root, SampleBatch());
  before_ = ReadTree(root);

  const Outcome clean = Press([](FaultyFileSystem&) {});
  QVERIFY(clean.enabled);
  QVERIFY(!CheckBoxes(clean, 0));
  // Done holds no grid any more, nor does A once reached again through the
  // link to it; A and B are converted.
  QCOMPARE(clean.shown.size(), 3);
  QCOMPARE(clean.shown.last().text, QString("Done converting 4 projects."));
  converted_ = clean.after;
  operations_ = clean.operations;
  QCOMPARE(CheckTree(before_, converted_, converted_, false),
           std::vector<std::string>{});
  QVERIFY(converted_ != before_);
}

void FaultsTest::cleanupTestCase() { QDir::setCurrent(cwd_); }

Outcome FaultsTest::Press(
    const std::function<void(FaultyFileSystem&)>& arrange) {
  // The batch leaves the current directory in the folder of its last
  // project, which goes with the tree; a window made there would report it.
  QDir::setCurrent(home_.path());
  QTemporaryDir dir;
  WriteTree(QFile::encodeName(dir.path()).toStdString(), before_);
  FaultyFileSystem fs;
  ScriptedDialogs dlg;
  for (int i = 0; i < 10; ++i) dlg.answers << true;
  Outcome outcome;
  {
    Form1 form(dlg, fs);
    form.Dir1->SetPath(QFile::encodeName(dir.path()).toStdString());
    outcome.root = form.Dir1->Path();
    [&] { QVERIFY(dlg.shown.isEmpty()); }();
    // Counted from the press: the folder list read the batch folder before.
    fs.operations = 0;
    arrange(fs);
    QTest::mouseClick(form.cmdButton2, Qt::LeftButton);
    outcome.shown = dlg.shown;
    outcome.enabled = form.isEnabled();
    outcome.failed = fs.failed;
    outcome.operations = fs.operations;
  }
  QDir::setCurrent(home_.path());
  outcome.after = ReadTree(outcome.root);
  return outcome;
}

bool FaultsTest::CheckBoxes(const Outcome& outcome, int err) {
  bool failed = false;
  [&] {
    QVERIFY(!outcome.shown.isEmpty());
    for (qsizetype i = 0; i + 1 < outcome.shown.size(); ++i) {
      const ScriptedDialogs::Box& box = outcome.shown[i];
      QCOMPARE(box.icon, QMessageBox::Information);
      QCOMPARE(box.title, QString(kAppTitle));
      QVERIFY2(box.text.startsWith("Couldn't find any convertible controls"),
               qPrintable(box.text));
    }
    const ScriptedDialogs::Box& last = outcome.shown.last();
    QCOMPARE(last.buttons, QMessageBox::Ok);
    if (last.icon == QMessageBox::Critical) {
      failed = true;
      QCOMPARE(last.title, QString(kAppTitle));
      // Number, text and the path involved, a path inside the batch folder.
      const QString where =
          ErrorPrefix(err) +
          QFile::decodeName(QByteArray::fromStdString(outcome.root + "/"));
      QVERIFY2(last.text.startsWith(where),
               qPrintable(last.text + " / " +
                          QString::fromStdString(outcome.failed)));
      QVERIFY(last.window_enabled);
    } else {
      QCOMPARE(last.icon, QMessageBox::Information);
      QCOMPARE(last.title, QString("Done"));
      QVERIFY2(last.text.startsWith("Done converting "), qPrintable(last.text));
    }
  }();
  return failed;
}

void FaultsTest::BatchSurvivesEachOperationFailingOnce() {
  QVERIFY(operations_ > 100);
  QElapsedTimer timer;
  timer.start();
  size_t errors = 0;
  size_t copies = 0;
  for (size_t n = 1; n <= operations_; ++n) {
    const Outcome outcome = Press([n](FaultyFileSystem& fs) {
      fs.fail_at = n;
      fs.fail_errno = EIO;
    });
    const QByteArray what =
        QByteArray::number(qulonglong{n}) + " " + outcome.failed.c_str();
    QVERIFY2(!outcome.failed.empty(), what);
    QVERIFY2(outcome.enabled, what);
    const bool failed = CheckBoxes(outcome, EIO);
    if (QTest::currentTestFailed()) return qWarning("at %s", what.data());
    // Every failure is reported, a listing's too: a batch that passed over
    // an entry it could not examine would report success without a project.
    // A refused link alone is met by a copy, and the batch goes on. A module
    // is read for the places left once its project is converted; a failure
    // then lets the batch go on, and the Done box's details say so.
    const bool copied = outcome.failed.rfind("Link ", 0) == 0;
    const bool unread =
        !failed && outcome.shown.last().details.contains("could not be read");
    const bool met = copied || unread;
    QVERIFY2(failed != met, what);
    if (met) QVERIFY(outcome.after == converted_);
    errors += failed;
    copies += met;
    QCOMPARE(CheckTree(before_, outcome.after, converted_, false),
             std::vector<std::string>{});
  }
  QCOMPARE(errors + copies, operations_);
  qInfo("%zu operations failed in turn, %zu reported, %lld ms", operations_,
        errors, static_cast<long long>(timer.elapsed()));
}

void FaultsTest::BatchSurvivesTheDiskFillingUp() {
  // Only the new files take space: each backup is its original's blocks.
  size_t written = 0;
  for (const auto& [name, entry] : converted_) {
    if (before_.count(name) != 0 && before_.at(name) != entry)
      written += entry.bytes.size();
  }
  QVERIFY(written > 0);
  size_t runs = 0;
  // A prime step moves the border around inside each file written.
  for (size_t free = 0; free < written; free += 97) {
    const Outcome outcome =
        Press([free](FaultyFileSystem& fs) { fs.disk_free = free; });
    const QByteArray what = QByteArray::number(qulonglong{free});
    QVERIFY2(outcome.enabled, what);
    QVERIFY2(CheckBoxes(outcome, ENOSPC), what);
    if (QTest::currentTestFailed()) return qWarning("at %s", what.data());
    QCOMPARE(CheckTree(before_, outcome.after, converted_, true),
             std::vector<std::string>{});
    ++runs;
  }
  const Outcome roomy =
      Press([&](FaultyFileSystem& fs) { fs.disk_free = written * 2; });
  QVERIFY(!CheckBoxes(roomy, 0));
  QVERIFY(roomy.after == converted_);
  qInfo("%zu disks filled", runs);
}

void FaultsTest::FoldersTheSystemDeniesAreReported() {
  // The folders are readable; only the file system the window was given
  // denies them, so this passes only if the window goes through it.
  QDir::setCurrent(home_.path());
  QTemporaryDir dir;
  WriteTree(QFile::encodeName(dir.path()).toStdString(), before_);
  FaultyFileSystem fs;
  ScriptedDialogs dlg;
  dlg.answers = {true, true};
  Form1 form(dlg, fs);
  form.Dir1->SetPath(QFile::encodeName(dir.path()).toStdString());
  const std::string root = form.Dir1->Path();
  const std::string a = root + "/A";
  fs.unreadable.insert(a);

  form.Dir1->SetPath(a);
  QCOMPARE(form.Dir1->SubfolderCount(), size_t{0});
  QCOMPARE(form.File1->model()->rowCount(), 0);
  dlg.files = {QFile::decodeName(QByteArray::fromStdString(a + "/A.vbp"))};
  QTest::mouseClick(form.cmd, Qt::LeftButton);

  QCOMPARE(dlg.shown.size(), 2);
  const QString denied =
      ErrorPrefix(EACCES) + QFile::decodeName(QByteArray::fromStdString(a));
  for (const ScriptedDialogs::Box& box : dlg.shown) {
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.text, denied);  // listing it, then entering it
  }
  QVERIFY(form.isEnabled());
  QDir::setCurrent(home_.path());
  QVERIFY(ReadTree(root) == before_);
}

void FaultsTest::BatchStopsAtAnEntryItCannotExamine() {
  QTemporaryDir dir;
  WriteTree(QFile::encodeName(dir.path()).toStdString(), before_);
  FaultyFileSystem fs;
  const std::string root = QFile::encodeName(dir.path()).toStdString();
  const std::string a = root + "/A";
  fs.unexaminable.insert(a);
  ScriptedDialogs dlg;
  dlg.answers = {true, true};
  Form1 form(dlg, fs);
  form.Dir1->SetPath(root);
  QCOMPARE(form.Dir1->SubfolderCount(), size_t{0});
  QTest::mouseClick(form.cmdButton2, Qt::LeftButton);

  // Once when the folder was opened, once for the batch; never "Done".
  const QString denied =
      ErrorPrefix(EACCES) + QFile::decodeName(QByteArray::fromStdString(a));
  QCOMPARE(dlg.shown.size(), 2);
  for (const ScriptedDialogs::Box& box : dlg.shown) {
    QCOMPARE(box.icon, QMessageBox::Critical);
    QCOMPARE(box.text, denied);
  }
  QVERIFY(form.isEnabled());
  QVERIFY(ReadTree(root) == before_);
}

QTEST_MAIN(FaultsTest)
#include "faults_test.moc"

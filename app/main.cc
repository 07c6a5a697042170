#include <QApplication>

#include "engine/filesystem.h"
#include "ui/dialogs.h"
#include "ui/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  // Desktops match the window to its menu entry and icon by this name.
  QApplication::setDesktopFileName(
      QStringLiteral("net.tabulonmigration.TabulonMigration"));
  QtDialogs dlg;
  Form1 form(dlg, DefaultFileSystem());
  form.show();
  return app.exec();
}

#include <QApplication>

#include "ui/dialogs.h"
#include "ui/form1.h"

int main(int argc, char** argv) {
  QApplication app(argc, argv);
  QtDialogs dlg;
  Form1 form(dlg);
  form.show();
  return app.exec();
}

// Ormund: registers the client's two components on a new machine.
#include "FrmIstalla.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ormund"));
    FrmIstalla w(QCoreApplication::applicationDirPath());
    w.show();
    return app.exec();
}

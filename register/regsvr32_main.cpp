// The registration tool that Ormund starts once for each component file.
#include "Registration.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("regsvr32"));
    QStringList args = QCoreApplication::arguments();
    args.removeFirst();
    const Registration::Outcome out = Registration::run(args);
    if (!out.silent) {
        QMessageBox box(out.exitCode == 0 ? QMessageBox::Information : QMessageBox::Critical,
                        QStringLiteral("regsvr32"), out.message, QMessageBox::Ok);
        box.exec();
    }
    return out.exitCode;
}

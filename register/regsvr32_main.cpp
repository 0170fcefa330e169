// The registration tool that Ormund starts once for each component file.
#include "Registration.h"

#include <QApplication>
#include <QMessageBox>

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 1; i < argc; ++i)
        args << QString::fromLocal8Bit(argv[i]);
    const Registration::Outcome out = Registration::run(args);
    // Silent runs need no display at all.
    if (out.silent)
        return out.exitCode;
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("regsvr32"));
    QMessageBox box(out.exitCode == 0 ? QMessageBox::Information : QMessageBox::Critical,
                    QStringLiteral("regsvr32"), out.message, QMessageBox::Ok);
    box.exec();
    return out.exitCode;
}

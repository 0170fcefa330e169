#include "client/FrmMain.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varendor"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_STRING));
    // The windows were designed with this face: prefer a narrow sans of the
    // same metrics, else the default sans.
    QFont::insertSubstitutions(QStringLiteral("MS Sans Serif"),
                               {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"),
                                QFont().defaultFamily()});

    FrmMain window(QCoreApplication::applicationDirPath());
    window.Form_Load();
    return app.exec();
}

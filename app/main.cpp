#include "session/FrmMain.h"

#include <QApplication>
#include <QFont>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Varendor"));
    QApplication::setApplicationVersion(QStringLiteral(PROJECT_VERSION_STRING));
    // The windows were designed with this face; let it fall to the default sans.
    QFont::insertSubstitution(QStringLiteral("MS Sans Serif"), QFont().defaultFamily());

    FrmMain window(QCoreApplication::applicationDirPath());
    window.Form_Load();
    return app.exec();
}

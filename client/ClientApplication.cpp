#include "client/ClientApplication.h"

#include "files/QtItalian.h"
#include "ui/AppIcon.h"
#include "ui/ClientStyle.h"

#include <QApplication>
#include <QFont>

void setUpClientApplication(QApplication& app) {
    installQtItalian(app);
    QGuiApplication::setDesktopFileName(QStringLiteral("org.varendor.Varendor"));
    QApplication::setWindowIcon(AppIcon::make());
    QApplication::setStyle(new ClientStyle);
    // The windows were designed with this face: prefer a narrow sans of the
    // same metrics, else the default sans.
    QFont::insertSubstitutions(
        QStringLiteral("MS Sans Serif"),
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QFont().defaultFamily()});
}

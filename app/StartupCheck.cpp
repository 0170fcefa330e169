#include "app/StartupCheck.h"

#include "app/Terminal.h"

#include <QApplication>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

namespace StartupCheck {

void run(const std::function<void()>& startUp) {
    QTimer closer;
    closer.setInterval(10);
    QObject::connect(&closer, &QTimer::timeout, [] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal)
            return;
        QString what = modal->objectName();
        if (auto* box = qobject_cast<QMessageBox*>(modal))
            what = QStringLiteral("messaggio \"%1\"").arg(box->text());
        Terminal::writeErr(QStringLiteral("prova-avvio: chiusa la finestra %1\n").arg(what));
        modal->close();
    });
    closer.start();
    startUp();
    closer.stop();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

} // namespace StartupCheck

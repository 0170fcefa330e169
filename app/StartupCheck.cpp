#include "app/StartupCheck.h"

#include "app/Terminal.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QMessageBox>
#include <QTimer>
#include <QWidget>

namespace StartupCheck {

void run(const std::function<void()>& startUp, const std::function<bool()>& settling,
         int settleMs) {
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
    if (settling) {
        // Messages shown meanwhile are closed and named as well.
        QDeadlineTimer deadline(settleMs);
        while (settling() && !deadline.hasExpired())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    closer.stop();
    QTimer::singleShot(0, qApp, &QCoreApplication::quit);
}

} // namespace StartupCheck

#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
// Acts on the message box once it is up, as a person would.
void whenShown(const std::function<void(QMessageBox*)>& act) {
    QTimer::singleShot(0, [act] {
        QTRY_VERIFY(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
        act(qobject_cast<QMessageBox*>(QApplication::activeModalWidget()));
    });
}

QAbstractButton* buttonNamed(QMessageBox* box, const QString& text) {
    for (QAbstractButton* b : box->buttons())
        if (b->text() == text)
            return b;
    return nullptr;
}
} // namespace

class TestDialogs : public QObject {
    Q_OBJECT
private slots:
    // The real host: one button per answer, the chosen one's index back;
    // Escape and closing pick the default answer.
    void choiceWithItsOwnButtons() {
        const QStringList answers{"Una volta", "Sempre", "Rinuncia"};
        QString shownText;
        whenShown([&](QMessageBox* box) {
            shownText = box->text();
            QCOMPARE(static_cast<QAbstractButton*>(box->defaultButton()),
                     buttonNamed(box, "Rinuncia"));
            buttonNamed(box, "Sempre")->click();
        });
        QCOMPARE(dialogs().choice(nullptr, "Domanda?", answers, 2, Msg::Exclamation, "Titolo"), 1);
        QCOMPARE(shownText, QString("Domanda?"));

        whenShown([](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); });
        QCOMPARE(dialogs().choice(nullptr, "Ancora?", answers, 2, Msg::Question, QString()), 2);
    }
};

QTEST_MAIN(TestDialogs)
#include "tst_dialogs.moc"

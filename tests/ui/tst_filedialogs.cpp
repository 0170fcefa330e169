#include "files/QtItalian.h"
#include "support/ScriptedDialogs.h"
#include "ui/FileDialogs.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
const QString kNoteFilter = QStringLiteral("Varendor Nota(*.not)") + QChar(0) +
                            QStringLiteral("*.not") + QChar(0) + QChar(0);

// A host that picks a filter the way a person does, to see what the next
// dialog is offered.
class ChoosingHost : public DialogHost {
public:
    ChoosingHost() { setDialogHost(this); }
    ~ChoosingHost() override { setDialogHost(nullptr); }
    int chooseFilter = -1;
    QList<int> offered;
    QString answer;
    int messageBox(QWidget*, const QString&, int, const QString&) override { return Msg::Ok; }
    QString fileDialog(FileDialogRequest& r) override {
        offered << r.filterIndex;
        if (chooseFilter >= 0)
            r.filterIndex = chooseFilter;
        return answer;
    }
    void runModal(QDialog*) override {}
};
} // namespace

class TestFileDialogs : public QObject {
    Q_OBJECT
private slots:
    void filtersBecomeQtNameFilters() {
        QCOMPARE(nameFiltersFrom(kNoteFilter), QStringList{"Varendor Nota(*.not) (*.not)"});
        // A description with parentheses of its own keeps them.
        const QString bg = QStringLiteral("File grafico(bmp, gif, jpg)(*.*)") + QChar(0) +
                           QStringLiteral("*.*") + QChar(0) + QChar(0);
        QCOMPARE(nameFiltersFrom(bg), QStringList{"File grafico(bmp, gif, jpg)(*.*) (*.*)"});
        // Two pairs, several patterns, no closing NUL, a description left alone.
        const QString two = QStringLiteral("Immagini") + QChar(0) + QStringLiteral("*.bmp;*.gif") +
                            QChar(0) + QStringLiteral("Tutti") + QChar(0) + QStringLiteral("*.*") +
                            QChar(0) + QStringLiteral("Orfana");
        QCOMPARE(nameFiltersFrom(two), (QStringList{"Immagini (*.bmp *.gif)", "Tutti (*.*)"}));
        QVERIFY(nameFiltersFrom(QString()).isEmpty());
    }

    // The real dialog, driven while it is open: each description is shown
    // once, as the caller wrote it, and the filter chosen is remembered.
    void theDialogShowsEachDescriptionOnce() {
        QTemporaryDir dir;
        const QString picture = dir.filePath("sfondo.bmp");
        QFile file(picture);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.close();
        const QString filters = QStringLiteral("File grafico(bmp, gif, jpg)(*.*)") + QChar(0) +
                                QStringLiteral("*.*") + QChar(0) + QStringLiteral("Immagini") +
                                QChar(0) + QStringLiteral("*.bmp;*.gif") + QChar(0) + QChar(0);
        QStringList shown;
        int offered = -1;
        std::function<void(QFileDialog*)> act;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* d = qobject_cast<QFileDialog*>(w);
                if (!d || !d->isVisible())
                    continue;
                auto* combo = d->findChild<QComboBox*>("fileTypeCombo");
                QVERIFY(combo);
                shown.clear();
                for (int i = 0; i < combo->count(); ++i)
                    shown << combo->itemText(i);
                offered = combo->currentIndex();
                act(d);
                return;
            }
        });
        poll.start(10);

        act = [&](QFileDialog* d) {
            d->findChild<QComboBox*>("fileTypeCombo")->setCurrentIndex(1);
            d->selectFile(picture);
            static_cast<QDialog*>(d)->accept(); // as the Open button does
        };
        QCOMPARE(ShowOpenDialog(nullptr, filters, "Carica Sfondo", 0x81000), picture);
        QCOMPARE(shown, (QStringList{"File grafico(bmp, gif, jpg)(*.*)", "Immagini"}));

        act = [](QFileDialog* d) { d->reject(); };
        QCOMPARE(ShowOpenDialog(nullptr, filters, "Carica Sfondo", 0x81000), QString());
        QCOMPARE(offered, 1);
        QCOMPARE(ShowSaveDialog(nullptr, kNoteFilter, "Salva Nota", 0x80000), QString());
        QCOMPARE(shown, QStringList{"Varendor Nota(*.not)"});
    }

    void trimAtNull() {
        QCOMPARE(TrimAtNull(QStringLiteral("abc")), QString("abc"));
        QCOMPARE(TrimAtNull(QStringLiteral("/a/b.not") + QString(240, QChar(0))),
                 QString("/a/b.not"));
        QCOMPARE(TrimAtNull(QString(3, QChar(0))), QString());
    }

    void cancelAndChoice() {
        ScriptedDialogs d;
        d.filePaths << ""
                    << "" << QStringLiteral("/tmp/x.not") + QString(5, QChar(0));
        QCOMPARE(ShowOpenDialog(nullptr, kNoteFilter, "Apri Nota", 0x81000), QString());
        QCOMPARE(ShowSaveDialog(nullptr, kNoteFilter, "Salva Nota", 0x80000), QString());
        // The save dialog takes names of files that do not exist yet.
        QCOMPARE(ShowSaveDialog(nullptr, kNoteFilter, "Salva Nota", 0x80000),
                 QString("/tmp/x.not"));
        QCOMPARE(d.fileRequests.size(), 3);
        QCOMPARE(d.fileRequests[0].kind, FileDialogRequest::Open);
        QCOMPARE(d.fileRequests[0].title, QString("Apri Nota"));
        QVERIFY(d.fileRequests[0].mustExist);
        QCOMPARE(d.fileRequests[0].nameFilters, QStringList{"Varendor Nota(*.not) (*.not)"});
        QCOMPARE(d.fileRequests[2].kind, FileDialogRequest::Save);
        QVERIFY(!d.fileRequests[2].mustExist);
        QVERIFY(d.messages.isEmpty());
    }

    void openRefusesMissingFilesOnlyWithTheFlag() {
        QTemporaryDir dir;
        const QString real = dir.filePath("nota.not");
        QFile f(real);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.close();
        const QString missing = dir.filePath("manca.not");

        ScriptedDialogs d;
        // A missing name is refused with a warning and the dialog asks again.
        d.filePaths << missing << dir.path() << real;
        QCOMPARE(ShowOpenDialog(nullptr, kNoteFilter, "Apri Nota", 0x81000), real);
        QCOMPARE(d.fileRequests.size(), 3);
        QCOMPARE(d.messages.size(), 2);
        QVERIFY(d.messages[0].text.contains(missing));
        // Refused, then cancelled: the empty string.
        d.filePaths << missing;
        QCOMPARE(ShowOpenDialog(nullptr, kNoteFilter, "Apri Nota", 0x81000), QString());
        // Without the flag the name is the caller's business.
        d.messages.clear();
        d.filePaths << missing;
        QCOMPARE(ShowOpenDialog(nullptr, kNoteFilter, "Apri", 0x80000), missing);
        QVERIFY(d.messages.isEmpty());
    }

    void chosenFilterIsOfferedNextTime() {
        const QString two = QStringLiteral("A") + QChar(0) + QStringLiteral("*.a") + QChar(0) +
                            QStringLiteral("B") + QChar(0) + QStringLiteral("*.b") + QChar(0) +
                            QChar(0);
        ChoosingHost h;
        h.answer = QStringLiteral("/tmp/x.b");
        h.chooseFilter = 1;
        QCOMPARE(ShowSaveDialog(nullptr, two, "t", 0), QString("/tmp/x.b"));
        h.chooseFilter = -1;
        ShowSaveDialog(nullptr, two, "t", 0);
        // Shared by both dialogs; out of range for a one-filter list: the first.
        h.answer.clear();
        ShowOpenDialog(nullptr, two, "t", 0);
        ShowOpenDialog(nullptr, kNoteFilter, "t", 0);
        QCOMPARE(h.offered.mid(1), (QList<int>{1, 1, 0}));
    }

    // With Qt's Italian translations (last: they stay installed) the real
    // dialog speaks Italian, and a name typed alone lands in the folder the
    // caller gave: the player's Note/ for notes.
    void realDialogInItalianOpensInTheFolderGiven() {
        QVERIFY2(installQtItalian(*qApp), "qtbase_it.qm missing: run tools/setup-deps.sh");
        QTemporaryDir dir;
        const QString notes = dir.filePath("Note");
        QVERIFY(QDir().mkpath(notes));
        QStringList texts;
        QString opened;
        QTimer poll;
        connect(&poll, &QTimer::timeout, this, [&] {
            auto* d = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
            if (!d || !d->isVisible())
                return;
            poll.stop();
            opened = d->directory().absolutePath();
            for (const char* name : {"lookInLabel", "fileNameLabel", "fileTypeLabel"})
                texts << d->findChild<QLabel*>(name)->text();
            auto* box = d->findChild<QDialogButtonBox*>("buttonBox");
            texts << box->button(QDialogButtonBox::Save)->text()
                  << box->button(QDialogButtonBox::Cancel)->text();
            d->findChild<QLineEdit*>("fileNameEdit")->setText("lettera.not");
            box->button(QDialogButtonBox::Save)->click();
        });
        poll.start(10);
        QCOMPARE(ShowSaveDialog(nullptr, kNoteFilter, "Salva Nota", 0x80000, notes),
                 notes + "/lettera.not");
        QCOMPARE(opened, notes);
        QCOMPARE(texts, (QStringList{"Cerca in:", "&Nome del file:", "File di tipo:", "&Salva",
                                     "Annulla"}));
    }
};

QTEST_MAIN(TestFileDialogs)
#include "tst_filedialogs.moc"

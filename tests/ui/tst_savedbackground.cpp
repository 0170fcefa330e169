// The chosen background kept in the player's folder: an exact copy, one at a
// time, a damaged copy told about, and a failed copy losing nothing.
#include "support/ReadOnlyFolder.h"
#include "support/TestFiles.h"
#include "ui/SavedBackground.h"

#include <QBuffer>
#include <QtTest>

namespace {
QByteArray pictureBytes(QColor colour, const char* format) {
    QImage img(8, 8, QImage::Format_RGB32);
    img.fill(colour);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    img.save(&buffer, format);
    return bytes;
}
} // namespace

class TestSavedBackground : public QObject {
    Q_OBJECT

    QTemporaryDir m_dir;
    QString path(const QString& name) const { return m_dir.filePath(name); }
    QStringList kept() const { return QDir(m_dir.path()).entryList({"sfondo*"}, QDir::Files); }

private slots:
    void keptCopyComesBack() {
        QVERIFY(SavedBackground::load(m_dir.path()).image.isNull());
        QCOMPARE(SavedBackground::load(m_dir.path()).result.kind, FileResult::Kind::Done);

        const QByteArray red = pictureBytes(Qt::red, "BMP");
        put(path("scelta.bmp"), red);
        QVERIFY(SavedBackground::keep(m_dir.path(), path("scelta.bmp"), "bmp"));
        QCOMPARE(kept(), QStringList{"sfondo.bmp"});
        QCOMPARE(get(path("sfondo.bmp")), red);     // byte for byte
        QVERIFY(QFile::remove(path("scelta.bmp"))); // the original may go
        QCOMPARE(SavedBackground::load(m_dir.path()).image.pixelColor(2, 2), QColor(Qt::red));

        // A new choice replaces the old one, also when it is the kept copy itself.
        put(path("blu.png"), pictureBytes(Qt::blue, "PNG"));
        QVERIFY(SavedBackground::keep(m_dir.path(), path("blu.png"), "png"));
        QCOMPARE(kept(), QStringList{"sfondo.png"});
        QVERIFY(SavedBackground::keep(m_dir.path(), path("sfondo.png"), "png"));
        QCOMPARE(kept(), QStringList{"sfondo.png"});
        QCOMPARE(SavedBackground::load(m_dir.path()).image.pixelColor(2, 2), QColor(Qt::blue));
    }

    void damagedCopyIsTold() {
        QTemporaryDir dir;
        put(dir.filePath("sfondo.png"), "non un'immagine");
        const auto loaded = SavedBackground::load(dir.path());
        QVERIFY(loaded.image.isNull());
        QCOMPARE(loaded.result.kind, FileResult::Kind::ReadFailed);
        QVERIFY(loaded.result.message.contains(dir.filePath("sfondo.png")));
        QVERIFY(loaded.result.message.contains("Si usa lo sfondo normale"));
        QCOMPARE(get(dir.filePath("sfondo.png")), QByteArray("non un'immagine"));
    }

    void failedCopyKeepsThePrevious() {
        QTemporaryDir dir;
        const QByteArray green = pictureBytes(Qt::green, "PNG");
        put(dir.filePath("sfondo.png"), green);
        put(path("nuovo.bmp"), pictureBytes(Qt::yellow, "BMP"));
        FileResult kept = SavedBackground::keep(dir.path(), path("manca.bmp"), "bmp");
        QCOMPARE(kept.kind, FileResult::Kind::WriteFailed);
        QVERIFY(kept.message.contains("manca.bmp"));
        QVERIFY(kept.message.endsWith("Lo sfondo resta solo per questa sessione."));
        {
            ReadOnlyFolder ro(dir.path());
            if (!ro.ok())
                QSKIP("this file system cannot make a folder read-only");
            kept = SavedBackground::keep(dir.path(), path("nuovo.bmp"), "bmp");
            QCOMPARE(kept.kind, FileResult::Kind::WriteFailed);
            QVERIFY(kept.message.contains("Impossibile salvare lo sfondo"));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"sfondo.png"});
        QCOMPARE(get(dir.filePath("sfondo.png")), green);
    }
};

QTEST_MAIN(TestSavedBackground)
#include "tst_savedbackground.moc"

// Draws the program's icon into a hicolor icon theme tree at build time:
//   varendor-icons OUTDIR NAME SIZE...
// writes OUTDIR/hicolor/SIZExSIZE/apps/NAME.png for each size.
#include "ui/Artwork.h"

#include <QDir>
#include <QImageWriter>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s OUTDIR NAME SIZE...\n", argv[0]);
        return 1;
    }
    const QString out = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        if (size < 8 || size > 1024) {
            std::fprintf(stderr, "bad icon size: %s\n", argv[i]);
            return 1;
        }
        const QString folder = QStringLiteral("%1/hicolor/%2x%2/apps").arg(out).arg(size);
        QImageWriter writer(folder + QChar('/') + name + QStringLiteral(".png"), "png");
        if (!QDir().mkpath(folder) || !writer.write(Artwork::appIcon(size))) {
            std::fprintf(stderr, "cannot write the %d pixel icon: %s\n", size,
                         qPrintable(writer.errorString()));
            return 1;
        }
    }
    return 0;
}

#include "ui/DisplayFont.h"

#include <QFontDatabase>
#include <QFontInfo>

namespace {
// The family without the foundry Qt adds when two foundries share a name.
QString plainFamily(const QString& family) {
    const qsizetype bracket = family.indexOf(QLatin1String(" ["));
    return bracket > 0 && family.endsWith(u']') ? family.left(bracket) : family;
}

QString installedName(const QString& wanted, const QStringList& installed) {
    for (const QString& family : installed)
        if (plainFamily(family).compare(wanted, Qt::CaseInsensitive) == 0)
            return plainFamily(family);
    return {};
}
} // namespace

QString DisplayFont::chooseFamily(const QString& wanted, const QStringList& installed,
                                  const QString& systemMono) {
    const QString name = wanted.trimmed();
    const bool courier = name.isEmpty() || name.compare(kDefaultFamily, Qt::CaseInsensitive) == 0 ||
                         name.compare(QLatin1String("Courier New"), Qt::CaseInsensitive) == 0;
    if (!courier) {
        const QString found = installedName(name, installed);
        if (!found.isEmpty())
            return found;
    }
    for (const char* screenFace : {"Liberation Mono", "DejaVu Sans Mono"}) {
        const QString found = installedName(QLatin1String(screenFace), installed);
        if (!found.isEmpty())
            return found;
    }
    return plainFamily(systemMono);
}

QFont DisplayFont::make(const QString& family, qreal points) {
    // The system's fixed face is asked for only when no screen face is
    // installed: asking loads that face, which would then sit unused.
    const QStringList installed = QFontDatabase::families();
    QString chosen = chooseFamily(family, installed, {});
    if (chosen.isEmpty())
        chosen =
            chooseFamily(family, installed,
                         QFontInfo(QFontDatabase::systemFont(QFontDatabase::FixedFont)).family());
    QFont font(chosen);
    font.setPointSizeF(qBound(kMinPoints, points > 0 ? points : kDefaultPoints, kMaxPoints));
    font.setStyleHint(QFont::TypeWriter);
    font.setFixedPitch(true);
    return font;
}

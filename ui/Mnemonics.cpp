#include "ui/Mnemonics.h"

#include <QSet>

QList<int> chooseMnemonics(const QStringList& captions) {
    QList<int> chosen;
    QSet<QChar> taken;
    for (const QString& caption : captions) {
        int at = -1;
        for (qsizetype i = 0; i < caption.size(); ++i) {
            const QChar c = caption[i].toLower();
            if (c.isLetter() && !taken.contains(c)) {
                taken.insert(c);
                at = int(i);
                break;
            }
        }
        chosen.append(at);
    }
    return chosen;
}

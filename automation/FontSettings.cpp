#include "automation/FontSettings.h"

#include "automation/ButtonConfig.h"
#include "ui/DisplayFont.h"

namespace {
const QString kSection = QStringLiteral("CARATTERE");
const QString kFamily = QStringLiteral("NOME");
const QString kSize = QStringLiteral("DIMENSIONE");
} // namespace

FontChoice readFontChoice(const Api& api) {
    FontChoice choice;
    choice.family = ReadConfigValue(api, kSection, kFamily).trimmed();
    if (choice.family.isEmpty())
        choice.family = DisplayFont::kDefaultFamily;
    bool ok = false;
    const qreal points =
        ReadConfigValue(api, kSection, kSize).trimmed().replace(u',', u'.').toDouble(&ok);
    choice.points = ok && points >= DisplayFont::kMinPoints && points <= DisplayFont::kMaxPoints
                        ? points
                        : DisplayFont::kDefaultPoints;
    return choice;
}

FileResult writeFontChoice(const Api& api, const FontChoice& choice) {
    if (FileResult family = WriteConfigValue(api, kSection, kFamily, choice.family); !family)
        return family;
    return WriteConfigValue(api, kSection, kSize, QString::number(choice.points, 'g', 4));
}

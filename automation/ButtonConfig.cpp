#include "automation/ButtonConfig.h"

#include "automation/ColourNumber.h"
#include "files/ProfileFile.h"

#include <QListWidget>

namespace {
const QString kConfigFile = QStringLiteral("config.ini");
constexpr WinColour kDefaultActiveColor = winRgb(255, 255, 128); // &H80FFFF
} // namespace

QString ReadConfigValue(const Api& api, const QString& section, const QString& key) {
    return ProfileFile::readValue(api.pathOf(kConfigFile), section, key);
}

FileResult WriteConfigValue(const Api& api, const QString& section, const QString& key,
                            const QString& value) {
    return ProfileFile::writeValue(api.pathOf(kConfigFile), section, key, value);
}

QString buttonSection(int n) {
    return QStringLiteral("BOTTONE ") + QString::number(n);
}

FileResult LoadButtons(const Api& api, ButtonBar& bar, QListWidget* list) {
    if (list)
        list->clear();
    for (int n = 1; n <= int(bar.size()); ++n) {
        CButton& b = bar[n - 1];
        const QString section = buttonSection(n);
        b.setCaption(ReadConfigValue(api, section, QStringLiteral("CAPTION")));
        b.setAzione(ReadConfigValue(api, section, QStringLiteral("AZIONE")));
        const QString colour = ReadConfigValue(api, section, QStringLiteral("COLORE"));
        b.setActiveColor(colour.isEmpty() ? kDefaultActiveColor : ColourNumber::parse(colour));
        b.setAttivo(ReadConfigValue(api, section, QStringLiteral("STATO")) ==
                    QLatin1String("Attivo"));
        if (list)
            list->addItem(QString::number(n) + QStringLiteral(") ") + b.Caption());
    }
    const FileResult read = ProfileFile::readable(api.pathOf(kConfigFile));
    if (read)
        return read;
    return FileResult::readFailed(read.message +
                                  QStringLiteral(".\nI bottoni restano vuoti finché il file non "
                                                 "si potrà leggere."));
}

#include "Registration.h"

#include <QFileInfo>

namespace Registration {

Outcome run(const QStringList& arguments) {
    Outcome out;
    bool unregister = false;
    QString file;
    int files = 0;
    for (const QString& a : arguments) {
        const QString lower = a.toLower();
        if (lower == QLatin1String("/s") || lower == QLatin1String("-s"))
            out.silent = true;
        else if (lower == QLatin1String("/u") || lower == QLatin1String("-u"))
            unregister = true;
        else {
            file = a;
            ++files;
        }
    }
    if (files != 1) {
        out.exitCode = 1;
        out.message = QStringLiteral("Uso: regsvr32 [/s] [/u] componente\n"
                                     "Indicare un solo file di componente.");
        return out;
    }
    QString path = file;
    path.replace(QChar('\\'), QChar('/'));
    const QFileInfo fi(path);
    if (!fi.isFile() || !fi.isReadable()) {
        out.exitCode = 3;
        out.message = QStringLiteral("Impossibile trovare il componente\n%1\n"
                                     "Verificare che il file esista e sia leggibile.")
                          .arg(file);
        return out;
    }
    out.message = unregister
                      ? QStringLiteral("Rimozione della registrazione di\n%1\nriuscita.").arg(file)
                      : QStringLiteral("Registrazione di\n%1\nriuscita.").arg(file);
    return out;
}

} // namespace Registration

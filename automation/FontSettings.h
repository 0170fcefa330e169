#pragma once
// The display's font in section "CARATTERE" of config.ini: "NOME" the
// family, "DIMENSIONE" the size in points ("9.75", a comma also read). A
// missing or unreadable value gives the default; nothing here is an error.
#include "automation/Api.h"
#include "files/FileResult.h"

#include <QString>

struct FontChoice {
    QString family;
    qreal points = 0;
};

FontChoice readFontChoice(const Api& api);
// WriteFailed when it could not be stored (the file is then left as it was).
FileResult writeFontChoice(const Api& api, const FontChoice& choice);

#pragma once
// The background picture the player chose (Configura -> Sfondo), kept in the
// player's folder as "sfondo.<format>", a byte-for-byte copy of the chosen
// file, so it is there again at the next start even when the original moves.
#include "files/FileResult.h"

#include <QImage>
#include <QString>

namespace SavedBackground {

struct Loaded {
    QImage image;      // null when none was kept or it cannot be read
    FileResult result; // ReadFailed when a kept picture cannot be read
};

// The picture kept in folder, if any.
Loaded load(const QString& folder);

// Keeps a copy of the picture file sourcePath, of the given image format
// ("png", "jpeg", ... as QImageReader names it), in folder. The copy replaces
// the previous one in one step; on failure the previous one stays and the
// result says why, in Italian.
FileResult keep(const QString& folder, const QString& sourcePath, const QByteArray& format);

} // namespace SavedBackground

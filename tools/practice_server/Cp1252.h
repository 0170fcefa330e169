#pragma once
// The game speaks 8-bit Windows-1252; every byte has a character and back.
#include <QByteArray>
#include <QString>

namespace Cp1252 {
QString decode(const QByteArray& bytes);
// Characters the code page lacks become '?'.
QByteArray encode(const QString& text);
} // namespace Cp1252

#pragma once
// An ActionText holds game commands separated by "<%>"; a "§" stands for an
// apostrophe. Each sender adds its own terminator rule before converting.
#include <QString>
#include <QStringView>

namespace ActionText {
inline const QString kSeparator = QStringLiteral("<%>");
inline const QString kCrLf = QStringLiteral("\r\n");

// "§" becomes "'", then every "<%>" becomes CR LF.
QString toWire(const QString& action);
} // namespace ActionText

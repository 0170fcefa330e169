#pragma once
// Qt's own texts in Italian: the file dialogs' labels and buttons, the text
// boxes' context menus, the socket and TLS error descriptions. They come
// from the system's Qt translations (on Debian, qt6-translations-l10n).
// Qt Core only, so that the practice server speaks Italian too.
class QCoreApplication;

// Installs them for app; false when the system has none (Qt's texts then
// stay in English).
bool installQtItalian(QCoreApplication& app);

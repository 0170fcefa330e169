#pragma once
// The button bar's settings in "config.ini" beside the program: one section
// "BOTTONE n" per bar button (1 to 8, left to right) with the keys "CAPTION",
// "AZIONE", "COLORE" and "STATO". The same file holds the game server
// (automation/ServerSettings.h).
#include "automation/Api.h"
#include "automation/ButtonBar.h"
#include "files/FileResult.h"

#include <QString>

class QListWidget;

// The value of key in section of config.ini, whole; empty when the file, the
// section or the key is missing. Every call reads the file afresh.
QString ReadConfigValue(const Api& api, const QString& section, const QString& key);

// Sets key in section of config.ini. WriteFailed when the value could not be
// stored (read-only folder, unreadable file, a line break in the value); the
// file is then left as it was.
FileResult WriteConfigValue(const Api& api, const QString& section, const QString& key,
                            const QString& value);

// Loads caption, action, colour and state of the eight buttons from the file
// and lists them in list (when given) as "n) caption". Position, size, style,
// inactive colour and hover state of the buttons are left alone. ReadFailed
// when config.ini is there but cannot be read: the buttons are then empty.
FileResult LoadButtons(const Api& api, ButtonBar& bar, QListWidget* list);

// The section name of bar button n (1 to 8).
QString buttonSection(int n);

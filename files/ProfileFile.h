#pragma once
// Reads and writes single values of an 8-bit INI-style profile file
// ("[SECTION]" lines, "KEY=value" lines). Section and key names match
// regardless of letter case; a missing file, section or key reads as empty.
// A write creates what is missing and replaces an existing value in place;
// every other byte of the file is kept as it was. Values are kept exactly as
// written: no blanks trimmed, no quotation marks removed.
#include "files/FileResult.h"

#include <QString>

namespace ProfileFile {

// The value of key in section, or an empty string when the file, the section
// or the key is missing or the file cannot be read. The first matching
// section and the first matching key in it win.
QString readValue(const QString& path, const QString& section, const QString& key);

// Done when the file can be read or is missing (it then reads as empty);
// ReadFailed when it is there but cannot be read, so every value reads empty.
FileResult readable(const QString& path);

// Sets key in section to value. The file is replaced whole, so a failed write
// leaves the previous file intact. WriteFailed when nothing was stored: the
// file exists but cannot be read, the folder or file cannot be written, or a
// name or the value would break the file's line structure (line breaks, a "]"
// in the section name, an "=" in the key, an empty key), or holds a character
// the code page cannot (see CodePage::firstMisfit).
FileResult writeValue(const QString& path, const QString& section, const QString& key,
                      const QString& value);

} // namespace ProfileFile

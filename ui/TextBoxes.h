#pragma once
// The player's text boxes, read exactly as typed and checked against the
// 8-bit files their text goes into.
#include <QString>

class QLineEdit;
class QPlainTextEdit;

// The text of a multi-line box with each line break as "\n" and every other
// character as typed. (toPlainText would turn a no-break space into a space.)
QString typedText(const QPlainTextEdit* box);

// When the box holds a character the code page of fileName cannot, tells the
// player in a critical box titled title, selects that character in the box,
// gives it the focus and returns false. The text is left as it is.
bool fitsCodePage(QLineEdit* box, const QString& fileName, const QString& title);
bool fitsCodePage(QPlainTextEdit* box, const QString& fileName, const QString& title);

#pragma once
// The open and save file dialogs of the client. Callers describe their
// filters as the dialogs were first written for: pairs of description and
// pattern, each followed by a NUL, the list closed by one more NUL, e.g.
// "Varendor Nota(*.not)" NUL "*.not" NUL NUL. Both dialogs share one state
// for the whole process, so the filter chosen last is offered first next time.
#include <QString>
#include <QStringList>

class QWidget;

namespace DialogFlags {
// Explorer-style dialog; kept for the callers' flag values.
constexpr qint32 Explorer = 0x80000;
// The open dialog accepts only names of files that exist.
constexpr qint32 FileMustExist = 0x1000;
} // namespace DialogFlags

// The full path chosen, or an empty string when the user cancelled. folder:
// where the dialog opens (the player's folder for the player's files);
// empty leaves it to the system.
QString ShowOpenDialog(QWidget* owner, const QString& filter, const QString& title, qint32 flags,
                       const QString& folder = QString());
QString ShowSaveDialog(QWidget* owner, const QString& filter, const QString& title, qint32 flags,
                       const QString& folder = QString());

// s up to, not including, its first NUL; s itself when it holds none.
QString TrimAtNull(const QString& s);

// The Qt name filters for a NUL-separated filter list: "Desc(*.x)" NUL "*.x"
// becomes "Desc(*.x) (*.x)"; several patterns split by ';' become one list.
// A description without its pattern is dropped. The dialogs show the
// description alone, as the caller wrote it.
QStringList nameFiltersFrom(const QString& filter);

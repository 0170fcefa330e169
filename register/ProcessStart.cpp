#include "ProcessStart.h"

#include "CommandLine.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>

namespace ProcessStart {

QString resolveProgram(const QString& name, const QString& searchFirst) {
    if (name.isEmpty())
        return QString();
    if (name.contains(QChar('/')) || name.contains(QChar('\\'))) {
        const QFileInfo fi(QDir::fromNativeSeparators(name));
        return fi.isFile() && fi.isExecutable() ? fi.absoluteFilePath() : QString();
    }
    if (!searchFirst.isEmpty()) {
        const QFileInfo local(QDir(searchFirst).filePath(name));
        if (local.isFile() && local.isExecutable())
            return local.absoluteFilePath();
    }
    return QStandardPaths::findExecutable(name);
}

bool start(const QString& line, int windowStyle, const QString& searchFirst) {
    // Window styles choose how a program's window first shows; programs here
    // open their own windows as they like.
    Q_UNUSED(windowStyle);
    QStringList args = CommandLine::split(line);
    if (args.isEmpty())
        return false;
    const QString program = resolveProgram(args.takeFirst(), searchFirst);
    if (program.isEmpty())
        return false;
    return QProcess::startDetached(program, args, searchFirst);
}

} // namespace ProcessStart

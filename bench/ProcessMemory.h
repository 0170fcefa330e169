#pragma once
// The process's own memory figures from /proc/self/status, in KiB: the
// benchmarks report the peak (VmHWM) and, where a run starts, the resident
// size (VmRSS). -1 where the field cannot be read.
#include <QByteArray>
#include <QFile>

inline long statusKiB(const QByteArray& field) {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray prefix = field + ':';
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith(prefix))
            return line.mid(prefix.size()).trimmed().split(' ').value(0).toLong();
    return -1;
}

inline long peakKiB() {
    return statusKiB("VmHWM");
}

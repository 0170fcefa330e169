#pragma once
// Writing and reading whole files in tests, byte for byte.
#include <QByteArray>
#include <QFile>
#include <QString>
#include <QTemporaryDir>
#include <QTest>

// Replaces the file's content (a failed open fails the test).
inline void put(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// The file's bytes, or "<missing>" when it cannot be read.
inline QByteArray get(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// A file of the test's own, in a temporary folder that holds nothing else.
struct ScratchFile {
    explicit ScratchFile(const QString& name) : path(dir.filePath(name)) {}
    QTemporaryDir dir;
    const QString path;

    void put(const QByteArray& bytes) const { ::put(path, bytes); }
    QByteArray bytes() const { return get(path); }
    void remove() const { QFile::remove(path); }
};

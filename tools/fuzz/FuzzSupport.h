#pragma once
// Shared by the fuzz targets: a broken expectation aborts, so the fuzzer keeps
// the input that caused it; files go to one scratch folder per process.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>
#include <QTemporaryDir>

#include <cstdio>
#include <cstdlib>

#define FUZZ_EXPECT(cond)                                                                          \
    do {                                                                                           \
        if (!(cond)) {                                                                             \
            std::fprintf(stderr, "%s:%d: expectation failed: %s\n", __FILE__, __LINE__, #cond);    \
            std::abort();                                                                          \
        }                                                                                          \
    } while (0)

namespace fuzz {

// In memory where the system offers it: saves are synced to disk, which would
// make a disk-backed folder the fuzzers' bottleneck.
inline const QString& scratchFolder() {
    static QTemporaryDir dir(QFile::exists(QStringLiteral("/dev/shm"))
                                 ? QStringLiteral("/dev/shm/varendor-fuzz-XXXXXX")
                                 : QDir::tempPath() + QStringLiteral("/varendor-fuzz-XXXXXX"));
    if (!dir.isValid()) {
        std::fprintf(stderr, "no scratch folder\n");
        std::abort();
    }
    static const QString path = dir.path();
    return path;
}

inline QString scratchFile(const QString& name) {
    return scratchFolder() + QLatin1Char('/') + name;
}

inline void writeFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    FUZZ_EXPECT(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    FUZZ_EXPECT(f.write(bytes) == bytes.size());
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    FUZZ_EXPECT(f.open(QIODevice::ReadOnly));
    return f.readAll();
}

// A small deterministic generator, so an input always splits the same way.
struct Splitter {
    quint32 state;
    explicit Splitter(quint32 seed) : state(seed | 1u) {}
    quint32 next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

} // namespace fuzz

#include "app/Terminal.h"

#include <cstdio>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace Terminal {

namespace {

void attachToParentConsole() {
#ifdef Q_OS_WIN
    static const bool attached = [] {
        if (!AttachConsole(ATTACH_PARENT_PROCESS))
            return false;
        std::freopen("CONOUT$", "w", stdout);
        std::freopen("CONOUT$", "w", stderr);
        return true;
    }();
    (void)attached;
#endif
}

void write(std::FILE* stream, const QString& text) {
    attachToParentConsole();
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
    std::fflush(stream);
}

} // namespace

void writeOut(const QString& text) {
    write(stdout, text);
}

void writeErr(const QString& text) {
    write(stderr, text);
}

} // namespace Terminal

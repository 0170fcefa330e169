// Arbitrary patterns and script text given to the script layer: every fault
// must come back as an error, never a crash or a hang; and the prefilter must
// never drop a line the pattern matches.
//
// Input: the first line is a pattern, the rest a script (script/a.lua).
#include "FuzzSupport.h"

#include "scripting/PatternSet.h"
#include "scripting/ScriptEngine.h"

#include <QCoreApplication>
#include <QDir>

#include <cstdint>

namespace {
struct QuietHost : ScriptHost {
    void sendCommand(const QString&, Send) override {}
    void showLine(const QString&, QRgb) override {}
};

const QStringList kLines{"Ti restano 37 punti ferita", "Città ti dice 'ciao'", "<Io> ", QString(),
                         QStringLiteral("\U0001F600 orco|troll (x) [y]")};
} // namespace

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    static QCoreApplication* app = new QCoreApplication(*argc, *argv);
    Q_UNUSED(app);
    QDir(fuzz::scratchFolder()).mkpath(QStringLiteral("script"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QByteArray input(reinterpret_cast<const char*>(data), qsizetype(size));
    const qsizetype cut = input.indexOf('\n');
    const QString pattern = QString::fromUtf8(cut < 0 ? input : input.first(cut));
    const QByteArray script = cut < 0 ? QByteArray() : input.sliced(cut + 1);

    QString error;
    if (auto compiled = RegexPattern::compile(pattern, error)) {
        PatternSet set;
        set.add(1, compiled);
        RegexPattern::Match m;
        for (const QString& line : kLines) {
            const bool matches = compiled->match(line, m);
            FUZZ_EXPECT(!matches || set.candidates(line).size() == 1);
        }
    } else {
        FUZZ_EXPECT(!error.isEmpty());
    }

    const QString folder = fuzz::scratchFolder() + QStringLiteral("/script");
    fuzz::writeFile(folder + QStringLiteral("/a.lua"), script);
    QFile::remove(folder + QStringLiteral("/vars.dat"));
    QuietHost host;
    ScriptEngine engine(host, folder, {20, 16});
    engine.reload();
    for (const QString& line : kLines) {
        engine.filterLine(line);
        engine.filterLine(line, true);
        engine.filterInput(line);
    }
    return 0;
}

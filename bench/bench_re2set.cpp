// The scripts' way of matching many regular expressions against each line
// (each pattern's required literal in one Aho-Corasick automaton, then
// PCRE2 with JIT on the few candidates) against RE2's pattern set (one DFA
// over all patterns, then RE2 for the captures of those that matched), on
// the same trigger mix and the same lines as bench_scripts. RE2 reads UTF-8
// while the client's lines are UTF-16: its figures are given with the
// conversion of each line and without it. Then what each engine makes of
// what the script API promises (Unicode \w, named groups, backreferences,
// lookaround).
//
//   bench_re2set [--megabytes N] [--patterns N]
#include "bench/SessionGenerator.h"
#include "bench/ThreadClock.h"
#include "scripting/PatternSet.h"
#include "scripting/RegexPattern.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRegularExpression>

#include <re2/re2.h>
#include <re2/set.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

namespace {

struct Figures {
    double wallMbs = 0, cpuMbs = 0;
    qint64 matches = 0;
};

template <class Body> Figures timed(qint64 bytes, Body&& body) {
    QElapsedTimer wall;
    wall.start();
    const qint64 cpuStart = threadCpuNanos();
    Figures f;
    f.matches = body();
    const double mb = double(bytes) / (1024.0 * 1024.0);
    f.wallMbs = mb / (double(wall.nsecsElapsed()) / 1e9);
    f.cpuMbs = mb / (double(threadCpuNanos() - cpuStart) / 1e9);
    return f;
}

// This RE2 spells a named group (?P<name>...).
std::string forRe2(const QString& pattern) {
    static const QRegularExpression named(QStringLiteral("\\(\\?<(?=[A-Za-z_])"));
    return QString(pattern).replace(named, QStringLiteral("(?P<")).toStdString();
}

RE2::Options re2Options() {
    RE2::Options o;
    o.set_log_errors(false);
    o.set_max_mem(int64_t(256) << 20); // the set's DFA for 1000 patterns needs room
    return o;
}

struct Re2Engine {
    RE2::Set set{re2Options(), RE2::UNANCHORED};
    std::vector<std::unique_ptr<RE2>> each;
    int rejected = 0;
    qint64 dfaFailures = 0;

    explicit Re2Engine(const QList<SessionGenerator::ScriptTrigger>& triggers) {
        for (const auto& t : triggers) {
            const std::string p = forRe2(t.pattern);
            std::string error;
            if (set.Add(p, &error) < 0) {
                ++rejected;
                continue;
            }
            each.push_back(std::make_unique<RE2>(p, re2Options()));
        }
        set.Compile();
    }

    // Patterns that matched text, with their captures taken.
    int match(re2::StringPiece text, std::vector<int>& hits,
              std::vector<re2::StringPiece>& groups) {
        hits.clear();
        RE2::Set::ErrorInfo info{};
        if (!set.Match(text, &hits, &info) && info.kind != RE2::Set::kNoError)
            ++dfaFailures;
        for (int i : hits) {
            const RE2& re = *each[size_t(i)];
            groups.resize(size_t(re.NumberOfCapturingGroups()) + 1);
            re.Match(text, 0, text.size(), RE2::UNANCHORED, groups.data(), int(groups.size()));
        }
        return int(hits.size());
    }
};

// What group 1 of pattern is in subject, "(none)" without a match, or the
// engine's refusal.
QString oursSays(const QString& pattern, const QString& subject) {
    QString error;
    const auto re = RegexPattern::compile(pattern, error);
    if (!re)
        return QStringLiteral("refused");
    RegexPattern::Match m;
    return re->match(subject, m) ? "\"" + m.text(subject, 1) + "\"" : QStringLiteral("(none)");
}

QString re2Says(const QString& pattern, const QString& subject) {
    const RE2 re(forRe2(pattern), re2Options());
    if (!re.ok())
        return QStringLiteral("refused");
    const QByteArray text = subject.toUtf8();
    re2::StringPiece groups[2];
    if (!re.Match(re2::StringPiece(text.constData(), size_t(text.size())), 0, size_t(text.size()),
                  RE2::UNANCHORED, groups, 2))
        return QStringLiteral("(none)");
    return "\"" + QString::fromUtf8(groups[1].data(), qsizetype(groups[1].size())) + "\"";
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    int megabytes = 20, patterns = 1000;
    for (int i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--megabytes")
            megabytes = qMax(1, args[++i].toInt());
        else if (args[i] == "--patterns")
            patterns = qMax(1, args[++i].toInt());
    }
    const QStringList lines = SessionGenerator::scriptLines(qsizetype(megabytes) << 20, 7);
    const auto triggers = SessionGenerator::scriptTriggers(patterns);
    std::vector<std::string> utf8Lines;
    utf8Lines.reserve(size_t(lines.size()));
    qint64 bytes = 0;
    for (const QString& line : lines) {
        utf8Lines.push_back(line.toStdString());
        bytes += qint64(utf8Lines.back().size()) + 2;
    }
    std::printf("%lld lines, %.1f MB, %d patterns (the scripts' trigger mix)\n",
                qlonglong(lines.size()), double(bytes) / (1024.0 * 1024.0), patterns);

    QElapsedTimer build;
    build.start();
    PatternSet ours;
    for (int i = 0; i < int(triggers.size()); ++i) {
        QString error;
        ours.add(i, RegexPattern::compile(triggers[i].pattern, error));
    }
    ours.candidates(QString()); // the automaton is built on first use
    const double oursBuildMs = double(build.nsecsElapsed()) / 1e6;
    build.start();
    Re2Engine re2(triggers);
    const double re2BuildMs = double(build.nsecsElapsed()) / 1e6;

    std::printf("%-34s %9s %9s %8s %10s\n", "engine", "MB/s wall", "MB/s cpu", "matches",
                "build ms");
    const Figures a = timed(bytes, [&] {
        qint64 n = 0;
        RegexPattern::Match m;
        for (const QString& line : lines)
            for (const PatternSet::Candidate& c : ours.candidates(line))
                n += c.pattern->match(line, m);
        return n;
    });
    std::printf("%-34s %9.1f %9.1f %8lld %10.1f\n", "literal prefilter + PCRE2 JIT", a.wallMbs,
                a.cpuMbs, qlonglong(a.matches), oursBuildMs);
    std::vector<int> hits;
    std::vector<re2::StringPiece> groups;
    const Figures b = timed(bytes, [&] {
        qint64 n = 0;
        for (const QString& line : lines) {
            const QByteArray text = line.toUtf8();
            n += re2.match(re2::StringPiece(text.constData(), size_t(text.size())), hits, groups);
        }
        return n;
    });
    std::printf("%-34s %9.1f %9.1f %8lld %10.1f\n", "RE2::Set + RE2, lines to UTF-8", b.wallMbs,
                b.cpuMbs, qlonglong(b.matches), re2BuildMs);
    const Figures c = timed(bytes, [&] {
        qint64 n = 0;
        for (const std::string& text : utf8Lines)
            n += re2.match(text, hits, groups);
        return n;
    });
    std::printf("%-34s %9.1f %9.1f %8lld\n", "RE2::Set + RE2, lines already UTF-8", c.wallMbs,
                c.cpuMbs, qlonglong(c.matches));
    std::printf("RE2 refused %d of %d patterns; its DFA gave up on %lld lines\n", re2.rejected,
                patterns, qlonglong(re2.dfaFailures));

    std::printf("\nwhat the script API promises (group 1 of the match):\n");
    std::printf("%-30s %-22s %-14s %-14s\n", "pattern", "line", "ours", "RE2");
    const struct {
        const char* pattern;
        const char* line;
    } promises[] = {
        {"^(\\w+) è qui$", "città è qui"},          {"(?<chi>\\w+) ti dice", "Pietà ti dice ciao"},
        {"\\b(più)\\b", "ancora più forte"},        {"(\\w+) e \\1", "pane e pane"},
        {"^(?!Tu )(\\w+) arriva", "Gianni arriva"}, {"(\\d+)(?= monete)", "hai 30 monete"},
    };
    for (const auto& p : promises) {
        const QString pattern = QString::fromUtf8(p.pattern), line = QString::fromUtf8(p.line);
        std::printf("%-30s %-22s %-14s %-14s\n", p.pattern, p.line,
                    qPrintable(oursSays(pattern, line)), qPrintable(re2Says(pattern, line)));
    }
    return 0;
}

#include "scripting/RegexPattern.h"

#define PCRE2_CODE_UNIT_WIDTH 16
#include <pcre2.h>

namespace {
// Enough for any sane line; a pattern that backtracks past it on a line
// simply does not match there, instead of holding up the client.
constexpr uint32_t kMatchLimit = 200000;
constexpr uint32_t kDepthLimit = 2000;

bool isAsciiAlnum(QChar c) {
    const char16_t u = c.unicode();
    return (u >= '0' && u <= '9') || (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z');
}

// Past the ']' closing the class that starts at i ('[').
qsizetype skipClass(QStringView p, qsizetype i) {
    ++i;
    if (i < p.size() && p[i] == u'^')
        ++i;
    if (i < p.size() && p[i] == u']')
        ++i; // a leading ']' is a member
    while (i < p.size() && p[i] != u']') {
        if (p[i] == u'\\')
            ++i;
        else if (p[i] == u'[' && i + 1 < p.size() && p[i + 1] == u':') {
            const qsizetype end = p.indexOf(u":]", i + 2);
            if (end > 0)
                i = end + 1;
        }
        ++i;
    }
    return i + 1;
}

// Past the ')' closing the group that starts at i ('('), or -1.
qsizetype skipGroup(QStringView p, qsizetype i) {
    int depth = 0;
    while (i < p.size()) {
        const QChar c = p[i];
        if (c == u'\\') {
            i += 2;
            continue;
        }
        if (c == u'[') {
            i = skipClass(p, i);
            continue;
        }
        if (c == u'(')
            ++depth;
        else if (c == u')' && --depth == 0)
            return i + 1;
        ++i;
    }
    return -1;
}

// Flags such as (?i) or (?x:...) change what a literal means.
bool changesLiterals(QStringView p, qsizetype i) {
    if (i + 1 >= p.size())
        return false;
    if (p[i + 1] == u'*')
        return true; // a verb such as (*UCP) or (*CR)
    if (p[i + 1] != u'?')
        return false;
    for (qsizetype j = i + 2; j < p.size(); ++j) {
        const QChar c = p[j];
        if (c == u')' || c == u':')
            return false;
        if (c == u'i' || c == u'x' || c == u'n')
            return true;
        if (!c.isLetter() && c != u'-' && c != u'^')
            return false;
    }
    return false;
}
} // namespace

QString RegexPattern::requiredLiteral(QStringView p) {
    QString best, run;
    const auto endRun = [&] {
        if (run.size() > best.size())
            best = run;
        run.clear();
    };
    const auto dropLast = [&] { // the last character turned out optional
        if (!run.isEmpty())
            run.chop(run.size() >= 2 && run.back().isLowSurrogate() ? 2 : 1);
        endRun();
    };
    for (qsizetype i = 0; i < p.size();) {
        const QChar c = p[i];
        switch (c.unicode()) {
        case u'\\': {
            if (i + 1 >= p.size())
                return {};
            const QChar d = p[i + 1];
            if (d == u'Q' || d == u'E')
                return {};
            if (!isAsciiAlnum(d)) {
                run += d;
                i += 2;
                continue;
            }
            endRun();
            i += 2;
            if (d == u'c')
                ++i;
            else if (i < p.size() && (p[i] == u'{' || p[i] == u'<' || p[i] == u'\'')) {
                const char16_t close = p[i] == u'{' ? u'}' : p[i] == u'<' ? u'>' : u'\'';
                const qsizetype end = p.indexOf(QChar(close), i + 1);
                i = end < 0 ? p.size() : end + 1;
            }
            continue;
        }
        case u'|':
        case u')':
            return {};
        case u'(': {
            if (changesLiterals(p, i))
                return {};
            endRun();
            i = skipGroup(p, i);
            if (i < 0)
                return {};
            continue;
        }
        case u'[':
            endRun();
            i = skipClass(p, i);
            continue;
        case u'.':
        case u'^':
        case u'$':
            endRun();
            break;
        case u'?':
        case u'*':
        case u'{':
            dropLast();
            if (c == u'{') {
                const qsizetype end = p.indexOf(u'}', i);
                i = end < 0 ? i + 1 : end + 1;
                continue;
            }
            break;
        case u'+':
            endRun();
            break;
        default:
            run += c;
        }
        ++i;
    }
    endRun();
    return best;
}

QString RegexPattern::Match::text(QStringView subject, int group) const {
    if (group < 0 || size_t(group) >= groups.size() || groups[group].first < 0)
        return {};
    return subject.mid(groups[group].first, groups[group].second).toString();
}

std::shared_ptr<RegexPattern> RegexPattern::compile(const QString& pattern, QString& error) {
    error.clear();
    int code = 0;
    PCRE2_SIZE offset = 0;
    pcre2_code* re =
        pcre2_compile(reinterpret_cast<PCRE2_SPTR>(pattern.utf16()), PCRE2_SIZE(pattern.size()),
                      PCRE2_UTF | PCRE2_UCP | PCRE2_MATCH_INVALID_UTF, &code, &offset, nullptr);
    if (!re) {
        PCRE2_UCHAR buffer[256];
        pcre2_get_error_message(code, buffer, 256);
        error = QStringLiteral("espressione non valida alla posizione %1: %2")
                    .arg(offset)
                    .arg(QString::fromUtf16(reinterpret_cast<const char16_t*>(buffer)));
        return nullptr;
    }
    pcre2_jit_compile(re, PCRE2_JIT_COMPLETE); // without JIT it still matches, slower
    std::shared_ptr<RegexPattern> out(new RegexPattern);
    out->m_pattern = pattern;
    out->m_code = re;
    out->m_data = pcre2_match_data_create_from_pattern(re, nullptr);
    auto* context = pcre2_match_context_create(nullptr);
    pcre2_set_match_limit(context, kMatchLimit);
    pcre2_set_depth_limit(context, kDepthLimit);
    out->m_context = context;
    uint32_t groups = 0, names = 0, entrySize = 0;
    pcre2_pattern_info(re, PCRE2_INFO_CAPTURECOUNT, &groups);
    out->m_groups = int(groups);
    pcre2_pattern_info(re, PCRE2_INFO_NAMECOUNT, &names);
    pcre2_pattern_info(re, PCRE2_INFO_NAMEENTRYSIZE, &entrySize);
    PCRE2_SPTR table = nullptr;
    pcre2_pattern_info(re, PCRE2_INFO_NAMETABLE, &table);
    for (uint32_t n = 0; n < names; ++n) {
        const PCRE2_SPTR entry = table + size_t(n) * entrySize;
        out->m_names.emplace_back(QString::fromUtf16(reinterpret_cast<const char16_t*>(entry + 1)),
                                  int(entry[0]));
    }
    return out;
}

RegexPattern::~RegexPattern() {
    pcre2_match_context_free(static_cast<pcre2_match_context*>(m_context));
    pcre2_match_data_free(static_cast<pcre2_match_data*>(m_data));
    pcre2_code_free(static_cast<pcre2_code*>(m_code));
}

bool RegexPattern::match(QStringView subject, Match& out, qsizetype from) const {
    auto* data = static_cast<pcre2_match_data*>(m_data);
    const int rc =
        pcre2_match(static_cast<pcre2_code*>(m_code), reinterpret_cast<PCRE2_SPTR>(subject.utf16()),
                    PCRE2_SIZE(subject.size()), PCRE2_SIZE(from), 0, data,
                    static_cast<pcre2_match_context*>(m_context));
    if (rc < 0)
        return false; // no match, or the limits ran out
    const PCRE2_SIZE* ovector = pcre2_get_ovector_pointer(data);
    out.groups.assign(size_t(m_groups) + 1, {-1, 0});
    for (int g = 0; g <= m_groups && g < rc; ++g) {
        if (ovector[2 * g] == PCRE2_UNSET)
            continue;
        const PCRE2_SIZE start = ovector[2 * g], end = ovector[2 * g + 1];
        out.groups[g] = {qsizetype(start), end > start ? qsizetype(end - start) : 0};
    }
    return true;
}

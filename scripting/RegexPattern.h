#pragma once
// One player pattern: a regular expression over a line of text as shown
// (UTF-16, colours already stripped), compiled once with JIT. \w and the
// other classes follow Unicode, so "città" is one word. A text with a broken
// surrogate is matched as far as it is valid, never rejected.
#include <QString>
#include <QStringList>
#include <QStringView>
#include <memory>
#include <vector>

class RegexPattern {
public:
    struct Match {
        // Start and length in UTF-16 units of the whole match (0) and of
        // each group; a group that took no part has start -1.
        std::vector<std::pair<qsizetype, qsizetype>> groups;
        QString text(QStringView subject, int group) const;
    };

    // An empty error means the pattern compiled.
    static std::shared_ptr<RegexPattern> compile(const QString& pattern, QString& error);
    ~RegexPattern();
    RegexPattern(const RegexPattern&) = delete;
    RegexPattern& operator=(const RegexPattern&) = delete;

    // The first match at or after from, if any.
    bool match(QStringView subject, Match& out, qsizetype from = 0) const;
    int groupCount() const { return m_groups; }
    // Named groups, with their numbers.
    const std::vector<std::pair<QString, int>>& names() const { return m_names; }
    const QString& pattern() const { return m_pattern; }

    // The longest run of plain text that every match must contain, or an
    // empty string when the pattern promises none (a top-level alternation,
    // case-insensitive or extended flags, quoting): lines without it cannot
    // match, so they are never handed to the matcher.
    static QString requiredLiteral(QStringView pattern);

private:
    RegexPattern() = default;
    QString m_pattern;
    void* m_code = nullptr;
    void* m_data = nullptr;
    void* m_context = nullptr;
    int m_groups = 0;
    std::vector<std::pair<QString, int>> m_names;
};

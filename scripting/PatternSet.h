#pragma once
// Patterns kept in the order they were made, and the ones that may match a
// line. Each pattern's required literal goes into one Aho-Corasick automaton,
// so a line is read once whatever the number of patterns; only the patterns
// whose literal occurs (and those that promise none) are matched in full.
#include "automation/PairTable.h"
#include "protocol/TriggerMatcher.h"
#include "scripting/RegexPattern.h"

#include <memory>
#include <vector>

class PatternSet {
public:
    // Ids must grow with each add: they give the order.
    void add(int id, std::shared_ptr<RegexPattern> pattern);
    void remove(int id);
    bool isEmpty() const { return m_entries.empty(); }
    int size() const { return int(m_entries.size()); }
    // How many patterns are matched on every line, having no literal.
    int unfiltered() const;

    struct Candidate {
        int id;
        const RegexPattern* pattern;
    };
    // The patterns that may match text, in order. Valid until the next change.
    const std::vector<Candidate>& candidates(QStringView text);

private:
    struct Entry {
        int id;
        std::shared_ptr<RegexPattern> pattern;
        bool filtered;
    };
    void rebuild();

    std::vector<Entry> m_entries;
    std::vector<int> m_always; // indices of entries without a literal
    PairTable m_literals;      // by entry index, plus the spare element
    TriggerMatcher m_matcher;
    bool m_dirty = true;
    std::vector<Candidate> m_found;
};

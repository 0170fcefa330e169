#include "scripting/PatternSet.h"

#include <algorithm>

void PatternSet::add(int id, std::shared_ptr<RegexPattern> pattern) {
    const bool filtered = !RegexPattern::requiredLiteral(pattern->pattern()).isEmpty();
    m_entries.push_back({id, std::move(pattern), filtered});
    m_dirty = true;
}

void PatternSet::remove(int id) {
    for (auto it = m_entries.begin(); it != m_entries.end(); ++it) {
        if (it->id == id) {
            m_entries.erase(it);
            m_dirty = true;
            return;
        }
    }
}

int PatternSet::unfiltered() const {
    return int(std::count_if(m_entries.begin(), m_entries.end(),
                             [](const Entry& e) { return !e.filtered; }));
}

void PatternSet::rebuild() {
    m_literals = PairTable{};
    m_always.clear();
    for (int i = 0; i < int(m_entries.size()); ++i) {
        const Entry& e = m_entries[size_t(i)];
        m_literals.texts << (e.filtered ? RegexPattern::requiredLiteral(e.pattern->pattern())
                                        : QString());
        if (!e.filtered)
            m_always.push_back(i);
    }
    m_literals.texts << QString();
    m_literals.actions = QStringList(m_literals.texts.size(), QString());
    m_literals.count = int(m_entries.size());
    m_literals.touch();
    m_matcher.sync(m_literals);
    m_dirty = false;
}

const std::vector<PatternSet::Candidate>& PatternSet::candidates(QStringView text) {
    if (m_dirty)
        rebuild();
    m_found.clear();
    const QList<int> hits = m_matcher.patternCount() > 0 ? m_matcher.findAll(text) : QList<int>{};
    // Both lists are in entry order: merge them.
    auto a = hits.cbegin();
    auto b = m_always.cbegin();
    while (a != hits.cend() || b != m_always.cend()) {
        int index;
        if (b == m_always.cend() || (a != hits.cend() && *a < *b))
            index = *a++;
        else
            index = *b++;
        const Entry& e = m_entries[size_t(index)];
        m_found.push_back({e.id, e.pattern.get()});
    }
    return m_found;
}

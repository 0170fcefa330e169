#pragma once
// Finds, in one pass over a text, every trigger whose match text occurs in it
// (case-insensitive; the caller lower-cases the text once with lowered()). An
// automaton over all match texts is built from the TriggerList and rebuilt
// only when the table's match texts change.
#include "automation/PairTable.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <vector>

class TriggerMatcher {
public:
    // Lower case, one character for one character, so positions agree.
    static QString lowered(QStringView text);

    // Brings the automaton up to date with the entries that firing walks.
    void sync(const PairTable& table);

    // Indices of the entries whose match text occurs in loweredText, in list
    // order, each once. An empty match text never matches.
    QList<int> findAll(QStringView loweredText);

    int patternCount() const { return m_patterns; }
    // Above this many cells the automaton follows fail links instead of
    // keeping a full transition table. Takes effect at the next rebuild.
    void setMaxDenseCells(size_t cells) {
        m_maxDenseCells = cells;
        m_built = false;
    }
    bool usesDenseTable() const { return !m_dense.empty(); }

private:
    void build(const QStringList& texts, int end);
    int step(int state, char16_t c) const;

    struct Node {
        int fail = 0;
        int dictLink = -1;  // nearest node down the fail chain with outputs
        int firstOut = -1;  // into m_outIds/m_outNext
        int childBegin = 0; // children sorted by character, in m_edgeChar/m_edgeTo
        int childCount = 0;
    };

    std::vector<Node> m_nodes;
    std::vector<char16_t> m_edgeChar;
    std::vector<int> m_edgeTo;
    std::vector<int> m_outIds;  // trigger index
    std::vector<int> m_outNext; // next output of the same node, -1 at the end

    // Dense transition table over the characters the match texts use (symbol
    // 0 is any other character); left empty when it would be too large.
    std::vector<quint16> m_symbolOf; // by character, for characters < 65536
    int m_symbols = 0;
    std::vector<int> m_dense;

    std::vector<quint32> m_seen; // per node / per trigger stamps of the last pass
    std::vector<quint32> m_fired;
    quint32 m_stamp = 0;

    size_t m_maxDenseCells = size_t(8) << 20; // 32 MB of int cells
    bool m_built = false;
    quint64 m_revision = 0;
    QStringList m_texts;
    int m_end = -1;
    int m_patterns = 0;
};

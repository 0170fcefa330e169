#pragma once
// Finds, in one pass over a text, every trigger whose match text occurs in it,
// ignoring case as lowered() does: one UTF-16 unit at a time, so positions
// agree. An automaton over all match texts is built from the TriggerList and
// rebuilt only when the table's match texts change; case is folded into its
// table of symbols, so the text is read as it stands, never copied.
#include "automation/PairTable.h"

#include <QList>
#include <QString>
#include <QStringView>
#include <array>
#include <vector>

class TriggerMatcher {
public:
    // Lower case, one character for one character, so positions agree.
    static QString lowered(QStringView text);

    // Brings the automaton up to date with the entries that firing walks.
    void sync(const PairTable& table);

    // Indices of the entries whose match text occurs in text, case ignored,
    // in list order, each once. An empty match text never matches.
    QList<int> findAll(QStringView text);

    int patternCount() const { return m_patterns; }
    // Above this many cells the automaton follows fail links instead of
    // keeping a full transition table. Takes effect at the next rebuild.
    void setMaxDenseCells(size_t cells) {
        m_maxDenseCells = cells;
        m_built = false;
    }
    // Up to this many table rows a cell holds 16 bits (a row number) instead
    // of 32 (a row offset): half the memory. Takes effect at the next rebuild.
    void setMaxNarrowRows(size_t rows) {
        m_maxNarrowRows = rows;
        m_built = false;
    }
    bool usesDenseTable() const { return !m_dense.empty() || !m_narrow.empty(); }

private:
    void build(const QStringList& texts, int end);
    void buildDense(const std::vector<int>& order);
    int step(int state, char16_t c) const;
    void report(int node, QList<int>& found);
    void walkDense(const char16_t* a, qsizetype n, QList<int>& found);
    template <typename Cell, typename CellOf>
    void fillRows(Cell* table, size_t stride, const std::vector<int>& order,
                  const std::vector<quint32>& rowOf, CellOf cellOf) const;
    template <typename Step> void walkParts(const char16_t* text, qsizetype n, Step step) const;

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

    // By UTF-16 unit, its lower case's symbol (0: no match text uses it), in
    // pages of 256 units; the pages without a symbol all share the first.
    quint16 symbolOf(char16_t u) const { return m_symbolPages[m_pageAt[u >> 8] + (u & 0xFF)]; }
    std::vector<quint16> m_symbolPages;
    std::array<quint32, 256> m_pageAt{}; // where each page starts in m_symbolPages
    int m_symbols = 0;

    // Dense transition table over the symbols; left empty when it would be
    // too large. Its rows are numbered apart from the nodes: the states that
    // end a match text come last, so a step is one load and the test for a
    // match is off its path. Up to m_maxNarrowRows rows, m_narrow holds the
    // next state's row number (a multiply per step, no slower in measure:
    // the walks run four at once); above, m_dense holds its row offset
    // (row * m_symbols).
    std::vector<quint16> m_narrow;
    std::vector<quint32> m_dense;
    std::vector<int> m_nodeOfRow;
    quint32 m_firstReporting = 0; // rows (narrow) or row offsets (dense) from here on report
    int m_longest = 0;            // units in the longest match text

    std::vector<quint32> m_seen; // per node / per trigger stamps of the last pass
    std::vector<quint32> m_fired;
    quint32 m_stamp = 0;

    size_t m_maxDenseCells = size_t(8) << 20; // 32 MB of int cells
    size_t m_maxNarrowRows = 0x10000;
    bool m_built = false;
    quint64 m_revision = 0;
    QStringList m_texts;
    int m_end = -1;
    int m_patterns = 0;
};

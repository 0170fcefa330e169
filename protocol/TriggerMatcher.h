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
    // Above this many table cells the automaton follows fail links instead.
    // Takes effect at the next rebuild.
    void setMaxDenseCells(size_t cells) {
        m_maxDenseCells = cells;
        m_built = false;
    }
    // Up to this many states a cell holds 16 bits instead of 32: half the
    // memory. Takes effect at the next rebuild.
    void setMaxNarrowRows(size_t rows) {
        m_maxNarrowRows = rows;
        m_built = false;
    }
    // Cells of the rows kept for the shallowest states, where a text spends
    // most of its steps (one load each). Takes effect at the next rebuild.
    void setShallowRowCells(size_t cells) {
        m_shallowRowCells = cells;
        m_built = false;
    }
    bool usesDenseTable() const { return !m_dense.empty() || !m_narrow.empty(); }

private:
    void build(const QStringList& texts, int end);
    void buildDense(const std::vector<int>& order, const std::vector<int>& reportOf);
    int step(int state, char16_t c) const;
    void report(int first, QList<int>& found);
    void walkDense(const char16_t* a, qsizetype n, QList<int>& found);
    template <typename Cell, typename SymbolOf>
    bool fillStates(std::vector<Cell>& table, const std::vector<int>& order,
                    const std::vector<quint32>& stateOf, SymbolOf symbolOf);
    template <typename Cell>
    void walkStates(const Cell* table, const char16_t* text, qsizetype n, QList<int>& found);
    template <typename Step> void walkParts(const char16_t* text, qsizetype n, Step step) const;

    // How the trie is walked without the table: needed to build it, then
    // only when there is none.
    struct Node {
        int fail = 0;
        int childBegin = 0; // children sorted by character, in m_edgeChar/m_edgeTo
        int childCount = 0;
    };
    struct NodeOutputs {
        int firstOut = -1; // into m_outIds/m_outNext
        int dictLink = -1; // nearest state down the fail chain with outputs
    };

    std::vector<Node> m_nodes;
    // The states that report, numbered in breadth-first order; their dict
    // links are such numbers. Without a table, which node reports as which.
    std::vector<NodeOutputs> m_reports;
    std::vector<int> m_reportOfNode;
    std::vector<char16_t> m_edgeChar;
    std::vector<int> m_edgeTo;
    std::vector<int> m_outIds;  // trigger index
    std::vector<int> m_outNext; // next output of the same node, -1 at the end

    // By UTF-16 unit, its lower case's symbol (0: no match text uses it), in
    // pages of 256 units; the pages without a symbol all share the first.
    std::vector<quint16> m_symbolPages;
    std::array<quint32, 256> m_pageAt{}; // where each page starts in m_symbolPages
    int m_symbols = 0;

    // The automaton's states, numbered apart from the nodes. The shallowest
    // come first, each with its row of the table: a step is one load. The
    // deeper states of a game's triggers mostly lie along a single match
    // text and step as a shallower state does but for one symbol: such a
    // state keeps that symbol and where it leads, and shares the other's
    // row; the few that differ more have a row of their own. Those that end
    // a match text come last, so the test for a match is off the step's
    // path. Up to m_maxNarrowRows states a cell holds 16 bits (m_narrow),
    // above 32 (m_dense). Both are left empty when too large: fail links.
    struct StateStep {
        quint32 rowStart; // where the row it shares starts in the table
        quint32 to;       // where that symbol leads
        quint16 symbol;   // the one symbol that does not step as the row does
    };
    static constexpr quint16 kNoSymbol = 0xFFFF;
    std::vector<quint16> m_narrow;
    std::vector<quint32> m_dense;
    quint32 m_shallow = 0;          // states with a row of the table by number
    std::vector<StateStep> m_steps; // by state - m_shallow
    quint32 m_firstReporting = 0;
    int m_longest = 0; // units in the longest match text

    std::vector<quint32> m_seen; // per report / per trigger stamps of the last pass
    std::vector<quint32> m_fired;
    quint32 m_stamp = 0;

    size_t m_maxDenseCells = size_t(8) << 20; // 32 MB of int cells
    size_t m_maxNarrowRows = 0x10000;
    size_t m_shallowRowCells = 65536; // 128 KB of narrow cells
    bool m_built = false;
    quint64 m_revision = 0;
    QStringList m_texts;
    int m_end = -1;
    int m_patterns = 0;
};

#include "protocol/TriggerMatcher.h"

#include "files/OneHeap.h"

#include <algorithm>
#include <climits>
#include <utility>

namespace {
constexpr size_t kLargeBuildUnits = 4096; // units of match text

inline char16_t fold(char16_t u) {
    if (u < 0x80)
        return u >= u'A' && u <= u'Z' ? char16_t(u | 0x20) : u;
    return char16_t(QChar::toLower(u)); // one unit for one unit
}
} // namespace

QString TriggerMatcher::lowered(QStringView text) {
    QString out(text.size(), Qt::Uninitialized);
    QChar* d = out.data();
    for (QChar c : text)
        *d++ = QChar(fold(c.unicode()));
    return out;
}

void TriggerMatcher::sync(const PairTable& table) {
    const int end = table.walkEnd();
    // The list comparison is one pointer test while the texts are unchanged.
    if (m_built && table.revision == m_revision && end == m_end && table.texts == m_texts)
        return;
    m_revision = table.revision;
    if (m_built && end == m_end && table.texts == m_texts)
        return; // only actions changed
    m_texts = table.texts;
    m_end = end;
    build(m_texts, end);
}

void TriggerMatcher::build(const QStringList& texts, int end) {
    m_edgeChar.clear();
    m_edgeTo.clear();
    m_outIds.clear();
    m_outNext.clear();
    m_dense.clear();
    m_patterns = 0;
    m_longest = 0;

    // The trie as it grows: each node's children in a list of siblings, in
    // one array sized at once for the largest trie the texts can make, not
    // a block of memory per node.
    struct Growing {
        int firstChild = -1;
        int nextSibling = -1;
        int firstOut = -1;
        int lastOut = -1;
        char16_t unit = 0;
    };
    size_t units = 0;
    for (int i = 0; i < end && i < texts.size(); ++i)
        units += size_t(texts.at(i).size());
    std::vector<Growing> trie;
    trie.reserve(units + 1);
    trie.emplace_back();
    for (int i = 0; i < end && i < texts.size(); ++i) {
        const QString pattern = lowered(texts.at(i));
        if (pattern.isEmpty())
            continue; // an empty match text would fire on every chunk
        ++m_patterns;
        m_longest = std::max(m_longest, int(std::min<qsizetype>(pattern.size(), INT_MAX)));
        int node = 0;
        for (QChar ch : pattern) {
            int child = trie[size_t(node)].firstChild;
            while (child >= 0 && trie[size_t(child)].unit != ch.unicode())
                child = trie[size_t(child)].nextSibling;
            if (child < 0) {
                child = int(trie.size());
                trie.push_back(Growing{-1, trie[size_t(node)].firstChild, -1, -1, ch.unicode()});
                trie[size_t(node)].firstChild = child;
            }
            node = child;
        }
        // Outputs in list order, appended at the tail of the node's list.
        const int out = int(m_outIds.size());
        m_outIds.push_back(i);
        m_outNext.push_back(-1);
        Growing& at = trie[size_t(node)];
        if (at.lastOut < 0)
            at.firstOut = out;
        else
            m_outNext[size_t(at.lastOut)] = out;
        at.lastOut = out;
    }

    // Children sorted by character, each node's together.
    const size_t count = trie.size();
    m_nodes.assign(count, Node{});
    std::vector<NodeOutputs> outputs(count); // by node, while the fail links are made
    m_edgeChar.reserve(count - 1);
    m_edgeTo.reserve(count - 1);
    std::vector<std::pair<char16_t, int>> kids;
    for (size_t n = 0; n < count; ++n) {
        outputs[n].firstOut = trie[n].firstOut;
        kids.clear();
        for (int c = trie[n].firstChild; c >= 0; c = trie[size_t(c)].nextSibling)
            kids.emplace_back(trie[size_t(c)].unit, c);
        std::sort(kids.begin(), kids.end());
        m_nodes[n].childBegin = int(m_edgeChar.size());
        m_nodes[n].childCount = int(kids.size());
        for (const auto& [c, to] : kids) {
            m_edgeChar.push_back(c);
            m_edgeTo.push_back(to);
        }
    }
    decltype(trie)().swap(trie);

    // Breadth-first: fail links point to shallower nodes, already done.
    std::vector<int> order;
    order.reserve(count);
    order.push_back(0);
    for (size_t head = 0; head < order.size(); ++head) {
        const int u = order[head];
        const Node& un = m_nodes[size_t(u)];
        if (u != 0)
            outputs[size_t(u)].dictLink = outputs[size_t(un.fail)].firstOut >= 0
                                              ? un.fail
                                              : outputs[size_t(un.fail)].dictLink;
        for (int e = un.childBegin; e < un.childBegin + un.childCount; ++e) {
            const int to = m_edgeTo[size_t(e)];
            m_nodes[size_t(to)].fail = u == 0 ? 0 : step(un.fail, m_edgeChar[size_t(e)]);
            order.push_back(to);
        }
    }

    // The states that report, numbered in breadth-first order: only they
    // keep outputs and stamps.
    std::vector<int> reportOf(count, -1);
    m_reports.clear();
    for (int u : order) {
        const NodeOutputs& out = outputs[size_t(u)];
        if (out.firstOut >= 0 || out.dictLink >= 0) {
            reportOf[size_t(u)] = int(m_reports.size());
            m_reports.push_back(NodeOutputs{out.firstOut, out.dictLink});
        }
    }
    for (NodeOutputs& r : m_reports)
        if (r.dictLink >= 0)
            r.dictLink = reportOf[size_t(r.dictLink)];
    m_reports.shrink_to_fit();
    decltype(outputs)().swap(outputs);

    buildDense(order, reportOf);
    if (usesDenseTable()) { // the table holds all the walk needs of the trie
        decltype(m_nodes)().swap(m_nodes);
        decltype(m_edgeChar)().swap(m_edgeChar);
        decltype(m_edgeTo)().swap(m_edgeTo);
        decltype(m_reportOfNode)().swap(m_reportOfNode);
    } else {
        m_reportOfNode = std::move(reportOf);
    }
    m_seen.assign(m_reports.size(), 0);
    // The scaffolding of a large build is many times the automaton; a small
    // one is not worth a pass over the heap.
    if (units >= kLargeBuildUnits)
        giveBackFreedPages();
    m_fired.assign(size_t(std::max(end, 0)), 0);
    m_stamp = 0;
    m_built = true;
}

void TriggerMatcher::buildDense(const std::vector<int>& order, const std::vector<int>& reportOf) {
    m_narrow.clear();
    m_dense.clear();
    m_steps.clear();
    // Alphabet of the patterns (lower case already); every other character is
    // symbol 0. Each unit then takes the symbol of its lower case, which is
    // how the text's case is ignored without lowering it.
    std::vector<char16_t> alphabet(m_edgeChar);
    std::sort(alphabet.begin(), alphabet.end());
    alphabet.erase(std::unique(alphabet.begin(), alphabet.end()), alphabet.end());
    if (alphabet.size() >= 0xFFFE)
        return; // no room for the symbols in 16 bits: fail links
    m_symbols = int(alphabet.size()) + 1;
    const auto symbolOfLower = [&alphabet](char16_t lower) {
        const auto it = std::lower_bound(alphabet.begin(), alphabet.end(), lower);
        return it != alphabet.end() && *it == lower ? quint16(it - alphabet.begin() + 1)
                                                    : quint16(0);
    };
    // Kept by pages of 256 units: a game's triggers use a few scripts, and
    // every page without a symbol is the first, all zero.
    m_symbolPages.assign(256, 0);
    std::array<quint16, 256> units;
    for (size_t page = 0; page < m_pageAt.size(); ++page) {
        bool any = false;
        for (size_t k = 0; k < units.size(); ++k) {
            units[k] = symbolOfLower(fold(char16_t(page << 8 | k)));
            any = any || units[k] != 0;
        }
        m_pageAt[page] = any ? quint32(m_symbolPages.size()) : 0;
        if (any)
            m_symbolPages.insert(m_symbolPages.end(), units.begin(), units.end());
    }

    // States in breadth-first order: the shallowest that report nothing,
    // the others that report nothing, those that report.
    const auto reports = [&reportOf](int node) { return reportOf[size_t(node)] >= 0; };
    const size_t shallow = std::max<size_t>(1, m_shallowRowCells / size_t(m_symbols));
    constexpr quint32 kUnnumbered = UINT32_MAX;
    std::vector<quint32> stateOf(m_nodes.size(), kUnnumbered);
    quint32 next = 0;
    for (int u : order)
        if (!reports(u) && next < shallow)
            stateOf[size_t(u)] = next++;
    m_shallow = next;
    for (int u : order)
        if (!reports(u) && stateOf[size_t(u)] == kUnnumbered)
            stateOf[size_t(u)] = next++;
    m_firstReporting = next;
    for (int u : order) // in the order of their reports
        if (reports(u))
            stateOf[size_t(u)] = next++;

    const bool narrow = m_nodes.size() <= m_maxNarrowRows && m_nodes.size() <= 0x10000;
    const bool filled = narrow ? fillStates(m_narrow, order, stateOf, symbolOfLower)
                               : fillStates(m_dense, order, stateOf, symbolOfLower);
    if (!filled) {
        decltype(m_narrow)().swap(m_narrow);
        decltype(m_dense)().swap(m_dense);
        decltype(m_steps)().swap(m_steps);
    }
}

template <typename Cell, typename SymbolOf>
bool TriggerMatcher::fillStates(std::vector<Cell>& table, const std::vector<int>& order,
                                const std::vector<quint32>& stateOf, SymbolOf symbolOf) {
    const size_t stride = size_t(m_symbols);
    if (size_t(m_shallow) * stride > m_maxDenseCells)
        return false;
    // Rows for the shallow states and, as a first guess, for the deeper
    // states that branch: most of the states that differ from their fail
    // state's row in more than one symbol.
    size_t rows = m_shallow;
    for (int u : order)
        rows += stateOf[size_t(u)] >= m_shallow && m_nodes[size_t(u)].childCount > 1;
    table.reserve(rows * stride);
    table.assign(size_t(m_shallow) * stride, 0);
    m_steps.assign(m_nodes.size() - m_shallow, StateStep{0, 0, kNoSymbol});
    // Where the row a state steps by starts, and the symbol it steps apart.
    const auto stepOf = [&](quint32 state) {
        return state < m_shallow ? StateStep{quint32(state * stride), 0, kNoSymbol}
                                 : m_steps[state - m_shallow];
    };
    // The whole row of the state at hand: its fail state's, then its own
    // children. Fail states are shallower, so theirs is done.
    std::vector<Cell> row(stride);
    for (int u : order) {
        const Node& un = m_nodes[size_t(u)];
        const quint32 state = stateOf[size_t(u)];
        StateStep fail{0, 0, kNoSymbol};
        if (u != 0) {
            fail = stepOf(stateOf[size_t(un.fail)]);
            std::copy_n(table.data() + fail.rowStart, stride, row.begin());
            if (fail.symbol != kNoSymbol)
                row[fail.symbol] = Cell(fail.to);
        }
        for (int e = un.childBegin; e < un.childBegin + un.childCount; ++e)
            row[symbolOf(m_edgeChar[size_t(e)])] = Cell(stateOf[size_t(m_edgeTo[size_t(e)])]);
        if (state < m_shallow) {
            std::copy(row.begin(), row.end(), table.data() + size_t(state) * stride);
            continue;
        }
        // Where it differs from the row it would share.
        StateStep& step = m_steps[state - m_shallow];
        step.rowStart = fail.rowStart;
        const Cell* shared = table.data() + fail.rowStart;
        int differences = 0;
        for (size_t k = 1; k < stride && differences < 2; ++k) {
            if (row[k] != shared[k]) {
                ++differences;
                step.symbol = quint16(k);
                step.to = row[k];
            }
        }
        if (differences < 2)
            continue;
        if (table.size() + stride > m_maxDenseCells || table.size() + stride > UINT32_MAX)
            return false;
        step = StateStep{quint32(table.size()), 0, kNoSymbol};
        table.insert(table.end(), row.begin(), row.end());
    }
    if (table.capacity() - table.size() > table.size() / 8)
        table.shrink_to_fit();
    return true;
}

int TriggerMatcher::step(int state, char16_t c) const {
    for (;;) {
        const Node& n = m_nodes[state];
        const char16_t* b = m_edgeChar.data() + n.childBegin;
        const char16_t* e = b + n.childCount;
        const char16_t* it = std::lower_bound(b, e, c);
        if (it != e && *it == c)
            return m_edgeTo[n.childBegin + int(it - b)];
        if (state == 0)
            return 0;
        state = n.fail;
    }
}

void TriggerMatcher::report(int first, QList<int>& found) {
    int n = m_reports[size_t(first)].firstOut >= 0 ? first : m_reports[size_t(first)].dictLink;
    while (n >= 0 && m_seen[size_t(n)] != m_stamp) {
        m_seen[size_t(n)] = m_stamp;
        for (int o = m_reports[size_t(n)].firstOut; o >= 0; o = m_outNext[size_t(o)]) {
            const int id = m_outIds[size_t(o)];
            if (m_fired[size_t(id)] != m_stamp) {
                m_fired[size_t(id)] = m_stamp;
                found.append(id);
            }
        }
        n = m_reports[size_t(n)].dictLink;
    }
}

void TriggerMatcher::walkDense(const char16_t* text, qsizetype n, QList<int>& found) {
    if (!m_narrow.empty())
        walkStates(m_narrow.data(), text, n, found);
    else
        walkStates(m_dense.data(), text, n, found);
}

template <typename Cell>
void TriggerMatcher::walkStates(const Cell* table, const char16_t* text, qsizetype n,
                                QList<int>& found) {
    const quint16* const pages = m_symbolPages.data();
    const quint32* const pageAt = m_pageAt.data();
    const size_t stride = size_t(m_symbols);
    const quint32 shallow = m_shallow;
    const StateStep* const steps = m_steps.data();
    const quint32 reporting = m_firstReporting;
    walkParts(text, n, [&](quint32 state, char16_t c) {
        const quint16 symbol = pages[pageAt[c >> 8] + (c & 0xFF)];
        if (state < shallow) [[likely]] {
            state = table[size_t(state) * stride + symbol];
        } else {
            const StateStep step = steps[state - shallow];
            const quint32 byRow = table[step.rowStart + symbol];
            state = symbol == step.symbol ? step.to : byRow;
        }
        if (state >= reporting) [[unlikely]]
            report(int(state - reporting), found);
        return state;
    });
}

template <typename Step>
void TriggerMatcher::walkParts(const char16_t* text, qsizetype n, Step step) const {
    // Each step waits for the one before; four walks at once, over four
    // parts of the text, hide that wait. A part after the first starts, from
    // the root, far enough back that every match ending in it starts within
    // what it reads.
    constexpr int kWalks = 4;
    const qsizetype overlap = m_longest - 1;
    const qsizetype part = n / kWalks;
    if (part <= overlap + 32) {
        quint32 cell = 0;
        for (qsizetype i = 0; i < n; ++i)
            cell = step(cell, text[i]);
        return;
    }
    const char16_t* from[kWalks];
    qsizetype length[kWalks];
    for (int w = 0; w < kWalks; ++w) {
        const qsizetype start = w == 0 ? 0 : w * part - overlap;
        const qsizetype stop = w == kWalks - 1 ? n : (w + 1) * part;
        from[w] = text + start;
        length[w] = stop - start;
    }
    quint32 cell[kWalks] = {};
    qsizetype i = 0;
    for (; i < part; ++i) // every part is at least this long
        for (int w = 0; w < kWalks; ++w)
            cell[w] = step(cell[w], from[w][i]);
    for (int w = 0; w < kWalks; ++w)
        for (qsizetype k = i; k < length[w]; ++k)
            cell[w] = step(cell[w], from[w][k]);
}

QList<int> TriggerMatcher::findAll(QStringView text) {
    QList<int> found;
    if (m_patterns == 0 || text.isEmpty())
        return found;
    if (++m_stamp == 0) { // wrapped: old stamps could look current
        std::fill(m_seen.begin(), m_seen.end(), 0);
        std::fill(m_fired.begin(), m_fired.end(), 0);
        m_stamp = 1;
    }

    if (usesDenseTable()) {
        walkDense(text.utf16(), text.size(), found);
    } else {
        int state = 0;
        for (const QChar c : text) {
            state = step(state, fold(c.unicode()));
            if (const int r = m_reportOfNode[size_t(state)]; r >= 0)
                report(r, found);
        }
    }
    if (found.size() > 1)
        std::sort(found.begin(), found.end());
    return found;
}

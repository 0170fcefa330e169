#include "protocol/TriggerMatcher.h"

#include <algorithm>
#include <climits>
#include <deque>
#include <utility>

namespace {
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
    m_nodes.assign(1, Node{});
    m_edgeChar.clear();
    m_edgeTo.clear();
    m_outIds.clear();
    m_outNext.clear();
    m_dense.clear();
    m_patterns = 0;
    m_longest = 0;

    std::vector<std::vector<std::pair<char16_t, int>>> children(1);
    std::vector<int> lastOut(1, -1);
    for (int i = 0; i < end && i < texts.size(); ++i) {
        const QString pattern = lowered(texts.at(i));
        if (pattern.isEmpty())
            continue; // an empty match text would fire on every chunk
        ++m_patterns;
        m_longest = std::max(m_longest, int(std::min<qsizetype>(pattern.size(), INT_MAX)));
        int node = 0;
        for (QChar ch : pattern) {
            auto& kids = children[node];
            auto it = std::find_if(kids.begin(), kids.end(),
                                   [&](const auto& e) { return e.first == ch.unicode(); });
            if (it != kids.end()) {
                node = it->second;
                continue;
            }
            const int next = int(m_nodes.size());
            m_nodes.push_back(Node{});
            children.emplace_back();
            lastOut.push_back(-1);
            children[node].emplace_back(ch.unicode(), next);
            node = next;
        }
        // Outputs in list order, appended at the tail of the node's list.
        const int out = int(m_outIds.size());
        m_outIds.push_back(i);
        m_outNext.push_back(-1);
        if (lastOut[node] < 0)
            m_nodes[node].firstOut = out;
        else
            m_outNext[lastOut[node]] = out;
        lastOut[node] = out;
    }

    for (size_t n = 0; n < m_nodes.size(); ++n) {
        auto& kids = children[n];
        std::sort(kids.begin(), kids.end());
        m_nodes[n].childBegin = int(m_edgeChar.size());
        m_nodes[n].childCount = int(kids.size());
        for (const auto& [c, to] : kids) {
            m_edgeChar.push_back(c);
            m_edgeTo.push_back(to);
        }
    }

    // Breadth-first: fail links point to shallower nodes, already done.
    std::vector<int> order;
    order.reserve(m_nodes.size());
    std::deque<int> queue;
    for (const auto& [c, to] : children[0]) {
        m_nodes[to].fail = 0;
        queue.push_back(to);
    }
    order.push_back(0);
    while (!queue.empty()) {
        const int u = queue.front();
        queue.pop_front();
        order.push_back(u);
        const Node& un = m_nodes[u];
        m_nodes[u].dictLink = m_nodes[un.fail].firstOut >= 0 ? un.fail : m_nodes[un.fail].dictLink;
        for (const auto& [c, to] : children[u]) {
            m_nodes[to].fail = step(m_nodes[u].fail, c);
            queue.push_back(to);
        }
    }
    m_nodes[0].dictLink = -1;
    // The per-node child lists are done with: gone before the big table comes.
    decltype(children)().swap(children);

    buildDense(order);
    m_seen.assign(m_nodes.size(), 0);
    m_fired.assign(size_t(std::max(end, 0)), 0);
    m_stamp = 0;
    m_built = true;
}

void TriggerMatcher::buildDense(const std::vector<int>& order) {
    // Alphabet of the patterns (lower case already); every other character is
    // symbol 0. Each unit then takes the symbol of its lower case, which is
    // how the text's case is ignored without lowering it.
    std::vector<quint16> symbolOf(0x10000, 0);
    m_symbols = 1;
    for (char16_t c : m_edgeChar)
        if (symbolOf[c] == 0)
            symbolOf[c] = quint16(m_symbols++);
    // A lower case is its own lower case, so it keeps its symbol while the
    // other units are filled in place: no second table of 64 K entries.
    for (int u = 0; u < 0x10000; ++u) {
        const char16_t lower = fold(char16_t(u));
        if (lower != u)
            symbolOf[size_t(u)] = symbolOf[lower];
    }
    // Kept by pages of 256 units: a game's triggers use a few scripts, and
    // every page without a symbol is the first, all zero.
    m_symbolPages.assign(256, 0);
    for (size_t page = 0; page < m_pageAt.size(); ++page) {
        const quint16* units = symbolOf.data() + (page << 8);
        m_pageAt[page] = 0;
        if (std::any_of(units, units + 256, [](quint16 s) { return s != 0; })) {
            m_pageAt[page] = quint32(m_symbolPages.size());
            m_symbolPages.insert(m_symbolPages.end(), units, units + 256);
        }
    }

    m_narrow.clear();
    m_dense.clear();
    const size_t rowCount = m_nodes.size();
    const bool narrow = rowCount <= m_maxNarrowRows && rowCount <= 0x10000;
    const size_t cells = rowCount * size_t(m_symbols);
    if (m_symbols >= 0xFFFF || cells > m_maxDenseCells || cells > 0x7FFFFFFF)
        return;
    auto reports = [this](int node) {
        return m_nodes[size_t(node)].firstOut >= 0 || m_nodes[size_t(node)].dictLink >= 0;
    };
    // Rows: the states that report after all others; the root stays row 0.
    std::vector<quint32> rowOf(m_nodes.size());
    m_nodeOfRow.assign(m_nodes.size(), 0);
    quint32 rows = 0;
    for (int pass = 0; pass < 2; ++pass) {
        if (pass == 1)
            m_firstReporting = narrow ? rows : rows * quint32(m_symbols);
        for (int u : order) {
            if (reports(u) == (pass == 1)) {
                m_nodeOfRow[rows] = u;
                rowOf[size_t(u)] = rows++;
            }
        }
    }
    if (narrow) {
        m_narrow.assign(cells, 0);
        fillRows(m_narrow.data(), size_t(m_symbols), order, rowOf,
                 [](quint32 row) { return quint16(row); });
    } else {
        m_dense.assign(cells, 0);
        const quint32 stride = quint32(m_symbols);
        fillRows(m_dense.data(), stride, order, rowOf,
                 [stride](quint32 row) { return row * stride; });
    }
}

template <typename Cell, typename CellOf>
void TriggerMatcher::fillRows(Cell* table, size_t stride, const std::vector<int>& order,
                              const std::vector<quint32>& rowOf, CellOf cellOf) const {
    auto rowAt = [&](int node) { return table + size_t(rowOf[size_t(node)]) * stride; };
    for (int u : order) { // fail rows are filled before the rows that copy them
        const Node& un = m_nodes[size_t(u)];
        Cell* row = rowAt(u);
        if (u != 0) {
            const Cell* failRow = rowAt(un.fail);
            std::copy(failRow, failRow + m_symbols, row);
        }
        for (int e = un.childBegin; e < un.childBegin + un.childCount; ++e)
            row[symbolOf(m_edgeChar[size_t(e)])] = cellOf(rowOf[size_t(m_edgeTo[size_t(e)])]);
        row[0] = 0;
    }
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

void TriggerMatcher::report(int state, QList<int>& found) {
    int n = m_nodes[size_t(state)].firstOut >= 0 ? state : m_nodes[size_t(state)].dictLink;
    while (n >= 0 && m_seen[size_t(n)] != m_stamp) {
        m_seen[size_t(n)] = m_stamp;
        for (int o = m_nodes[size_t(n)].firstOut; o >= 0; o = m_outNext[size_t(o)]) {
            const int id = m_outIds[size_t(o)];
            if (m_fired[size_t(id)] != m_stamp) {
                m_fired[size_t(id)] = m_stamp;
                found.append(id);
            }
        }
        n = m_nodes[size_t(n)].dictLink;
    }
}

void TriggerMatcher::walkDense(const char16_t* text, qsizetype n, QList<int>& found) {
    const quint16* const pages = m_symbolPages.data();
    const quint32* const pageAt = m_pageAt.data();
    auto symbol = [pages, pageAt](char16_t c) { return pages[pageAt[c >> 8] + (c & 0xFF)]; };
    const quint32 reporting = m_firstReporting;
    if (!m_narrow.empty()) {
        const quint16* const table = m_narrow.data();
        const size_t stride = size_t(m_symbols);
        walkParts(text, n, [&](quint32 row, char16_t c) {
            row = table[size_t(row) * stride + symbol(c)];
            if (row >= reporting) [[unlikely]]
                report(m_nodeOfRow[row], found);
            return row;
        });
        return;
    }
    const quint32* const dense = m_dense.data();
    walkParts(text, n, [&](quint32 cell, char16_t c) {
        cell = dense[cell + symbol(c)];
        if (cell >= reporting) [[unlikely]]
            report(m_nodeOfRow[cell / quint32(m_symbols)], found);
        return cell;
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
            if (m_nodes[size_t(state)].firstOut >= 0 || m_nodes[size_t(state)].dictLink >= 0)
                report(state, found);
        }
    }
    if (found.size() > 1)
        std::sort(found.begin(), found.end());
    return found;
}

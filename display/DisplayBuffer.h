#pragma once
// The game display's text: lines of coloured runs, no widget. Text is only
// ever appended at the end and removed from the front, so every line keeps an
// absolute start (characters and wrapped rows counted since the buffer was
// created); removing leading lines only moves the origin, and positions
// callers see are absolute minus origin.
//
// Positions count one per character and one per line break: line i covers
// lineStart(i) .. lineStart(i) + lineText(i).size(), the last value being the
// position of its break.
#include "ui/DisplaySink.h"

#include <QList>
#include <QRgb>
#include <QString>
#include <QStringView>
#include <vector>

class DisplayBuffer {
public:
    struct Run {
        int start = 0; // within the line
        int length = 0;
        QRgb colour = 0;
        bool bold = false;
        quint8 flags = 0;    // TextStyle's flags (Bold among them when drawn bold)
        QRgb background = 0; // when flags hold TextStyle::Background
        bool operator==(const Run&) const = default;
        TextStyle style() const { return {flags, background}; }
    };

    // Longest display line; longer text continues on the next line.
    static constexpr qsizetype kMaxLineLength = 65536;
    static constexpr int kTabWidth = 8;

    DisplayBuffer();

    // Every LF is one line break; CR characters are dropped, so CR LF is one
    // break and a lone CR none. A TAB becomes spaces up to the next multiple
    // of kTabWidth columns. A backspace removes the last character of the
    // last line (never a break), a BEL is counted in bells() and not kept.
    // Text beyond kMaxLineLength in one line goes on on the next.
    void append(QStringView text, QRgb colour, bool bold, const TextStyle& style = {});
    // BEL characters appended since creation.
    qint64 bells() const { return m_bells; }

    int length() const { return int(m_length); }
    int lineCount() const { return int(m_lines.size() - m_head); }
    int lastLine() const { return lineCount() - 1; }
    // The line showing position pos; positions out of range clamp to the
    // first or last line.
    int lineFromChar(int pos) const;
    int lineStart(int line) const;
    int lineLength(int line) const { return int(line_(line).text.size()); }
    const QString& lineText(int line) const { return line_(line).text; }
    QList<Run> lineRuns(int line) const;
    const std::vector<Run>& runsOf(int line) const { return line_(line).runs; }
    // All lines joined with '\n': its length equals length().
    QString text() const;
    // The part of text() from pos, len characters long (clamped).
    QString mid(int pos, int len) const;
    // A line break or an empty line has no colour of its own: these give the
    // attributes of the character before it on its line, or white / not bold
    // on an empty line.
    QRgb colourAt(int pos) const;
    bool boldAt(int pos) const;

    // Removes lines 0 .. n-1 with their breaks; at least one line remains.
    void removeLeadingLines(int n);
    // How many characters have left the front since creation: adding it to a
    // position gives a value that later front removals do not change.
    qint64 removedChars() const { return m_origin; }

    // Wrapping at a fixed number of character columns: a line of n characters
    // takes max(1, ceil(n / columns)) rows. Changing the columns rewraps
    // every line; appends update only the last line.
    void setWrapColumns(int columns);
    int wrapColumns() const { return m_columns; }
    int rowCount() const;
    int lineFirstRow(int line) const { return int(line_(line).rowStart - m_rowOrigin); }
    int lineRows(int line) const { return rowsFor(line_(line).text.size()); }
    int lineFromRow(int row) const;
    // Rows removed from the front since creation, as removedChars() for rows.
    qint64 removedRows() const { return m_rowOrigin; }

private:
    struct Line {
        QString text;
        std::vector<Run> runs;
        qint64 start = 0;    // absolute character position
        qint64 rowStart = 0; // absolute row
    };
    const Line& line_(int line) const { return m_lines[m_head + size_t(line)]; }
    int rowsFor(qsizetype chars) const;
    void appendToLast(QStringView text, QRgb colour, bool bold, const TextStyle& style);
    void appendRun(QStringView text, QRgb colour, bool bold, const TextStyle& style);
    void newLine();
    void eraseLastChar();
    const Run* runAt(int pos) const;
    void dropHead(size_t n);

    std::vector<Line> m_lines; // live lines are m_head .. end
    size_t m_head = 0;
    // Lines before this, among the dead ones before m_head, have lent their
    // storage to new lines: text and runs then need no allocation.
    size_t m_lent = 0;
    qint64 m_origin = 0; // absolute start of the first live line
    qint64 m_length = 0;
    qint64 m_bells = 0;
    int m_columns = 80;
    qint64 m_rowOrigin = 0; // absolute first row of the first live line
};

#pragma once
// Notes posted by players, kept in memory while the server runs. The board
// keeps the latest kMaxNotes; a note keeps its number when older ones go.
#include <QList>
#include <QString>
#include <QStringList>

struct Note {
    QString author;
    QString recipients; // as typed: names and TUTTI, separated by spaces
    QString subject;
    QStringList lines;
};

class NoteBoard {
public:
    static constexpr int kMaxNotes = 500;

    // A note is for its author, for everyone when addressed to TUTTI, and
    // for every player named among its recipients (letter case ignored).
    static bool canRead(const Note& note, const QString& reader);

    // Returns the note's number, counted from 1.
    int post(const Note& note);
    int firstNumber() const { return m_first; }
    int lastNumber() const { return m_first + int(m_notes.size()) - 1; }
    // nullptr when there is no such note (never posted, or dropped).
    const Note* note(int number) const;

private:
    QList<Note> m_notes;
    int m_first = 1;
};

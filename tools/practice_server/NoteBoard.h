#pragma once
// Notes posted by players, kept in memory while the server runs.
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
    // A note is for its author, for everyone when addressed to TUTTI, and
    // for every player named among its recipients (letter case ignored).
    static bool canRead(const Note& note, const QString& reader);

    // Returns the note's number, counted from 1.
    int post(const Note& note);
    int count() const { return int(m_notes.size()); }
    // Number from 1; nullptr when there is no such note.
    const Note* note(int number) const;

private:
    QList<Note> m_notes;
};

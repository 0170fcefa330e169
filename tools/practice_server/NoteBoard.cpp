#include "practice_server/NoteBoard.h"

bool NoteBoard::canRead(const Note& note, const QString& reader) {
    if (note.author.compare(reader, Qt::CaseInsensitive) == 0)
        return true;
    const QStringList names = note.recipients.split(u' ', Qt::SkipEmptyParts);
    for (const QString& n : names) {
        if (n.compare(QStringLiteral("TUTTI"), Qt::CaseInsensitive) == 0 ||
            n.compare(reader, Qt::CaseInsensitive) == 0)
            return true;
    }
    return false;
}

int NoteBoard::post(const Note& note) {
    m_notes.append(note);
    if (m_notes.size() > kMaxNotes) {
        m_notes.removeFirst();
        ++m_first;
    }
    return lastNumber();
}

const Note* NoteBoard::note(int number) const {
    if (number < m_first || number > lastNumber())
        return nullptr;
    return &m_notes[number - m_first];
}

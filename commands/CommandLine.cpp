#include "commands/CommandLine.h"

#include "automation/ActionText.h"

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QChar kSpace = QLatin1Char(' ');

// Only spaces count as padding, tabs and other blanks are part of the text.
QString trimSpaces(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b) == kSpace)
        ++b;
    while (e > b && s.at(e - 1) == kSpace)
        --e;
    return s.mid(b, e - b);
}

} // namespace

QString CommandLine::expandFirstWord(const QString& word, PairTable& aliases) {
    QString w = word;
    if (aliases.count < 1)
        return w;
    // Every alias is compared with what the earlier matches left, so one whose
    // name equals an expansion expands it again.
    const int end = std::min<int>(aliases.walkEnd(), int(aliases.actions.size()));
    for (int i = 0; i < end; ++i) {
        if (aliases.texts.at(i).compare(w, Qt::CaseInsensitive) != 0)
            continue;
        QString& action = aliases.actions[i];
        if (action.endsWith(ActionText::kSeparator)) {
            action.chop(ActionText::kSeparator.size());
            aliases.touch();
        }
        w = ActionText::toWire(action);
    }
    return w;
}

QString CommandLine::lineToSend(const QString& typed, PairTable* aliases) {
    const QString trimmed = trimSpaces(typed);
    if (trimmed.isEmpty())
        return typed + kCrLf;
    // Splitting at every single space keeps runs of spaces as empty words, so
    // joining them back restores the inner spacing.
    QStringList words = trimmed.split(kSpace);
    if (aliases)
        words[0] = expandFirstWord(words[0], *aliases);
    return kSpace + words.join(kSpace) + kCrLf;
}

QString CommandLine::hiddenLine(const QString& typed) {
    return typed + kCrLf;
}

CommandLine::Outcome CommandLine::enter(const QString& typed, bool cancellaPrompt) {
    Outcome out;
    out.line = lineToSend(typed, m_aliases);
    // What enters the history is always the text as typed.
    if (typed.size() > 1 && typed != m_lastCommand) {
        m_history.prepend(typed);
        while (m_history.size() > kHistorySize)
            m_history.removeLast();
        out.recorded = true;
        out.text = cancellaPrompt ? QString() : typed;
        m_lastCommand = out.text;
    } else {
        out.text = typed;
        out.selectAll = true;
    }
    return out;
}

#include "ui/TextBoxes.h"

#include "files/CodePage.h"
#include "ui/Dialogs.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <QTextDocument>

namespace {

void tell(QWidget* box, const CodePage::Misfit& misfit, const QString& fileName,
          const QString& title) {
    msgBox(box->window(),
           CodePage::misfitMessage(misfit, fileName) +
               QStringLiteral(".\nToglierlo o sostituirlo, poi riprovare."),
           Msg::Critical, title);
    box->setFocus();
}

} // namespace

QString typedText(const QPlainTextEdit* box) {
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}

bool fitsCodePage(QLineEdit* box, const QString& fileName, const QString& title) {
    const std::optional<CodePage::Misfit> misfit = CodePage::firstMisfit(box->text());
    if (!misfit)
        return true;
    tell(box, *misfit, fileName, title);
    box->setSelection(int(misfit->position), int(misfit->length));
    return false;
}

bool fitsCodePage(QPlainTextEdit* box, const QString& fileName, const QString& title) {
    const std::optional<CodePage::Misfit> misfit = CodePage::firstMisfit(typedText(box));
    if (!misfit)
        return true;
    tell(box, *misfit, fileName, title);
    // Positions in the document count one unit per line break, as typedText does.
    QTextCursor cursor(box->document());
    cursor.setPosition(int(misfit->position));
    cursor.setPosition(int(misfit->position + misfit->length), QTextCursor::KeepAnchor);
    box->setTextCursor(cursor);
    return false;
}

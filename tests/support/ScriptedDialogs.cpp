#include "support/ScriptedDialogs.h"

#include <QDialog>

int ScriptedDialogs::messageBox(QWidget*, const QString& text, int flags, const QString& title) {
    messages.append({text, flags, title});
    if (!answers.isEmpty())
        return answers.takeFirst();
    return (flags & 0x7) == Msg::YesNo ? Msg::Yes : Msg::Ok;
}

int ScriptedDialogs::choice(QWidget*, const QString& text, const QStringList& buttons,
                            int defaultButton, int flags, const QString& title) {
    messages.append({text, flags, title});
    choiceButtons.append(buttons);
    return choices.isEmpty() ? defaultButton : choices.takeFirst();
}

QString ScriptedDialogs::textInput(QWidget*, const QString& text, const QString&,
                                   const QString& title) {
    messages.append({text, 0, title});
    return typed.isEmpty() ? QString() : typed.takeFirst();
}

QString ScriptedDialogs::fileDialog(FileDialogRequest& request) {
    fileRequests.append(request);
    return filePaths.isEmpty() ? QString() : filePaths.takeFirst();
}

bool ScriptedDialogs::chooseFont(QWidget*, QFont& font, const QString&) {
    fontsOffered.append(font);
    if (fonts.isEmpty())
        return false;
    font = fonts.takeFirst();
    return true;
}

void ScriptedDialogs::runModal(QDialog* window) {
    modalShown.append(window);
    window->setModal(true);
    window->show();
    if (onModal)
        onModal(window);
    if (window->isVisible())
        window->close();
}

#pragma once
// A DialogHost for tests: message boxes are recorded and answered from a
// queue, file dialogs return queued paths, and modal windows are handed to a
// callback that drives them (closing them when it returns, as a person would).
#include "ui/Dialogs.h"

#include <QFont>
#include <QList>
#include <QStringList>
#include <functional>

struct RecordedMessage {
    QString text;
    int flags = 0;
    QString title;
};

class ScriptedDialogs : public DialogHost {
public:
    // Hosts nest: the one made last answers until it goes away.
    ScriptedDialogs() : m_previous(&dialogs()) { setDialogHost(this); }
    ~ScriptedDialogs() override { setDialogHost(m_previous); }

    QList<RecordedMessage> messages;  // every box shown, in order
    QList<int> answers;               // next answers; Msg::Ok / Msg::Yes when empty
    QList<int> choices;               // next choice() buttons; the default one when empty
    QList<QStringList> choiceButtons; // the buttons of every choice() shown
    QStringList typed;                // next textInput() answers; cancelled when empty
    QStringList filePaths;            // next file dialog results; "" cancels
    QList<FileDialogRequest> fileRequests;
    QList<QFont> fonts;        // next font dialog results; cancelled when empty
    QList<QFont> fontsOffered; // the font each font dialog started from
    // Called with each modal window while it is shown; the window is closed
    // afterwards if the handler left it open.
    std::function<void(QDialog*)> onModal;
    QList<QDialog*> modalShown;
    QStringList foldersOpened; // every folder handed to the desktop
    bool folderOpens = true;   // what openFolder() answers

    int messageBox(QWidget* owner, const QString& text, int flags, const QString& title) override;
    // Recorded in messages as well.
    int choice(QWidget* owner, const QString& text, const QStringList& buttons, int defaultButton,
               int flags, const QString& title) override;
    // Recorded in messages as well.
    QString textInput(QWidget* owner, const QString& text, const QString& initial,
                      const QString& title) override;
    QString fileDialog(FileDialogRequest& request) override;
    bool chooseFont(QWidget* owner, QFont& font, const QString& title) override;
    void runModal(QDialog* window) override;
    bool openFolder(const QString& path) override {
        foldersOpened.append(path);
        return folderOpens;
    }

    QString lastText() const { return messages.isEmpty() ? QString() : messages.last().text; }

private:
    DialogHost* m_previous;
};

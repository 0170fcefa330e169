#pragma once
// Every question the program asks a person goes through one DialogHost, so
// that tests can answer message boxes, pick files and drive modal windows;
// so does handing a folder to the desktop, which tests must not launch.
// The default host shows real Qt dialogs.
#include <QString>
#include <QStringList>

class QDialog;
class QFont;
class QWidget;

// Message box flags and answers, with the numbers the windows were written with.
namespace Msg {
enum Flags : int {
    OkOnly = 0,
    YesNo = 4,
    Critical = 16,
    Question = 32,
    Exclamation = 48,
    Information = 64,
};
enum Answer : int { Ok = 1, Cancel = 2, Yes = 6, No = 7 };
} // namespace Msg

struct FileDialogRequest {
    enum Kind { Open, Save };
    Kind kind = Open;
    QWidget* owner = nullptr;
    QString title;
    // Qt name filters, e.g. "Varendor Nota(*.not) (*.not)"; the dialog shows
    // each as its description alone ("Varendor Nota(*.not)").
    QStringList nameFilters;
    int filterIndex = 0;    // in: filter offered first; out: the one chosen
    bool mustExist = false; // open dialogs refuse names of missing files
    // The folder the dialog opens in (a name typed alone lands there);
    // empty leaves it to the system.
    QString folder;
};

class DialogHost {
public:
    virtual ~DialogHost() = default;
    // Returns one of Msg::Answer. An empty title means the application's title.
    virtual int messageBox(QWidget* owner, const QString& text, int flags,
                           const QString& title) = 0;
    // A question with answers of its own, one button each in the order given.
    // Returns the index of the button chosen; closing the box (Escape) picks
    // defaultButton, which Enter picks too. The base host asks nobody and
    // returns defaultButton.
    virtual int choice(QWidget* owner, const QString& text, const QStringList& buttons,
                       int defaultButton, int flags, const QString& title);
    // A line of text the person types, offered with initial; a null string
    // when cancelled. The base host asks nobody and cancels.
    virtual QString textInput(QWidget* owner, const QString& text, const QString& initial,
                              const QString& title);
    // A fixed-pitch font, starting from font; true with font changed when one
    // was chosen. The base host asks nobody and keeps font.
    virtual bool chooseFont(QWidget* owner, QFont& font, const QString& title);
    // Returns the chosen full path, or an empty string when cancelled.
    virtual QString fileDialog(FileDialogRequest& request) = 0;
    // Shows a window modally and returns when it has closed.
    virtual void runModal(QDialog* window) = 0;
    // Shows a folder in the desktop's file manager; false when nothing could
    // show it. The base host shows nothing.
    virtual bool openFolder(const QString& path);
};

// The process-wide host; a real Qt one unless a test installed its own.
DialogHost& dialogs();
// Installs host (not owned); nullptr restores the real one.
void setDialogHost(DialogHost* host);

// Shorthand for the common message box.
int msgBox(QWidget* owner, const QString& text, int flags = Msg::OkOnly,
           const QString& title = QString());

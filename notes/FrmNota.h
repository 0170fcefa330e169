#pragma once
// The note composer "Nota": recipients, subject and body of an in-game note,
// coloured with the game's colour codes, kept in ".not" files and posted to
// the game as its note commands, each echoed in the display.
#include "ui/ToolWindow.h"

#include <QString>
#include <array>
#include <functional>

class DisplaySink;
class QLineEdit;
class QPlainTextEdit;

class FrmNota : public ToolWindow {
    Q_OBJECT
public:
    // write sends one command line (with its CR LF) to the game.
    FrmNota(DisplaySink& display, std::function<void(const QString&)> write,
            QWidget* parent = nullptr);

    enum Button { Nuovo = 0, Invia, Annulla, Esci, Apri, Salva };

    // Where "Apri" and "Salva" open: the player's Note/ folder.
    void setNotesFolder(const QString& folder) { m_notesFolder = folder; }

    // The swatches' colours (red, green, blue) and the codes they insert.
    struct Swatch {
        int r, g, b;
        const char* code;
    };
    static const std::array<Swatch, 16> kSwatches;
    static const QString kHelpDest;
    static const QString kHelpSogg;
    static const QString kHelpNota;
    // The echo colour of posted commands.
    static constexpr QRgb kEchoColour = 0xFFC8C8A0; // RGB(200, 200, 160)

    // Posts the note in the fields: every command echoed, then written.
    void SendNote();

    // For the windows that host it and for tests.
    void sphCol_Click(int index);
    void lblShape_Click(int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void setButtons(bool nuovo, bool invia, bool annulla, bool apri, bool salva);
    void enableFields();
    void toIdle();
    bool checkFields();
    void openNote();
    void saveNote();

    DisplaySink& m_display;
    std::function<void(const QString&)> m_write;
    QLineEdit* m_dest = nullptr;
    QLineEdit* m_sogg = nullptr;
    QPlainTextEdit* m_nota = nullptr;
    QLabel* m_help = nullptr;
    QString m_notesFolder;
};

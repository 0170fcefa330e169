// The main window's menus and what each item does.
#include "automation/ButtonConfig.h"
#include "automation/FontSettings.h"
#include "automation/FrmBottoni.h"
#include "automation/FrmPairEditor.h"
#include "client/FrmMain.h"
#include "client/FrmScript.h"
#include "client/MainSurface.h"
#include "client/ScriptBridge.h"
#include "commands/CommandInput.h"
#include "commands/MainButtons.h"
#include "display/GameDisplay.h"
#include "notes/FrmNota.h"
#include "ui/Artwork.h"
#include "ui/Dialogs.h"
#include "ui/DisplayFont.h"
#include "ui/FileDialogs.h"
#include "ui/FrmAbout.h"
#include "ui/SavedBackground.h"

#include <QAction>
#include <QDir>
#include <QImageReader>
#include <QMenu>
#include <QMenuBar>
#include <QStandardPaths>

namespace {
QAction* addItem(QMenu* menu, const char* name, const QString& caption) {
    QAction* a = menu->addAction(caption);
    a->setObjectName(QString::fromLatin1(name));
    return a;
}
} // namespace

// Every menu and item has its letter: Alt with it opens the menu, the letter
// alone picks the item.
void FrmMain::createMenus() {
    QMenu* collegamento = menuBar()->addMenu(QStringLiteral("&Collegamento"));
    collegamento->setObjectName(QStringLiteral("mnuCollegamento"));
    mnuConnetti = addItem(collegamento, "mnuConnetti", QStringLiteral("&Connetti"));
    mnuDisconnetti = addItem(collegamento, "mnuDisconnetti", QStringLiteral("&Disconnetti"));
    collegamento->addSeparator();
    mnuEsci = addItem(collegamento, "mnuEsci", QStringLiteral("&Esci"));

    QMenu* configura = menuBar()->addMenu(QStringLiteral("C&onfigura"));
    configura->setObjectName(QStringLiteral("mnuConfigura"));
    mnuAlias = addItem(configura, "mnuAlias", QStringLiteral("&Alias"));
    mnuTrigger = addItem(configura, "mnuTrigger", QStringLiteral("&Trigger"));
    mnuBottoni = addItem(configura, "mnuBottoni", QStringLiteral("&Bottoni"));
    mnuNota = addItem(configura, "mnuNota", QStringLiteral("&Nota"));
    mnuCancPromp = addItem(configura, "mnuCancPromp", QStringLiteral("&Cancella prompt"));
    mnuCancPromp->setCheckable(true);
    mnuSfondo = addItem(configura, "mnuSfondo", QStringLiteral("&Sfondo"));
    mnuCarattere = addItem(configura, "mnuCarattere", QStringLiteral("Ca&rattere"));
    mnuScript = addItem(configura, "mnuScript", QStringLiteral("Scr&ipt…"));

    QMenu* aiuto = menuBar()->addMenu(QStringLiteral("?"));
    aiuto->setObjectName(QStringLiteral("mnuAiuto"));
    mnuAbout = addItem(aiuto, "mnuAbout", QStringLiteral("&About"));

    // Pictures beside four items; their checked state never changes.
    mnuTrigger->setIcon(Artwork::menuPicture(0));
    mnuAlias->setIcon(Artwork::menuPicture(1));
    mnuBottoni->setIcon(Artwork::menuPicture(2));
    mnuNota->setIcon(Artwork::menuPicture(3));

    connect(mnuConnetti, &QAction::triggered, this, [this] { mnuConnetti_Click(); });
    connect(mnuDisconnetti, &QAction::triggered, this, [this] { DisconnettiServer(); });
    connect(mnuEsci, &QAction::triggered, this, [this] { close(); });
    connect(mnuAlias, &QAction::triggered, this, [this] { mnuAlias_Click(); });
    connect(mnuTrigger, &QAction::triggered, this, [this] { mnuTrigger_Click(); });
    connect(mnuBottoni, &QAction::triggered, this, [this] { mnuBottoni_Click(); });
    connect(mnuNota, &QAction::triggered, this, [this] { mnuNota_Click(); });
    connect(mnuSfondo, &QAction::triggered, this, [this] { mnuSfondo_Click(); });
    connect(mnuCarattere, &QAction::triggered, this, [this] { mnuCarattere_Click(); });
    connect(mnuScript, &QAction::triggered, this, [this] { mnuScript_Click(); });
    connect(mnuAbout, &QAction::triggered, this, [this] { mnuAbout_Click(); });
    setMenusConnected(false);
}

void FrmMain::setMenusConnected(bool connected) {
    mnuConnetti->setEnabled(!connected);
    mnuDisconnetti->setEnabled(connected);
}

void FrmMain::mnuConnetti_Click() {
    ConnettiServer();
}

void FrmMain::mnuTrigger_Click() {
    frmTrigger editor(m_api, this);
    dialogs().runModal(&editor);
}

void FrmMain::mnuAlias_Click() {
    frmAlias editor(m_api, this);
    dialogs().runModal(&editor);
}

void FrmMain::mnuBottoni_Click() {
    {
        FrmBottoni editor(m_api, m_bar, this);
        dialogs().runModal(&editor);
    }
    LoadButtons(m_api, m_bar, nullptr);
    m_buttons->RepaintMain();
    update();
}

void FrmMain::mnuNota_Click() {
    FrmNota composer(
        ownText(), [this](const QString& text) { writeToServer(text); }, this);
    composer.setNotesFolder(m_api.pathOf(QStringLiteral("Note")));
    dialogs().runModal(&composer);
}

void FrmMain::mnuScript_Click() {
    FrmScript window(m_scripts->engine(), this);
    connect(&window, &FrmScript::resultShown, this, &FrmMain::tell);
    dialogs().runModal(&window);
}

void FrmMain::mnuAbout_Click() {
    FrmAbout about(this);
    dialogs().runModal(&about);
}

void FrmMain::mnuSfondo_Click() {
    const QString filter = QStringLiteral("File grafico(bmp, gif, jpg)(*.*)") + QChar(0) +
                           QStringLiteral("*.*") + QChar(0);
    // Pictures are in the user's pictures folder; without one, the home folder.
    QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    if (pictures.isEmpty() || !QDir(pictures).exists())
        pictures = QDir::homePath();
    const QString path =
        ShowOpenDialog(this, filter, QStringLiteral("Carica Sfondo"),
                       DialogFlags::Explorer | DialogFlags::FileMustExist, pictures);
    if (path.isEmpty())
        return;
    QImageReader reader(path);
    const QImage image = reader.read();
    if (image.isNull()) {
        msgBox(this,
               QStringLiteral("Impossibile caricare l'immagine %1:\n%2")
                   .arg(path, reader.errorString()),
               Msg::Exclamation, QStringLiteral("Sfondo"));
        return;
    }
    m_background = QPixmap::fromImage(image);
    m_surface->setBackground(m_background);
    m_buttons->RepaintMain();
    if (const FileResult kept = SavedBackground::keep(m_api.programFolder, path, reader.format());
        !kept)
        msgBox(this, kept.message, Msg::Exclamation, QStringLiteral("Sfondo"));
}

void FrmMain::mnuCarattere_Click() {
    QFont font = m_display->font();
    if (!dialogs().chooseFont(this, font, QStringLiteral("Carattere")))
        return;
    const FontChoice choice{font.family(), font.pointSizeF()};
    applyFont(choice);
    if (!writeFontChoice(m_api, choice))
        msgBox(this, QStringLiteral("Impossibile salvare il carattere in config.ini."),
               Msg::Exclamation, QStringLiteral("Carattere"));
}

void FrmMain::applyFont(const FontChoice& choice) {
    const QFont font = DisplayFont::make(choice.family, choice.points);
    m_display->setDisplayFont(font);
    m_combo->setFont(font);
}

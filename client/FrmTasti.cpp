#include "client/FrmTasti.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

QStringList FrmTasti::keyList() {
    return {
        QStringLiteral("Finestra principale"),
        QStringLiteral("  F1 ... F8: premono i bottoni da 1 a 8 della barra"),
        QStringLiteral("  Ctrl+F: apre Trova"),
        QStringLiteral("  Alt+C, Alt+M, Alt+O: aprono i menu Collegamento, Modifica, Configura;"),
        QStringLiteral("    nel menu aperto la lettera sottolineata sceglie la voce"),
        QStringLiteral("  Tab, Maiusc+Tab: passano fra riga di comando, testo del gioco,"),
        QStringLiteral("    Scrivi Log.txt, Connetti, Disconnetti e i bottoni della barra"),
        QStringLiteral("  Alt+1, Alt+2, Alt+3, Alt+4, Alt+5, Alt+6, Alt+7, Alt+8, Alt+9: leggono"),
        QStringLiteral("    l'ultima riga del gioco, la penultima, ... la nona dal fondo"),
        QStringLiteral("  Ctrl+Shift+S (Ctrl+Maiusc+S): zittisce la voce"),
        QStringLiteral("  Spazio o Invio: premono il bottone che ha il fuoco"),
        QStringLiteral("Riga di comando"),
        QStringLiteral("  Invio: manda il comando"),
        QStringLiteral("  Freccia su, Freccia giù: scorrono i comandi già mandati"),
        QStringLiteral("  Pag Su, Pag Giù: scorrono il testo del gioco"),
        QStringLiteral("  Esc: svuota la riga"),
        QStringLiteral("Testo del gioco"),
        QStringLiteral("  Ctrl+C: copia il testo selezionato; Ctrl+A: lo seleziona tutto"),
        QStringLiteral("  Frecce, Inizio, Fine: muovono il cursore di lettura riga per riga"),
        QStringLiteral("  Ctrl+Inizio, Ctrl+Fine: vanno al testo più vecchio, al più recente"),
        QStringLiteral("Trova"),
        QStringLiteral("  Invio o Ctrl+G: testo successivo"),
        QStringLiteral("  Maiusc+Invio o Ctrl+Maiusc+G: testo precedente"),
        QStringLiteral("  Esc: chiude Trova e torna al testo più recente"),
        QStringLiteral("Script"),
        QStringLiteral("  Alt+F, Alt+U: vanno ai file caricati, agli ultimi errori"),
        QStringLiteral("  Alt+R: ricarica gli script; Alt+A: apre la loro cartella; Esc: chiude"),
        QStringLiteral("Trigger, Alias, Bottoni, Nota, About"),
        QStringLiteral("  Alt e la lettera sottolineata: premono quel bottone"),
        QStringLiteral("  Tab: raggiunge anche i bottoni attivi e i colori della Nota"),
        QStringLiteral("  Spazio o Invio: premono il bottone o il colore che ha il fuoco"),
    };
}

FrmTasti::FrmTasti(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("frmTasti"));
    setWindowTitle(QStringLiteral("Tasti"));
    m_text = new QPlainTextEdit(this);
    m_text->setObjectName(QStringLiteral("txtTasti"));
    m_text->setAccessibleName(QStringLiteral("Tasti"));
    m_text->setReadOnly(true);
    // Read-only text keeps a caret for the keyboard, so it can be read line by line.
    m_text->setTextInteractionFlags(Qt::TextSelectableByKeyboard | Qt::TextSelectableByMouse);
    m_text->setTabChangesFocus(true);
    m_text->setPlainText(keyList().join(QLatin1Char('\n')));
    auto* close = new QPushButton(QStringLiteral("&Chiudi"), this);
    close->setObjectName(QStringLiteral("cmdChiudi"));
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_text);
    layout->addWidget(close, 0, Qt::AlignRight);
    resize(560, 420);
    m_text->setFocus();
}

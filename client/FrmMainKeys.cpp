// The main window's keyboard and screen-reader extras: the "Modifica" menu
// with Trova, the keys list in the "?" menu, F1 to F8 for the bar.
#include "client/FrmMain.h"
#include "client/FrmTasti.h"
#include "client/FrmTrova.h"
#include "commands/MainButtons.h"
#include "ui/Dialogs.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

void FrmMain::createKeyItems() {
    auto* modifica = new QMenu(QStringLiteral("&Modifica"), menuBar());
    modifica->setObjectName(QStringLiteral("mnuModifica"));
    // Between "Collegamento" and "Configura".
    const QMenu* configura = menuBar()->findChild<QMenu*>(QStringLiteral("mnuConfigura"));
    menuBar()->insertMenu(configura ? configura->menuAction() : nullptr, modifica);
    mnuTrova = modifica->addAction(QStringLiteral("&Trova..."));
    mnuTrova->setObjectName(QStringLiteral("mnuTrova"));
    mnuTrova->setShortcut(QKeySequence(QStringLiteral("Ctrl+F")));
    connect(mnuTrova, &QAction::triggered, this, [this] { mnuTrova_Click(); });

    if (QMenu* aiuto = menuBar()->findChild<QMenu*>(QStringLiteral("mnuAiuto"))) {
        mnuTasti = aiuto->addAction(QStringLiteral("&Tasti"));
        mnuTasti->setObjectName(QStringLiteral("mnuTasti"));
        connect(mnuTasti, &QAction::triggered, this, [this] { mnuTasti_Click(); });
    }

    m_buttons->installKeys(this);
    connect(m_buttons.get(), &MainButtons::notice, this, &FrmMain::tell);
}

void FrmMain::mnuTrova_Click() {
    if (!m_trova) {
        m_trova = new FrmTrova(*m_display, this);
        connect(m_trova, &FrmTrova::resultShown, this, &FrmMain::tell);
    }
    m_trova->present();
}

void FrmMain::mnuTasti_Click() {
    FrmTasti keys(this);
    dialogs().runModal(&keys);
}

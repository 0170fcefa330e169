// The main window's voice: the game spoken while the player types, the
// review keys and the switch that keeps it on without a screen reader.
#include "automation/ButtonConfig.h"
#include "client/FrmMain.h"
#include "client/ScriptBridge.h"
#include "commands/CommandInput.h"
#include "display/GameDisplay.h"
#include "speech/GameVoice.h"
#include "speech/SpeechDispatcher.h"
#include "ui/FileResultBox.h"

#include <QAccessible>
#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {
const QString kSchermo = QStringLiteral("SCHERMO");
const QString kVoce = QStringLiteral("VOCE");
} // namespace

void FrmMain::createVoiceItems() {
    m_speech = std::make_unique<SpeechDispatcher>();
    m_voice = std::make_unique<GameVoice>(m_speech.get());

    if (QMenu* configura = menuBar()->findChild<QMenu*>(QStringLiteral("mnuConfigura"))) {
        mnuVoce = configura->addAction(QStringLiteral("&Voce"));
        mnuVoce->setObjectName(QStringLiteral("mnuVoce"));
        mnuVoce->setCheckable(true);
        mnuVoce->setChecked(ReadConfigValue(m_api, kSchermo, kVoce).trimmed() == u'1');
        m_display->setAnnouncing(mnuVoce->isChecked());
        connect(mnuVoce, &QAction::toggled, this, [this](bool on) {
            m_display->setAnnouncing(on);
            // The switch holds for this run either way; a failed save is told.
            const FileResult saved = WriteConfigValue(
                m_api, kSchermo, kVoce, on ? QStringLiteral("1") : QStringLiteral("0"));
            if (!saved)
                showFileResult(this, FileResult::writeFailed(
                                         saved.message +
                                         QStringLiteral(".\nLa scelta vale fino alla chiusura del "
                                                        "programma.")));
            if (on)
                m_voice->sayNow(QStringLiteral("Voce attiva"));
            else
                m_voice->silence();
        });
    }

    connect(m_display, &GameDisplay::textAnnounced, this, [this](const QString& text) {
        if (voiceWanted())
            m_voice->textArrived(text);
    });
    // The scripts' own words, and the lines their silent triggers matched.
    connect(m_scripts.get(), &ScriptBridge::speechAsked, this, [this](const QString& text) {
        if (voiceWanted())
            m_voice->say(text);
    });
    connect(m_scripts.get(), &ScriptBridge::lineKeptQuiet, this, [this](const QString& line) {
        if (voiceWanted())
            m_voice->keepQuiet(line);
    });
    connect(m_combo, &CommandInput::commandSent, this,
            [this](const QString& echoed) { m_voice->commandSent(echoed); });

    auto* silence = new QAction(QStringLiteral("Silenzio"), this);
    silence->setObjectName(QStringLiteral("actSilenzio"));
    silence->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+S")));
    connect(silence, &QAction::triggered, this, [this] { m_voice->silence(); });
    addAction(silence);

    // Alt+1 says the newest line, Alt+9 the ninth newest; the focus stays.
    for (int n = 1; n <= 9; ++n) {
        auto* review = new QAction(QStringLiteral("Riga %1").arg(n), this);
        review->setObjectName(QStringLiteral("actRiga%1").arg(n));
        review->setShortcut(QKeySequence(Qt::ALT | Qt::Key(Qt::Key_0 + n)));
        connect(review, &QAction::triggered, this, [this, n] {
            const QString line = m_display->recentLine(n);
            m_voice->sayNow(line.isEmpty() ? QStringLiteral("Riga vuota") : line);
        });
        addAction(review);
    }
}

bool FrmMain::voiceWanted() const {
    return (mnuVoce && mnuVoce->isChecked()) || QAccessible::isActive();
}

void FrmMain::tell(const QString& text) {
    if (voiceWanted())
        m_voice->sayNow(text);
}

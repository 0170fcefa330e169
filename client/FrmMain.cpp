#include "client/FrmMain.h"

#include "automation/ButtonConfig.h"
#include "automation/FontSettings.h"
#include "automation/ServerSettings.h"
#include "automation/Stores.h"
#include "client/CertificatePrompt.h"
#include "client/InputReturn.h"
#include "client/MainSurface.h"
#include "client/PracticeWorld.h"
#include "client/ScriptBridge.h"
#include "commands/CommandInput.h"
#include "commands/EseguiButt.h"
#include "commands/MainButtons.h"
#include "display/GameDisplay.h"
#include "display/GaugeBar.h"
#include "protocol/CharVitals.h"
#include "session/GameSession.h"
#include "session/SessionLog.h"
#include "speech/GameVoice.h"
#include "speech/Speech.h"
#include "ui/Artwork.h"
#include "ui/Dialogs.h"
#include "ui/FileResultBox.h"
#include "ui/SavedBackground.h"
#include "ui/Twips.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFont>
#include <QScreen>
#include <utility>

namespace {
const QString kUnableToConnect = QStringLiteral("Unable to connect to remote host");
constexpr QRgb kWhite = qRgb(255, 255, 255);
const QString kTitle = QStringLiteral("Telnet");
} // namespace

FrmMain::FrmMain(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), m_api(programFolder) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(kTitle);
    // The bar needs about 700 pixels; below that the layout would go negative.
    setMinimumSize(720, 360);
    endProcess = [] { QCoreApplication::quit(); };
    m_background = Artwork::mainTile();
    m_practice = new PracticeWorld(this);
    createMenus();
    createControls();
    wireConnection();
    createKeyItems();
    createVoiceItems();
    returnToInput();
}

void FrmMain::returnToInput() {
    // Menus, dialogs and tool windows give the input line back as it was.
    m_inputReturn = new InputReturn(m_combo, this);
    m_inputReturn->watchMenus(menuBar());
    // A drawn connection button pressed from the keyboard becomes inactive:
    // what the player types next (a name, a password) goes to the input line.
    connect(m_session, &GameSession::openChanged, this, [this] {
        QList<QWidget*> pair;
        for (const char* name : {"lblShp_9", "lblShp_10"})
            if (auto* cell = findChild<QWidget*>(QString::fromLatin1(name)))
                pair << cell;
        m_inputReturn->bringBackFrom(pair);
    });
}

FrmMain::~FrmMain() = default;

void FrmMain::createControls() {
    // The surface paints the drawn buttons and lays out its controls on resize.
    m_surface = new MainSurface(m_bar, m_connectButton, m_disconnectButton, this);
    // The drawn captions were laid out for a small sans face.
    m_surface->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setCentralWidget(m_surface);

    m_display = new GameDisplay(m_surface);
    m_display->move(twipsToPixels(120), twipsToPixels(960));
    m_gauges = new GaugeBar(m_surface);
    m_combo = new CommandInput(m_surface);
    m_combo->move(twipsToPixels(120), m_display->geometry().bottom() + 3);
    m_chkLog = new QCheckBox(QStringLiteral("Scrivi Log.txt"), m_surface);
    m_chkLog->setObjectName(QStringLiteral("chkLog"));

    m_session = new GameSession(*m_display, m_api.TriggerList, m_api.programFolder, this);
    // Told once per run of failures, after the current event: a message box
    // inside the socket's data event would let the next chunk in before this
    // one is finished. The session goes on either way.
    connect(
        &m_session->log(), &SessionLog::failed, this,
        [](const FileResult& result) { showFileResult(nullptr, result); }, Qt::QueuedConnection);

    m_scripts = std::make_unique<ScriptBridge>(m_api.pathOf(QStringLiteral("script")),
                                               m_api.pathOf(QStringLiteral("config.ini")),
                                               *m_session, m_api.AliasList);
    m_scripts->setGauges(m_gauges);
    m_combo->setScriptAliasHook([this](const QString& line) { return m_scripts->takeTyped(line); });
    m_combo->setDisplay(&ownText());
    m_combo->setAliases(&m_api.AliasList);
    m_combo->setServerColours(&m_session->textPath().colours());
    connect(m_combo, &CommandInput::commandEntered, this, &FrmMain::writeToServer);
    m_combo->setCancellaPrompt(mnuCancPromp->isChecked());
    connect(mnuCancPromp, &QAction::toggled, m_combo, &CommandInput::setCancellaPrompt);
    connect(m_combo, &CommandInput::scrollRequested, m_display, &GameDisplay::scrollPages);

    // Toggled, not clicked: a screen reader's toggle action starts the log as a click does.
    connect(m_chkLog, &QCheckBox::toggled, this, &FrmMain::onLogToggled);
    // Appended text and the caret stay at the end of the display.
    connect(m_display, &GameDisplay::focusReceived, this,
            [this] { m_display->setSelStart(m_display->textLength()); });
    connect(m_display, &GameDisplay::viewSizeChanged, this,
            [this](int cols, int rows) { m_session->textPath().setWindowSize(cols, rows); });

    createDrawnButtons();
}

void FrmMain::createDrawnButtons() {
    const WinColour pale = winRgb(255, 255, 128);
    m_connectButton.init(QStringLiteral("Connetti"), 5, 180, 3, true, pale, 250, 25);
    m_disconnectButton.init(QStringLiteral("Disconnetti"), 5, 265, 3, false, pale, 335, 25);
    for (int i = 1; i <= 8; ++i) {
        CButton& b = m_bar[size_t(i - 1)];
        const double left = 10 + 85 * (i - 1);
        b.setTop(40);
        b.setLeft(left);
        b.setRight(left + 70);
        b.setBottom(60);
        b.setStile(3);
    }

    m_buttons =
        std::make_unique<MainButtons>(m_surface, m_bar, m_connectButton, m_disconnectButton);
    // The session owns the connected state; the pair and the menus follow it
    // (setConnectedState).
    connect(m_buttons.get(), &MainButtons::connettiPressed, this, [this] { ConnettiServer(); });
    connect(m_buttons.get(), &MainButtons::disconnettiPressed, this, &FrmMain::DisconnettiServer);
    connect(m_buttons.get(), &MainButtons::barButtonPressed, this, [this](const CButton& b) {
        EseguiButt(b, ownText(), [this](const QString& text) { writeToServer(text); });
    });
    m_buttons->clearHoverOver(m_display);
    m_buttons->clearHoverOver(m_display->viewport());

    MainPictures pictures;
    pictures.background = m_background;
    const int decorationTop = 6;
    for (int i = 0; i < 2; ++i) {
        pictures.image1[size_t(i)] = Artwork::decoration(i);
        const QSize s = pictures.image1[size_t(i)].size();
        // Beside the connection buttons, at the right of the bar.
        pictures.image1Rect[size_t(i)] = QRect(QPoint(700 + i * (s.width() + 8), decorationTop), s);
    }
    pictures.imgConn = Artwork::connectPicture();
    pictures.imgDisc = Artwork::disconnectPicture();
    // 10 twips right of and below the click label's corner.
    const int nudge = qRound(10.0 / kTwipsPerPixel);
    pictures.imgConnRect = QRect(QPoint(180 + nudge, 5 + nudge), pictures.imgConn.size());
    pictures.imgDiscRect = QRect(QPoint(265 + nudge, 5 + nudge), pictures.imgDisc.size());
    m_surface->setPictures(pictures);
    m_surface->setLayoutWidgets(m_display, m_combo, m_chkLog);
    m_surface->setGaugeBar(m_gauges);
}

void FrmMain::wireConnection() {
    // Certificates the player accepted for good live in config.ini.
    TlsTrust& trust = connection()->trust();
    trust.recall = [this](const QString& host, quint16 port) {
        return rememberedCertificate(m_api, host, port);
    };
    trust.remember = [this](const QString& host, quint16 port, const QByteArray& fingerprint) {
        // Accepted for good but not stored: the player learns it holds for
        // this session only.
        const FileResult stored = rememberCertificate(m_api, host, port, fingerprint);
        if (!stored)
            showFileResult(
                this, FileResult::writeFailed(
                          stored.message + QStringLiteral(".\nIl certificato è accettato solo per "
                                                          "questa sessione.")));
        return stored.ok();
    };
    connect(connection(), &Connection::certificateQuestion, this,
            [this](const CertificateQuestion& question) {
                connection()->answerCertificate(askAboutCertificate(this, question));
            });
    connect(m_session, &GameSession::openChanged, this, &FrmMain::setConnectedState);
    connect(connection(), &Connection::connected, this,
            [this] { tell(QStringLiteral("Connesso a Varendor")); });
    connect(m_session, &GameSession::openFailed, this, &FrmMain::onConnectFailed);
    // The practice world listens (or could not start): connect to it now.
    connect(m_practice, &PracticeWorld::ready, this, [this] { openSession(m_practiceServer); });
    connect(m_session, &GameSession::titleNamed, this, &FrmMain::showServerTitle);
    connect(m_session, &GameSession::serverEchoChanged, m_combo, &CommandInput::setServerEchoes);
    connect(m_session, &GameSession::gmcpReceived, this, &FrmMain::onGmcp);
    // A new connection may be another character: no figures of the last one.
    connect(m_session, &GameSession::openChanged, m_gauges, [this](bool open) {
        if (open)
            m_gauges->clear();
    });
}

void FrmMain::onGmcp(const GmcpMessage& message) {
    if (!message.is(u"Char.Vitals"))
        return;
    for (const VitalReading& r : readVitals(message.data)) {
        const QString& gauge = r.vital == Vital::Health ? GaugeBar::kHealth
                               : r.vital == Vital::Mana ? GaugeBar::kMana
                                                        : GaugeBar::kMoves;
        m_gauges->setGauge(gauge, r.current, r.max);
    }
}

void FrmMain::Form_Load() {
    m_background = Artwork::mainTile();
    mnuAbout_Click(); // the start-up screen; the window waits for it to close
    show();
    makeFolder(QStringLiteral("Log"));
    makeFolder(QStringLiteral("Note"));
    // script/ is the player's to make: a folder without scripts stays as it was.
    m_scripts->engine().reload();
    const SavedBackground::Loaded saved = SavedBackground::load(m_api.programFolder);
    if (!saved.result)
        msgBox(this, saved.result.message, Msg::Exclamation, QStringLiteral("Sfondo"));
    if (!saved.image.isNull()) {
        m_background = QPixmap::fromImage(saved.image);
        m_surface->setBackground(m_background);
    }
    showFileResult(this, LoadTriggers(m_api, nullptr));
    showFileResult(this, LoadAliases(m_api, nullptr));
    showFileResult(this, LoadButtons(m_api, m_bar, nullptr));
    applyFont(readFontChoice(m_api));
    m_display->setSelColor(kWhite);
    m_session->textPath().setCurrentColour(SgrColours::kPlainColour);
    // Without a window manager to honour the maximised state, fill the screen.
    if (QScreen* screen = this->screen())
        resize(screen->availableGeometry().size());
    showMaximized();
    m_buttons->RepaintMain();
    m_combo->setFocus();
}

void FrmMain::makeFolder(const QString& name) {
    const QString path = m_api.pathOf(name);
    if (QDir(path).exists())
        return;
    if (!QDir().mkpath(path))
        msgBox(this,
               QStringLiteral("Impossibile creare la cartella %1.\nLe funzioni che la usano non "
                              "potranno salvare i file.")
                   .arg(QDir::toNativeSeparators(path)),
               Msg::Exclamation, QStringLiteral("Errore"));
}

QRgb FrmMain::CurrentColor() const {
    return m_session->textPath().currentColour();
}

Connection* FrmMain::connection() const {
    return &m_session->connection();
}

DisplaySink& FrmMain::ownText() {
    return m_session->textPath().ownText();
}

bool FrmMain::isConnected() const {
    return m_session->isOpen();
}

void FrmMain::writeToServer(const QString& text) {
    m_session->sendCommand(text);
}

bool FrmMain::ConnettiServer() {
    typeNext();
    return connectTo(readServerSettings(m_api));
}

void FrmMain::typeNext() {
    // What the player types next (a name, a command) goes to the input line,
    // unless another window of the program has the focus.
    const QWidget* focus = QApplication::focusWidget();
    if (!focus || focus->window() == this)
        m_inputReturn->bringBack();
}

bool FrmMain::connectTo(const ServerSettings& server) {
    // Nothing listens on this machine's port: the practice world is started
    // there first (it speaks no TLS).
    if (!server.tls && m_practice->startFor(server.host, server.port)) {
        m_practiceServer = server;
        return true;
    }
    return openSession(server);
}

bool FrmMain::openSession(const ServerSettings& server) {
    if (!m_session->open(server)) {
        msgBox(this, kUnableToConnect, Msg::OkOnly, QApplication::applicationName());
        return false;
    }
    return true;
}

void FrmMain::showServerTitle(const QString& title) {
    setWindowTitle(title.isEmpty() ? kTitle : kTitle + QStringLiteral(" - ") + title);
}

void FrmMain::setConnectedState(bool connected) {
    if (!connected)
        showServerTitle({}); // the name was the server's
    m_buttons->showConnected(connected);
    setMenusConnected(connected);
    // The end is heard as the display's own notice ("Disconnesso da ...").
    if (connected)
        tell(QStringLiteral("Connessione in corso"));
    update();
}

void FrmMain::DisconnettiServer() {
    m_session->close();
    typeNext();
}

void FrmMain::onConnectFailed(const QString& reason) {
    // The request went out but no connection came of it: say so; the
    // session is back in the disconnected state already. A secure
    // connection says why it failed.
    if (reason.isEmpty()) {
        // The game's own words, then why and where in Italian.
        QString text = kUnableToConnect + QChar('\n') + connection()->noAnswer();
        if (!m_practice->problem().isEmpty())
            text += QChar('\n') + m_practice->problem();
        msgBox(this, text, Msg::OkOnly, QApplication::applicationName());
    } else
        msgBox(this, reason, Msg::Exclamation, QApplication::applicationName());
}

void FrmMain::onLogToggled(bool ticked) {
    m_session->setLogging(ticked);
    m_combo->setFocus();
}

void FrmMain::closeEvent(QCloseEvent* event) {
    if (isConnected()) {
        if (msgBox(this, QStringLiteral("Sei sicuro di voler uscire?"), Msg::YesNo | Msg::Critical,
                   QStringLiteral("Esci")) != Msg::Yes) {
            event->ignore();
            return;
        }
        DisconnettiServer();
    }
    if (connection()->isConnected())
        connection()->close();
    event->accept();
    if (endProcess)
        endProcess();
}

bool FrmMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && m_display)
        m_display->refresh();
    return QMainWindow::event(event);
}

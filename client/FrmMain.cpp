#include "client/FrmMain.h"

#include "automation/ButtonConfig.h"
#include "automation/Stores.h"
#include "commands/CommandInput.h"
#include "commands/EseguiButt.h"
#include "commands/MainButtons.h"
#include "session/ColorRenderer.h"
#include "session/Connection.h"
#include "session/GameDisplay.h"
#include "session/IncomingText.h"
#include "session/SessionLog.h"
#include "ui/Artwork.h"
#include "ui/Dialogs.h"
#include "ui/FileResultBox.h"
#include "ui/Twips.h"

#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QFont>
#include <QScreen>
#include <utility>

namespace {
const QString kUnableToConnect = QStringLiteral("Unable to connect to remote host");
const QString kDisconnectNotice = QStringLiteral("\r\n\r\nDisconnesso da Varendor");
constexpr QRgb kWhite = qRgb(255, 255, 255);
} // namespace

FrmMain::FrmMain(const QString& programFolder, QWidget* parent)
    : QMainWindow(parent), m_api(programFolder) {
    setObjectName(QStringLiteral("frmMain"));
    setWindowTitle(QStringLiteral("Telnet"));
    // The bar needs about 700 pixels; below that the layout would go negative.
    setMinimumSize(720, 360);
    endProcess = [] { QCoreApplication::quit(); };
    m_background = Artwork::mainTile();
    createMenus();
    createControls();
    wireConnection();
}

FrmMain::~FrmMain() = default;

void FrmMain::createControls() {
    // The drawn buttons paint this surface and lay out its controls on resize.
    m_surface = new QWidget(this);
    m_surface->setObjectName(QStringLiteral("mainSurface"));
    // The drawn captions were laid out for a small sans face.
    m_surface->setFont(QFont(QStringLiteral("MS Sans Serif"), 8));
    setCentralWidget(m_surface);

    m_display = new GameDisplay(m_surface);
    m_display->move(twipsToPixels(120), twipsToPixels(960));
    m_combo = new CommandInput(m_surface);
    m_combo->move(twipsToPixels(120), m_display->geometry().bottom() + 3);
    m_chkLog = new QCheckBox(QStringLiteral("Scrivi Log.txt"), m_surface);
    m_chkLog->setObjectName(QStringLiteral("chkLog"));

    m_socket = new Connection(this);
    m_socket->setObjectName(QStringLiteral("Socket1"));

    m_renderer = std::make_unique<ColorRenderer>();
    m_log = std::make_unique<SessionLog>(m_api.programFolder);
    m_renderer->logHook = [this](const QString& piece) { tellLogResult(m_log->writePiece(piece)); };
    m_incoming = std::make_unique<IncomingText>(
        *m_renderer, *m_display, m_api.TriggerList, [this] { DisconnettiServer(); },
        [this](const QString& text) { writeToServer(text); });

    m_combo->setDisplay(m_display);
    m_combo->setAliases(&m_api.AliasList);
    m_combo->setWriteHook([this](const QString& text) { writeToServer(text); });
    m_combo->setCurrentColorHook([this] { return m_renderer->CurrentColor; });
    m_combo->setCancellaPromptHook([this] { return mnuCancPromp->isChecked(); });
    connect(m_combo, &CommandInput::scrollRequested, m_display, &GameDisplay::scrollPages);

    connect(m_chkLog, &QCheckBox::clicked, this, &FrmMain::onLogToggled);
    // Appended text and the caret stay at the end of the display.
    connect(m_display, &GameDisplay::focusReceived, this,
            [this] { m_display->setSelStart(m_display->textLength()); });
    connect(m_display, &GameDisplay::viewSizeChanged, m_socket, &Connection::setWindowSize);

    createDrawnButtons();
}

void FrmMain::createDrawnButtons() {
    const WinColor pale = winRgb(255, 255, 128);
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

    MainButtonsHooks hooks;
    hooks.connettiServer = [this] { return ConnettiServer(); };
    hooks.disconnettiServer = [this] { DisconnettiServer(); };
    hooks.setMenusConnected = [this](bool connected) {
        mnuDisconnetti->setEnabled(connected);
        mnuConnetti->setEnabled(!connected);
    };
    hooks.eseguiButt = [this](const CButton& b) {
        EseguiButt(b, *m_display, [this](const QString& text) { writeToServer(text); });
    };
    m_buttons =
        std::make_unique<MainButtons>(m_surface, m_bar, m_connectButton, m_disconnectButton, hooks);
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
    m_buttons->setPictures(pictures);
    m_buttons->setLayoutWidgets(m_display, m_combo, m_chkLog);
}

void FrmMain::wireConnection() {
    connect(m_socket, &Connection::textReceived, this,
            [this](const QString& chunk) { m_incoming->processChunk(chunk); });
    connect(m_socket, &Connection::connectFailed, this, &FrmMain::onConnectFailed);
    connect(m_socket, &Connection::connectionLost, this, &FrmMain::onConnectionLost);
    connect(m_socket, &Connection::serverEchoChanged, m_combo, &CommandInput::setServerEchoes);
}

void FrmMain::Form_Load() {
    m_background = Artwork::mainTile();
    mnuAbout_Click(); // the start-up screen; the window waits for it to close
    show();
    makeFolder(QStringLiteral("Log"));
    makeFolder(QStringLiteral("Note"));
    showFileResult(this, LoadTriggers(m_api, nullptr));
    showFileResult(this, LoadAliases(m_api, nullptr));
    LoadButtons(m_api, m_bar, nullptr);
    m_display->setSelColor(kWhite);
    m_renderer->CurrentColor = ColorRenderer::kPlainColour;
    // Without a window manager to honour the maximised state, fill the screen.
    if (QScreen* screen = this->screen())
        resize(screen->availableGeometry().size());
    showMaximized();
    RepaintMain();
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
    return m_renderer->CurrentColor;
}

bool FrmMain::isConnected() const {
    return mnuDisconnetti->isEnabled();
}

void FrmMain::writeToServer(const QString& text) {
    m_socket->write(text);
}

bool FrmMain::ConnettiServer() {
    if (!m_socket->connectToServer(serverHost(m_api), serverPort(m_api))) {
        msgBox(this, kUnableToConnect, Msg::OkOnly, QApplication::applicationName());
        return false;
    }
    mnuConnetti->setEnabled(false);
    mnuDisconnetti->setEnabled(true);
    return true;
}

void FrmMain::setConnectedState(bool connected) {
    // A line break held back from the old connection must not lead the next one.
    m_incoming->clearHeldBreak();
    m_disconnectButton.setAttivo(connected);
    m_connectButton.setAttivo(!connected);
    mnuDisconnetti->setEnabled(connected);
    mnuConnetti->setEnabled(!connected);
    RepaintMain();
}

void FrmMain::DisconnettiServer() {
    m_socket->close();
    m_incoming->endOfText();
    m_display->setSelStart(m_display->textLength());
    m_display->setSelColor(kWhite);
    m_display->setSelBold(true);
    m_display->insertText(kDisconnectNotice);
    m_display->setSelBold(false);
    setConnectedState(false);
    update();
}

void FrmMain::onConnectFailed() {
    // The request went out but no connection came of it: say so and go back
    // to the disconnected state instead of pretending to be connected.
    m_socket->close();
    setConnectedState(false);
    msgBox(this, kUnableToConnect, Msg::OkOnly, QApplication::applicationName());
}

void FrmMain::onConnectionLost() {
    if (isConnected())
        DisconnettiServer();
}

void FrmMain::onLogToggled(bool ticked) {
    tellLogResult(m_log->setEnabled(ticked));
    m_combo->setFocus();
}

void FrmMain::tellLogResult(const FileResult& result) {
    // Told once per run of failures; the session goes on either way.
    if (result.ok()) {
        m_logFailing = false;
        return;
    }
    if (std::exchange(m_logFailing, true))
        return;
    // Shown after the current event: a message box inside the socket's data
    // event would let the next chunk in before this one is finished.
    QMetaObject::invokeMethod(
        this, [result] { showFileResult(nullptr, result); }, Qt::QueuedConnection);
}

void FrmMain::ClearHover() {
    m_buttons->ClearHover();
}

void FrmMain::RepaintMain() {
    m_buttons->RepaintMain();
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
    if (m_socket->isConnected())
        m_socket->close();
    event->accept();
    if (endProcess)
        endProcess();
}

bool FrmMain::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate && m_display)
        m_display->refresh();
    return QMainWindow::event(event);
}

#pragma once
// The client's main window: it owns the display, the input line, the
// connection, the log switch, the drawn buttons and the menus, and wires them
// together. What each of them does lives in its own class.
#include "automation/Api.h"
#include "automation/ButtonBar.h"
#include "automation/ServerSettings.h"
#include "ui/CButton.h"

#include <QMainWindow>
#include <QPixmap>
#include <QPointer>
#include <functional>
#include <memory>

struct FileResult;
struct FontChoice;
struct GmcpMessage;
class QAction;
class QCheckBox;
class QMenu;
class GameDisplay;
class GaugeBar;
class CommandInput;
class Connection;
class DisplaySink;
class GameSession;
class MainButtons;
class MainSurface;
class FrmTrova;
class ScriptBridge;
class InputReturn;
class PracticeWorld;
class GameVoice;
class Speech;

class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    // programFolder holds the player's files (app/PlayerFolder.h chooses it).
    explicit FrmMain(const QString& programFolder, QWidget* parent = nullptr);
    ~FrmMain() override;

    // Start-up: the about window first, then the folders, the stores, the
    // buttons and their configuration; the window shows itself maximised.
    void Form_Load();

    bool ConnettiServer();
    // A first start with no game server set: the player chooses between
    // the practice world and typing the game's address, then connects.
    void offerWorlds();
    // Connects to the practice world on this machine, starting it when
    // nothing listens there; config.ini is left as it is.
    void enterPracticeWorld();
    void DisconnettiServer();

    // From a connection request until the session ends; the menus and the
    // drawn pair follow it.
    bool isConnected() const;

    Api& api() { return m_api; }
    ButtonBar& buttonBar() { return m_bar; }
    CButton& connectButton() { return m_connectButton; }
    CButton& disconnectButton() { return m_disconnectButton; }
    GameDisplay* display() const { return m_display; }
    GaugeBar* gauges() const { return m_gauges; }
    CommandInput* commandInput() const { return m_combo; }
    Connection* connection() const;
    GameSession* session() const { return m_session; }
    // The player's scripts (script/*.lua), loaded by Form_Load.
    ScriptBridge* scripts() const { return m_scripts.get(); }
    PracticeWorld& practiceWorld() const { return *m_practice; }
    // Where the window's own text (echoes, notices) is written.
    DisplaySink& ownText();
    QCheckBox* logSwitch() const { return m_chkLog; }
    QRgb CurrentColor() const;
    QPixmap backgroundPicture() const { return m_background; }
    // The game's own voice; tests give it a recording speech.
    GameVoice& voice() { return *m_voice; }
    // Whether the game is spoken: a screen reader is listening or the
    // player turned on "Voce".
    bool voiceWanted() const;
    // Says a change the player should hear (a connection, a search result),
    // when the game is spoken.
    void tell(const QString& text);

    // What ending the process means; tests replace it.
    std::function<void()> endProcess;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void createMenus();
    // The menu items that depend on the connection follow its state.
    void setMenusConnected(bool connected);
    void createControls();
    void createDrawnButtons();
    // Keyboard and screen-reader extras: Trova, the keys list, F1 to F8.
    void createKeyItems();
    // The voice: "Configura > Voce", Ctrl+Shift+S, Alt+1 to Alt+9.
    void createVoiceItems();
    void wireConnection();
    void returnToInput();
    void makeFolder(const QString& name);
    void setConnectedState(bool connected);
    // The focus to the input line after the player connects or disconnects.
    void typeNext();
    // Connects to server, starting the practice world first when it is
    // this machine and nothing listens there.
    bool connectTo(const ServerSettings& server);
    bool openSession(const ServerSettings& server);
    void showServerTitle(const QString& title);
    void onConnectFailed(const QString& reason);
    void onLogToggled(bool ticked);
    void writeToServer(const QString& text);
    void onGmcp(const GmcpMessage& message);

    void mnuConnetti_Click();
    void mnuTrigger_Click();
    void mnuAlias_Click();
    void mnuBottoni_Click();
    void mnuNota_Click();
    void mnuAbout_Click();
    void mnuSfondo_Click();
    void mnuTrova_Click();
    void mnuTasti_Click();
    void mnuCarattere_Click();
    void mnuScript_Click();
    void applyFont(const FontChoice& choice);

    Api m_api;
    ButtonBar m_bar;
    CButton m_connectButton;
    CButton m_disconnectButton;
    QPixmap m_background;

    MainSurface* m_surface = nullptr;
    GameDisplay* m_display = nullptr;
    GaugeBar* m_gauges = nullptr;
    CommandInput* m_combo = nullptr;
    QCheckBox* m_chkLog = nullptr;
    GameSession* m_session = nullptr;
    std::unique_ptr<MainButtons> m_buttons;
    std::unique_ptr<ScriptBridge> m_scripts;
    std::unique_ptr<Speech> m_speech;
    std::unique_ptr<GameVoice> m_voice;

    QAction* mnuConnetti = nullptr;
    QAction* mnuDisconnetti = nullptr;
    QAction* mnuEsci = nullptr;
    QAction* mnuAlias = nullptr;
    QAction* mnuTrigger = nullptr;
    QAction* mnuBottoni = nullptr;
    QAction* mnuNota = nullptr;
    QAction* mnuCancPromp = nullptr;
    QAction* mnuSfondo = nullptr;
    QAction* mnuAbout = nullptr;
    QAction* mnuTrova = nullptr;
    QAction* mnuTasti = nullptr;
    QAction* mnuVoce = nullptr;
    QAction* mnuCarattere = nullptr;
    QAction* mnuScript = nullptr;
    QPointer<FrmTrova> m_trova;
    InputReturn* m_inputReturn = nullptr;
    PracticeWorld* m_practice = nullptr;
    ServerSettings m_practiceServer; // connected to once the practice world listens
};

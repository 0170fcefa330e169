#pragma once
// The client's main window: it owns the display, the input line, the
// connection, the log switch, the drawn buttons and the menus, and wires them
// together. What each of them does lives in its own class.
#include "automation/Api.h"
#include "automation/ButtonBar.h"
#include "ui/CButton.h"

#include <QMainWindow>
#include <QPixmap>
#include <functional>
#include <memory>

struct FileResult;
class QAction;
class QCheckBox;
class QMenu;
class GameDisplay;
class CommandInput;
class Connection;
class ColorRenderer;
class IncomingText;
class SessionLog;
class MainButtons;

class FrmMain : public QMainWindow {
    Q_OBJECT
public:
    // programFolder holds the player's files (the executable's folder).
    explicit FrmMain(const QString& programFolder, QWidget* parent = nullptr);
    ~FrmMain() override;

    // Start-up: the about window first, then the folders, the stores, the
    // buttons and their configuration; the window shows itself maximised.
    void Form_Load();

    bool ConnettiServer();
    void DisconnettiServer();
    void ClearHover();
    void RepaintMain();

    // The program believes it is connected while "Disconnetti" is enabled.
    bool isConnected() const;

    Api& api() { return m_api; }
    ButtonBar& buttonBar() { return m_bar; }
    CButton& connectButton() { return m_connectButton; }
    CButton& disconnectButton() { return m_disconnectButton; }
    GameDisplay* display() const { return m_display; }
    CommandInput* commandInput() const { return m_combo; }
    Connection* connection() const { return m_socket; }
    QCheckBox* logSwitch() const { return m_chkLog; }
    QRgb CurrentColor() const;
    QPixmap backgroundPicture() const { return m_background; }

    // What ending the process means; tests replace it.
    std::function<void()> endProcess;

protected:
    void closeEvent(QCloseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void createMenus();
    void createControls();
    void createDrawnButtons();
    void wireConnection();
    void makeFolder(const QString& name);
    void setConnectedState(bool connected);
    void onConnectFailed();
    void onConnectionLost();
    void onLogToggled(bool ticked);
    void tellLogResult(const FileResult& result);
    void writeToServer(const QString& text);

    void mnuConnetti_Click();
    void mnuTrigger_Click();
    void mnuAlias_Click();
    void mnuBottoni_Click();
    void mnuNota_Click();
    void mnuAbout_Click();
    void mnuSfondo_Click();

    Api m_api;
    ButtonBar m_bar;
    CButton m_connectButton;
    CButton m_disconnectButton;
    QPixmap m_background;

    QWidget* m_surface = nullptr;
    GameDisplay* m_display = nullptr;
    CommandInput* m_combo = nullptr;
    QCheckBox* m_chkLog = nullptr;
    Connection* m_socket = nullptr;
    std::unique_ptr<ColorRenderer> m_renderer;
    std::unique_ptr<SessionLog> m_log;
    bool m_logFailing = false; // the player knows the log is failing
    std::unique_ptr<IncomingText> m_incoming;
    std::unique_ptr<MainButtons> m_buttons;

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
};

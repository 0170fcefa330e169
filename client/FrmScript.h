#pragma once
// "Script": what the player's scripts made, file by file, and their last
// errors; Ricarica loads them again in a fresh state (vars kept), Apri
// cartella shows the script folder in the desktop's file manager, made
// first when missing. The lists follow the engine while the window is open.
#include "scripting/ScriptEngine.h"

#include <QDialog>

class QLabel;
class QListWidget;
class QPushButton;

class FrmScript : public QDialog {
    Q_OBJECT
public:
    explicit FrmScript(ScriptEngine& engine, QWidget* parent = nullptr);

    // One line of the file list: "cura.lua: 1 trigger, 2 gag".
    static QString fileLine(const ScriptEngine::FileSummary& s);

    QListWidget* files() const { return m_files; }
    QListWidget* errors() const { return m_errors; }
    QLabel* result() const { return m_result; }

    void reload();
    void openFolder();

signals:
    // A button's outcome, for the player to hear.
    void resultShown(const QString& text);

private:
    void refresh();
    void say(const QString& text);

    ScriptEngine& m_engine;
    QListWidget* m_files = nullptr;
    QListWidget* m_errors = nullptr;
    QLabel* m_result = nullptr;
};

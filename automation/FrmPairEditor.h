#pragma once
// The trigger editor and the alias editor: one window that shows a store's
// texts in a list, the selected entry in two boxes, and six drawn buttons
// (Nuovo, Modifica, Elimina, Conferma, Annulla, Esci). The two editors differ
// only in the store they edit and in captions, labels, size and messages.
#include "automation/Api.h"
#include "automation/Stores.h"
#include "ui/ToolWindow.h"

#include <QList>
#include <QPoint>
#include <QSize>

class QLineEdit;
class QListWidget;
class QPlainTextEdit;

struct PairEditorConfig {
    struct Label {
        QString name;
        QString caption;
        QPoint pos;
    };
    Stores::Kind kind = Stores::Kind::Triggers;
    QString windowName; // "frmTrigger"
    QString caption;    // "Trigger Setting"
    QString listName;   // "lstTrigger"
    QSize clientSize;
    QList<Label> labels;
    QString deleteQuestion;

    static PairEditorConfig triggers();
    static PairEditorConfig aliases();
};

class FrmPairEditor : public ToolWindow {
    Q_OBJECT
public:
    enum Button { Nuovo, Modifica, Elimina, Conferma, Annulla, Esci };
    enum class State { Browsing, NewEntry, Modifying };

    FrmPairEditor(Api& api, PairEditorConfig config, QWidget* parent = nullptr);

    State state() const { return m_state; }
    bool ModifyMode() const { return m_modifyMode; }
    QString OldText() const { return m_oldText; }
    QListWidget* list() const { return m_list; }

private:
    // A click on drawn button index; an inactive one does nothing.
    void lblShape_Click(int index);
    void Form_Load();
    void listClick();
    void setState(State s);
    void refuseNewEntry();
    void doConferma();
    void doElimina();
    // Saves the table and reads it back, so that firing and expansion see the
    // file's content. When the save fails the change stays in memory and the
    // list shows it.
    void saveAndReload();
    bool load();

    Api& m_api;
    PairEditorConfig m_config;
    QListWidget* m_list = nullptr;
    QLineEdit* m_txtTesto = nullptr;
    QPlainTextEdit* m_txtAzione = nullptr;
    State m_state = State::Browsing;
    bool m_modifyMode = false;
    QString m_oldText;
};

class frmTrigger : public FrmPairEditor {
    Q_OBJECT
public:
    explicit frmTrigger(Api& api, QWidget* parent = nullptr)
        : FrmPairEditor(api, PairEditorConfig::triggers(), parent) {}
};

class frmAlias : public FrmPairEditor {
    Q_OBJECT
public:
    explicit frmAlias(Api& api, QWidget* parent = nullptr)
        : FrmPairEditor(api, PairEditorConfig::aliases(), parent) {}
};

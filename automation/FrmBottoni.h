#pragma once
// "Configura Bottoni": the tool window in which the player sets caption,
// action, colour and state of the eight bar buttons. Every change goes
// straight to config.ini and is read back into the bar in memory; the main
// window repaints its bar when this window closes.
#include "automation/Api.h"
#include "automation/ButtonBar.h"
#include "ui/ToolWindow.h"

#include <QString>
#include <array>

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;

// A colour the player can choose: the name in the combo box and the text
// written to "COLORE". Chosen by list position, not by name.
struct ButtonColour {
    const char* name;
    const char* value;
};
extern const std::array<ButtonColour, 13> ButtonColours;

class FrmBottoni : public ToolWindow {
    Q_OBJECT
public:
    enum Command { Modifica, Elimina, Conferma, Annulla, Esci };

    FrmBottoni(Api& api, ButtonBar& bar, QWidget* parent = nullptr);

private:
    // A click on drawn button index; an inactive one does nothing.
    void lblShape_Click(int index);
    void Form_Load();
    void lstBottoni_Click();
    void modifica();
    void elimina();
    void conferma();
    void setActive(Command c, bool on) { buttons()[size_t(c)].setAttivo(on); }
    int selectedRow() const; // -1 when no line is selected
    QString selectedSection() const;
    // Writes the values in order, stopping at the first that fails; a failure
    // is told to the player once.
    bool writeValues(const QString& section, const QList<QPair<QString, QString>>& values);
    // Reloads list and bar from the file. After a failed write the line stays
    // selected, so that the player can try again on the same button.
    void reload(bool keepSelection);

    Api& m_api;
    ButtonBar& m_bar;
    QListWidget* lstBottoni = nullptr;
    QLineEdit* txtTesto = nullptr;
    QPlainTextEdit* txtAzione = nullptr;
    QCheckBox* chkAtt = nullptr;
    QComboBox* cmbColore = nullptr;
    bool m_reloading = false;
};

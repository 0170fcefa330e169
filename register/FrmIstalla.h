#pragma once
// Ormund's only window: the instructions, "REGISTRA" to register the
// client's two components with the registration tool, "ESCI" to leave.
#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

class FrmIstalla : public QDialog {
    Q_OBJECT
public:
    // folder: where Ormund and the component files are (its own folder).
    explicit FrmIstalla(const QString& folder, QWidget* parent = nullptr);

    static const QString kInstructions;
    // The two command lines for the components in folder.
    static QString commandLine(const QString& folder, const QString& component);

    void Command1_Click();
    void Command2_Click();

protected:
    // Escape does not close the window: only ESCI and the close box do.
    void keyPressEvent(QKeyEvent* event) override;

private:
    QString m_folder;
    QLabel* m_stato = nullptr;
};

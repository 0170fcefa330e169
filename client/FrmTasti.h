#pragma once
// "Tasti": the keys of the program, listed in a text a screen reader can read
// line by line.
#include <QDialog>
#include <QStringList>

class QPlainTextEdit;

class FrmTasti : public QDialog {
    Q_OBJECT
public:
    explicit FrmTasti(QWidget* parent = nullptr);

    // The list shown, one key (or group of keys) a line.
    static QStringList keyList();

    QPlainTextEdit* text() const { return m_text; }

private:
    QPlainTextEdit* m_text = nullptr;
};

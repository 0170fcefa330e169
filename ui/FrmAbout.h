#pragma once
// The about window, also the start-up screen: the program's picture and one
// drawn button, "Chiudi", that closes it. No frame: it cannot be moved or
// resized, and "Chiudi" is the only way out.
#include "ui/CButton.h"

#include <QDialog>
#include <QPixmap>

class QLabel;

class FrmAbout : public QDialog {
    Q_OBJECT
public:
    explicit FrmAbout(QWidget* parent = nullptr);

    const CButton& button() const { return m_chiudi; }
    QLabel* lblshape() const { return m_lblshape; }

    // Background colour &H80C0FF.
    static constexpr QRgb kBackColour = 0xFFFFC080;

protected:
    void paintEvent(QPaintEvent* e) override;

private:
    void lblshape_Click();

    CButton m_chiudi;
    QPixmap m_picture;
    QLabel* m_lblshape = nullptr;
};

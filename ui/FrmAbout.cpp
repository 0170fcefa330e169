#include "ui/FrmAbout.h"

#include "ui/Artwork.h"
#include "ui/ClickLabel.h"

#include <QPainter>
#include <QShortcut>

namespace {

// Shape1: a frame along the window's edge, over the picture.
class Shape : public QWidget {
public:
    explicit Shape(QWidget* parent) : QWidget(parent) {
        setObjectName(QStringLiteral("Shape1"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setPen(QPen(Qt::black, 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(rect().adjusted(0, 0, -1, -1));
    }
};

} // namespace

FrmAbout::FrmAbout(QWidget* parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("frmAbout"));
    setWindowTitle(QStringLiteral("About"));
    setFixedSize(385, 250);

    m_picture = Artwork::aboutPicture();
    auto* shape = new Shape(this);
    shape->setGeometry(rect());

    m_chiudi.init(QStringLiteral("Chiudi"), 205, 270, 2, true);
    auto* label = new ClickLabel(this);
    label->setObjectName(QStringLiteral("lblshape"));
    label->setGeometry(int(m_chiudi.Left()), int(m_chiudi.Top()), CButton::kStyle2Width,
                       CButton::kStyle2Height);
    label->setAttribute(Qt::WA_TranslucentBackground);
    connect(label, &ClickLabel::clicked, this, &FrmAbout::lblshape_Click);
    label->setButton([this] { return &m_chiudi; });
    // Alt+C presses it, and it has the focus: Space or Enter closes the window.
    m_chiudi.setMnemonic(0);
    const QKeySequence key(QStringLiteral("Alt+C"));
    auto* shortcut = new QShortcut(key, this);
    connect(shortcut, &QShortcut::activated, label, &ClickLabel::press);
    label->setKeyHint(key.toString(QKeySequence::NativeText));
    label->setFocus();
    m_lblshape = label;
    update();
}

void FrmAbout::paintEvent(QPaintEvent*) {
    // The window's picture over its colour (one row of which shows below
    // the picture), then the button, as the tool windows draw theirs.
    QPainter p(this);
    p.fillRect(rect(), QColor::fromRgb(kBackColour));
    p.drawPixmap(0, 0, m_picture);
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(Qt::SolidPattern);
    m_chiudi.draw(p);
}

void FrmAbout::lblshape_Click() {
    close();
}

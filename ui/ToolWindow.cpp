#include "ui/ToolWindow.h"

#include "ui/CaptionBuddies.h"
#include "ui/FormRegion.h"
#include "ui/Mnemonics.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QToolButton>

class ToolWindow::ClientArea : public QWidget {
public:
    explicit ClientArea(ToolWindow* owner) : QWidget(owner), m_owner(owner) {
        setObjectName(QStringLiteral("clientArea"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        m_owner->Form_Paint(p);
    }

private:
    ToolWindow* m_owner;
};

ToolWindow::ToolWindow(QWidget* parent, Frame frame) : QDialog(parent), m_frame(frame) {
    if (isShaped()) {
        setWindowFlags(Qt::Dialog | Qt::FramelessWindowHint);
        m_close = new QToolButton(this);
        m_close->setObjectName(QStringLiteral("btnClose"));
        m_close->setText(QStringLiteral("×"));
        m_close->setAccessibleName(QStringLiteral("Chiudi"));
        m_close->setAutoRaise(true);
        m_close->setFocusPolicy(Qt::NoFocus);
        connect(m_close, &QToolButton::clicked, this, &QDialog::reject);
    }
    m_client = new ClientArea(this);
    setClientSize(300, 200);
}

ToolWindow::~ToolWindow() = default;

QPoint ToolWindow::clientOrigin() const {
    return isShaped() ? QPoint(kFrameX, kFrameY + kCaption) : QPoint(0, 0);
}

void ToolWindow::setClientSize(int w, int h) {
    const QPoint o = clientOrigin();
    m_client->setGeometry(o.x(), o.y(), w, h);
    if (isShaped())
        setFixedSize(w + 2 * kFrameX, h + kCaption + 2 * kFrameY);
    else
        setFixedSize(w, h);
}

QSize ToolWindow::clientSize() const {
    return m_client->size();
}

QWidget* ToolWindow::clientArea() const {
    return m_client;
}

void ToolWindow::setTile(const QPixmap& tile) {
    m_tile = tile;
    m_client->update();
}

ClickLabel* ToolWindow::lblShape(int index) const {
    return index >= 0 && index < m_labels.size() ? m_labels[index].data() : nullptr;
}

QLabel* ToolWindow::icone(int index) const {
    return index >= 0 && index < m_icons.size() ? m_icons[index].data() : nullptr;
}

void ToolWindow::createButtonControls(const QList<QPixmap>& icons) {
    for (auto& l : m_labels)
        delete l.data();
    for (auto& i : m_icons)
        delete i.data();
    for (auto& k : m_shortcuts)
        delete k.data();
    m_labels.clear();
    m_icons.clear();
    m_shortcuts.clear();

    for (int i = 0; i < int(m_buttons.size()); ++i) {
        const CButton& b = m_buttons[size_t(i)];
        const int top = int(b.Top()), left = int(b.Left());
        auto* icon = new QLabel(m_client);
        icon->setObjectName(QStringLiteral("icone_%1").arg(i));
        icon->setGeometry(left + 3, top + 3, 20, 20);
        icon->setAttribute(Qt::WA_TransparentForMouseEvents);
        if (i < icons.size())
            icon->setPixmap(icons[i]);
        icon->show();
        m_icons.append(icon);
    }
    QStringList captions;
    for (const CButton& b : m_buttons)
        captions.append(b.Caption());
    const QList<int> letters = chooseMnemonics(captions);
    // Labels after the icons, so that they lie on top and take the clicks;
    // after the window's controls in the Tab order.
    for (int i = 0; i < int(m_buttons.size()); ++i) {
        CButton& b = m_buttons[size_t(i)];
        auto* label = new ClickLabel(m_client);
        label->setObjectName(QStringLiteral("lblShape_%1").arg(i));
        label->setGeometry(int(b.Left()), int(b.Top()), CButton::kStyle2Width,
                           CButton::kStyle2Height);
        label->setAttribute(Qt::WA_TranslucentBackground);
        label->setButton([this, i]() -> const CButton* {
            return size_t(i) < m_buttons.size() ? &m_buttons[size_t(i)] : nullptr;
        });
        connect(label, &ClickLabel::clicked, this, [this, i] { emit buttonClicked(i); });
        b.setMnemonic(letters[i]);
        if (letters[i] >= 0) {
            const QKeySequence key(QStringLiteral("Alt+") + b.Caption()[letters[i]].toUpper());
            auto* shortcut = new QShortcut(key, this);
            connect(shortcut, &QShortcut::activated, label, &ClickLabel::press);
            label->setKeyHint(key.toString(QKeySequence::NativeText));
            m_shortcuts.append(shortcut);
        }
        label->show();
        m_labels.append(label);
    }
}

void ToolWindow::repaintButtons() {
    m_client->update();
    syncButtonLabels();
}

void ToolWindow::syncButtonLabels() {
    for (auto& l : m_labels)
        if (l)
            l->syncState();
}

void ToolWindow::Form_Paint(QPainter& p) {
    const QRect area(0, 0, m_client->width(), m_client->height());
    if (m_tile.isNull())
        p.fillRect(area, QColor(192, 192, 192));
    else
        p.fillRect(area, QBrush(m_tile)); // repeats from the area's top-left corner
    QPen pen(Qt::black);
    pen.setWidth(1);
    p.setPen(pen);
    p.setBrush(Qt::SolidPattern);
    for (const CButton& b : m_buttons)
        b.draw(p);
}

QRect ToolWindow::tabRect() const {
    return QRect(width() - kFrameX - kTabWidth, kFrameY, kTabWidth, kCaption);
}

void ToolWindow::paintEvent(QPaintEvent* e) {
    if (!isShaped()) {
        QDialog::paintEvent(e);
        return;
    }
    // Our own dialog frame and caption bar; the outline keeps only the tab
    // of the bar and the bottom frame.
    QPainter p(this);
    const QRect outer = rect();
    p.fillRect(outer, palette().color(QPalette::Window));
    p.setPen(palette().color(QPalette::Light));
    p.drawLine(outer.topLeft(), outer.topRight());
    p.drawLine(outer.topLeft(), outer.bottomLeft());
    p.setPen(palette().color(QPalette::Dark));
    p.drawLine(outer.bottomLeft(), outer.bottomRight());
    p.drawLine(outer.topRight(), outer.bottomRight());
    const QRect bar(kFrameX, kFrameY, width() - 2 * kFrameX, kCaption);
    QLinearGradient g(bar.topLeft(), bar.topRight());
    g.setColorAt(0, QColor(0, 0, 128));
    g.setColorAt(1, QColor(16, 132, 208));
    p.fillRect(bar, g);
    p.setPen(Qt::white);
    QFont f = font();
    f.setBold(true);
    p.setFont(f);
    p.drawText(bar.adjusted(4, 0, 0, 0), Qt::AlignVCenter | Qt::AlignLeft, windowTitle());
}

void ToolWindow::resizeEvent(QResizeEvent* e) {
    QDialog::resizeEvent(e);
    if (m_close) {
        const int s = kCaption - 2;
        m_close->setGeometry(width() - kFrameX - s - 2, kFrameY + 1, s, s);
    }
    if (isShaped())
        SetFormRegion();
}

// Showing again after a close builds the outline again: the size has not
// changed, so no resize event comes.
void ToolWindow::showEvent(QShowEvent* e) {
    QDialog::showEvent(e);
    syncButtonLabels();
    pairCaptionsWithControls(m_client);
    if (isShaped())
        SetFormRegion();
}

void ToolWindow::SetFormRegion() {
    setMask(buildFormRegion(width(), height(), kCaption, kFrameY, kFrameX));
}

void ToolWindow::ResetFormRegion() {
    clearMask();
}

void ToolWindow::mousePressEvent(QMouseEvent* e) {
    if (isShaped() && e->button() == Qt::LeftButton && tabRect().contains(e->pos())) {
        m_dragging = true;
        m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
        e->accept();
        return;
    }
    QDialog::mousePressEvent(e);
}

void ToolWindow::mouseMoveEvent(QMouseEvent* e) {
    if (m_dragging) {
        move(e->globalPosition().toPoint() - m_dragOffset);
        e->accept();
        return;
    }
    QDialog::mouseMoveEvent(e);
}

void ToolWindow::mouseReleaseEvent(QMouseEvent* e) {
    if (m_dragging && e->button() == Qt::LeftButton) {
        m_dragging = false;
        e->accept();
        return;
    }
    QDialog::mouseReleaseEvent(e);
}

void ToolWindow::done(int r) {
    if (isShaped())
        ResetFormRegion();
    QDialog::done(r);
}

// A stray Escape must not throw away what is being typed: the windows close
// through their own "Esci" button or the tab's close button.
void ToolWindow::keyPressEvent(QKeyEvent* e) {
    if (e->key() == Qt::Key_Escape) {
        e->accept();
        return;
    }
    QDialog::keyPressEvent(e);
}

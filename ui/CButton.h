#pragma once
// A button that is not a widget: it knows its caption, rectangle, style,
// colours and state, and paints itself onto the surface of the window that
// owns it. The owning window does the hit testing.
#include "ui/WinColour.h"

#include <QString>
#include <optional>

class QPainter;

class CButton {
public:
    bool Selezionato() const { return m_selezionato; }
    void setSelezionato(bool v) { m_selezionato = v; }

    qint32 Stile() const { return m_stile; }
    void setStile(qint32 v) { m_stile = v; }

    QString azione() const { return m_azione; }
    void setAzione(const QString& v) { m_azione = v; }

    bool Attivo() const { return m_attivo; }
    void setAttivo(bool v) { m_attivo = v; }

    QString Caption() const { return m_caption; }
    void setCaption(const QString& v);

    // Position in the caption of the letter drawn underlined, the one that
    // presses the button with Alt; -1 for none.
    int Mnemonic() const { return m_mnemonic; }
    void setMnemonic(int index) { m_mnemonic = index; }

    double Left() const { return m_left; }
    void setLeft(double v); // throws std::invalid_argument below 1
    double Top() const { return m_top; }
    void setTop(double v); // throws std::invalid_argument below 1
    double Right() const { return m_right; }
    void setRight(double v);
    double Bottom() const { return m_bottom; }
    void setBottom(double v);

    WinColour ActiveColor() const { return m_activeColor; }
    void setActiveColor(WinColour v) { m_activeColor = v; }
    WinColour DisactiveColor() const { return m_disactiveColor; }
    void setDisactiveColor(WinColour v) { m_disactiveColor = v; }

    // Paints with the painter's current font. Leaves the painter's pen (fore
    // colour) and brush (fill colour) as the last shape set them.
    void draw(QPainter& target) const;

    // Note the order: top before left. A position below 1 throws and the
    // properties after it are not applied.
    void init(const QString& caption, double top, double left, qint32 stile, bool attivo,
              std::optional<WinColour> activeColor = std::nullopt,
              std::optional<double> right = std::nullopt,
              std::optional<double> bottom = std::nullopt);

    // Size of the fixed-size styles, for hit areas laid over the button.
    static constexpr int kStyle2Width = 100, kStyle2Height = 25;
    static constexpr int kStyle3Width = 80, kStyle3Height = 20;

private:
    bool m_selezionato = false;
    qint32 m_stile = 0;
    QString m_azione;
    bool m_attivo = false;
    QString m_caption = QStringLiteral(" Vuoto ");
    int m_mnemonic = -1;
    double m_left = 0, m_top = 0, m_right = 0, m_bottom = 0;
    WinColour m_activeColor = winRgb(255, 255, 128);
    WinColour m_disactiveColor = winRgb(192, 192, 192);
};

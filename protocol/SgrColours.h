#pragma once
// The text colour that the server's select-graphic-rendition sequences
// (ESC [ params m) choose, under one of two rules:
//
// - Classic, the game's own: brightness ("1") and the last colour code last
//   only to the end of the chunk being written; a plain ESC[0m sets the plain
//   colour and leaves brightness alone; codes 40-47 are the bright colours.
// - Terminal, for servers of today, as xterm draws them: every attribute
//   lasts until it is undone or reset ("0"); xterm's default sixteen colours;
//   bold (1) brightens the eight normal colours and draws bold, dim (2) takes
//   the colour half way to the background, 22 undoes both; italic 3/23,
//   underline 4 and 21 / 24, reverse 7/27, strike 9/29; backgrounds 40-47,
//   100-107, 48;5;n, 48;2;r;g;b, 49 the display's own.
//
// Under both, xterm's 256-colour and 24-bit forms (38;5;n, 38;2;r;g;b and the
// colon forms) set the colour, and their parameters are consumed whole, as
// are the background forms 48;... A form with a missing or out-of-range field
// changes nothing.
#include "ui/DisplaySink.h"

#include <QRgb>
#include <QStringView>

class SgrColours {
public:
    enum class Rules { Classic, Terminal };
    static constexpr QRgb kPlainColour = qRgb(240, 240, 240);

    void setRules(Rules rules);
    Rules rules() const { return m_rules; }

    // The colour text is written in now (`CurrentColor`).
    QRgb current() const { return m_current; }
    // Background and type attributes now: always plain under the classic rules.
    const TextStyle& style() const { return m_style; }
    void setCurrent(QRgb colour) { m_current = colour; }

    // A new chunk: the classic per-chunk state starts over.
    void beginChunk();

    // The parameters of one sequence (the text between "[" and "m"), split at
    // ";" once and read as numbers, for boldOffFirst and apply. At most
    // kMaxFields fields count; the view must outlive the object.
    class Params {
    public:
        static constexpr int kMaxFields = 32;
        explicit Params(QStringView text);
        int size() const { return m_size; }
        // The field as a whole number, -1 when it is empty or not all digits.
        int number(int i) const { return m_number[i]; }
        bool isEmpty(int i) const { return m_length[i] == 0; }
        bool hasColon(int i) const { return m_colon[i]; }
        QStringView field(int i) const { return m_text.sliced(m_start[i], m_length[i]); }
        bool isPlainReset() const { return m_text.size() == 1 && m_text.front() == u'0'; }

    private:
        QStringView m_text;
        int m_size = 0;
        int m_number[kMaxFields];
        qsizetype m_start[kMaxFields];
        qsizetype m_length[kMaxFields];
        bool m_colon[kMaxFields];
    };

    // Returns true when a "0" field asks for the bold attribute to go off
    // before the text in front of the sequence is written.
    bool boldOffFirst(const Params& params) const;
    bool boldOffFirst(QStringView params) const { return boldOffFirst(Params(params)); }
    // Applies the parameters of one sequence.
    void apply(const Params& params);
    void apply(QStringView params) { apply(Params(params)); }

    // The palette colour of a classic colour code, or fallback when the
    // code has none (anything outside 30-47).
    static QRgb palette(int code, QRgb fallback);
    // xterm's 256 colours: 0-15 on the palette, then the 6x6x6 cube and the
    // grey ramp. n must be 0-255.
    static QRgb xterm256(int n);
    // xterm's default sixteen colours (0-7 normal, 8-15 bright), and its 256
    // colours on them. n must be 0-15 and 0-255.
    static QRgb xterm16(int n);
    static QRgb xtermColour(int n);

private:
    struct Extended {
        bool valid = false;
        QRgb colour = 0;
    };
    void applyClassic(const Params& params);
    void applyTerminal(const Params& params);
    void resolveTerminal();

    Rules m_rules = Rules::Classic;
    QRgb m_current = kPlainColour;

    // Classic, per chunk: brightness offset and the last colour chosen.
    int m_offset = 0;
    int m_code = 0;          // last classic colour code, 0 when none
    Extended m_lastExtended; // set when the last colour was an xterm form

    // Terminal, until a reset: foreground and background, each the default,
    // a palette index (0-15) or a colour, and the attributes.
    enum class Kind { Default, Palette, Rgb };
    struct Colour {
        Kind kind = Kind::Default;
        int index = 0;
        QRgb rgb = 0;
    };
    Colour m_fg;
    Colour m_bg;
    bool m_bold = false;
    bool m_dim = false;
    bool m_italic = false;
    bool m_underline = false;
    bool m_reverse = false;
    bool m_strike = false;
    TextStyle m_style; // what the attributes come to
};

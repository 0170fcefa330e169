#include "protocol/SgrColours.h"

#include <QStringTokenizer>

#include <array>

namespace {

constexpr int kNotANumber = -1;
constexpr int kMaxFields = SgrColours::Params::kMaxFields;
constexpr int kSaturated = 100000; // past any meaningful value, stays out of range

// A field counts only when it is a whole number: digits and nothing else.
int wholeNumber(QStringView field) {
    if (field.isEmpty())
        return kNotANumber;
    int v = 0;
    for (QChar ch : field) {
        if (ch < u'0' || ch > u'9')
            return kNotANumber;
        v = qMin(v * 10 + (ch.unicode() - u'0'), kSaturated);
    }
    return v;
}

// The sub-fields of one "38:2:r:g:b" field: rare, so split the plain way.
struct SubFields {
    std::array<QStringView, kMaxFields> at;
    int count = 0;
    int size() const { return count; }
    int number(int i) const { return wholeNumber(at[size_t(i)]); }
};

SubFields subFields(QStringView text) {
    SubFields out;
    for (QStringView field : text.tokenize(u':')) {
        if (out.count == kMaxFields)
            break;
        out.at[size_t(out.count++)] = field;
    }
    return out;
}

template <typename Fields> int component(const Fields& f, int i) {
    const int v = i < f.size() ? f.number(i) : kNotANumber;
    return v >= 0 && v <= 255 ? v : kNotANumber;
}

// An xterm colour form after its 38 or 48: "5", n or "2", r, g, b. Returns
// how many fields after `first` belong to it; colour is set when it is whole.
template <typename Fields>
int extendedForm(const Fields& f, int first, bool colon, bool& valid, QRgb& colour,
                 bool terminal = false) {
    valid = false;
    const int kind = first < f.size() ? f.number(first) : kNotANumber;
    if (kind == 5) {
        const int n = component(f, first + 1);
        if (n != kNotANumber) {
            valid = true;
            colour = terminal ? SgrColours::xtermColour(n) : SgrColours::xterm256(n);
        }
        return qMin(2, f.size() - first);
    }
    if (kind == 2) {
        // The colon form may name a colour space first: 38:2:[id]:r:g:b.
        int rgb = first + 1;
        if (colon && f.size() - first >= 5)
            ++rgb;
        const int r = component(f, rgb), g = component(f, rgb + 1), b = component(f, rgb + 2);
        if (r != kNotANumber && g != kNotANumber && b != kNotANumber) {
            valid = true;
            colour = qRgb(r, g, b);
        }
        return colon ? f.size() - first : qMin(4, f.size() - first);
    }
    return 0;
}

} // namespace

SgrColours::Params::Params(QStringView text) : m_text(text) {
    // The same fields as splitting at every ";", empty ones included.
    const char16_t* const s = text.utf16();
    const qsizetype n = text.size();
    qsizetype start = 0;
    int v = 0;
    bool digits = true, colon = false;
    for (qsizetype i = 0;; ++i) {
        if (i == n || s[i] == u';') {
            m_start[m_size] = start;
            m_length[m_size] = i - start;
            m_number[m_size] = i > start && digits ? v : kNotANumber;
            m_colon[m_size] = colon;
            if (++m_size == kMaxFields || i == n)
                break;
            start = i + 1;
            v = 0;
            digits = true;
            colon = false;
            continue;
        }
        const char16_t c = s[i];
        if (c >= u'0' && c <= u'9') {
            v = qMin(v * 10 + (c - u'0'), kSaturated);
        } else {
            digits = false;
            colon = colon || c == u':';
        }
    }
}

void SgrColours::setRules(Rules rules) {
    if (rules == m_rules)
        return;
    m_rules = rules;
    m_fg = m_bg = {};
    m_bold = m_dim = m_italic = m_underline = m_reverse = m_strike = false;
    m_style = {};
    beginChunk();
}

void SgrColours::beginChunk() {
    m_offset = 0;
    m_code = 0;
    m_lastExtended = {};
}

QRgb SgrColours::palette(int code, QRgb fallback) {
    switch (code) {
    case 30:
        return qRgb(120, 120, 120);
    case 31:
        return qRgb(120, 0, 0);
    case 32:
        return qRgb(0, 120, 0);
    case 33:
        return qRgb(120, 120, 0);
    case 34:
        return qRgb(0, 0, 120);
    case 35:
        return qRgb(120, 0, 120);
    case 36:
        return qRgb(0, 120, 120);
    case 37:
        return qRgb(240, 240, 240);
    case 40:
        return qRgb(200, 200, 200);
    case 41:
        return qRgb(240, 0, 0);
    case 42:
        return qRgb(0, 240, 0);
    case 43:
        return qRgb(240, 240, 0);
    case 44:
        return qRgb(0, 0, 240);
    case 45:
        return qRgb(240, 0, 240);
    case 46:
        return qRgb(0, 240, 240);
    case 47:
        return qRgb(240, 240, 240);
    default:
        return fallback;
    }
}

QRgb SgrColours::xterm256(int n) {
    if (n < 8)
        return palette(30 + n, kPlainColour);
    if (n < 16)
        return palette(40 + n - 8, kPlainColour);
    if (n < 232) {
        static constexpr int kSteps[6] = {0, 95, 135, 175, 215, 255};
        const int c = n - 16;
        return qRgb(kSteps[c / 36], kSteps[c / 6 % 6], kSteps[c % 6]);
    }
    const int grey = 8 + 10 * (n - 232);
    return qRgb(grey, grey, grey);
}

bool SgrColours::boldOffFirst(const Params& f) const {
    if (f.isPlainReset())
        return false; // the plain reset leaves the attribute alone
    for (int i = 0; i < f.size(); ++i) {
        const int v = f.number(i);
        if (v == 0)
            return true;
        if (v == 38 || v == 48) {
            bool valid = false;
            QRgb colour = 0;
            i += extendedForm(f, i + 1, false, valid, colour);
        }
    }
    return false;
}

void SgrColours::apply(const Params& params) {
    if (m_rules == Rules::Classic)
        applyClassic(params);
    else
        applyTerminal(params);
}

void SgrColours::applyClassic(const Params& f) {
    if (f.isPlainReset()) {
        m_current = kPlainColour;
        return;
    }
    for (int i = 0; i < f.size(); ++i) {
        bool valid = false;
        QRgb colour = 0;
        if (f.hasColon(i)) {
            const SubFields sub = subFields(f.field(i));
            const int v = sub.number(0);
            if ((v == 38 || v == 48) && sub.size() > 1) {
                extendedForm(sub, 1, true, valid, colour);
                if (valid && v == 38)
                    m_lastExtended = {true, colour};
            }
            continue;
        }
        const int v = f.number(i);
        if (v == 38 || v == 48) {
            const int used = extendedForm(f, i + 1, false, valid, colour);
            if (used > 0) {
                i += used;
                if (valid && v == 38)
                    m_lastExtended = {true, colour};
                continue;
            }
        }
        if (v == 0) {
            m_offset = 0;
        } else if (v == 1) {
            m_offset = 10;
        } else if (v >= 30 && v <= 47) {
            m_code = v + m_offset;
            m_lastExtended = {};
        }
    }
    m_current = m_lastExtended.valid ? m_lastExtended.colour : palette(m_code, m_current);
}

void SgrColours::applyTerminal(const Params& f) {
    for (int i = 0; i < f.size(); ++i) {
        bool valid = false;
        QRgb colour = 0;
        int v = kNotANumber;
        int sub = kNotANumber; // "4:0" and the like: the sub-parameter
        if (f.hasColon(i)) {
            const SubFields fields = subFields(f.field(i));
            v = fields.number(0);
            if ((v == 38 || v == 48) && fields.size() > 1)
                extendedForm(fields, 1, true, valid, colour, true);
            else if (fields.size() > 1)
                sub = fields.number(1);
        } else {
            v = f.isEmpty(i) ? 0 : f.number(i); // ESC[m is a reset
            if (v == 38 || v == 48)
                i += extendedForm(f, i + 1, false, valid, colour, true);
        }
        switch (v) {
        case 0:
            m_fg = m_bg = {};
            m_bold = m_dim = m_italic = m_underline = m_reverse = m_strike = false;
            break;
        case 1:
            m_bold = true;
            break;
        case 2:
            m_dim = true;
            break;
        case 3:
            m_italic = true;
            break;
        case 4:
            m_underline = sub != 0; // 4:0 is no underline, 4:1 to 4:5 are kinds of it
            break;
        case 7:
            m_reverse = true;
            break;
        case 9:
            m_strike = true;
            break;
        case 21: // double underline
            m_underline = true;
            break;
        case 22:
            m_bold = m_dim = false;
            break;
        case 23:
            m_italic = false;
            break;
        case 24:
            m_underline = false;
            break;
        case 27:
            m_reverse = false;
            break;
        case 29:
            m_strike = false;
            break;
        case 38:
        case 48:
            if (valid)
                (v == 38 ? m_fg : m_bg) = {Kind::Rgb, 0, colour};
            break;
        case 39:
            m_fg = {};
            break;
        case 49:
            m_bg = {};
            break;
        default:
            if (v >= 30 && v <= 37)
                m_fg = {Kind::Palette, v - 30, 0};
            else if (v >= 90 && v <= 97)
                m_fg = {Kind::Palette, v - 90 + 8, 0};
            else if (v >= 40 && v <= 47)
                m_bg = {Kind::Palette, v - 40, 0};
            else if (v >= 100 && v <= 107)
                m_bg = {Kind::Palette, v - 100 + 8, 0};
            break;
        }
    }
    resolveTerminal();
}

QRgb SgrColours::xterm16(int n) {
    static constexpr QRgb kColours[16] = {
        qRgb(0, 0, 0),       qRgb(205, 0, 0),   qRgb(0, 205, 0),   qRgb(205, 205, 0),
        qRgb(0, 0, 238),     qRgb(205, 0, 205), qRgb(0, 205, 205), qRgb(229, 229, 229),
        qRgb(127, 127, 127), qRgb(255, 0, 0),   qRgb(0, 255, 0),   qRgb(255, 255, 0),
        qRgb(92, 92, 255),   qRgb(255, 0, 255), qRgb(0, 255, 255), qRgb(255, 255, 255)};
    return kColours[n];
}

QRgb SgrColours::xtermColour(int n) {
    return n < 16 ? xterm16(n) : xterm256(n);
}

void SgrColours::resolveTerminal() {
    constexpr QRgb kDisplayBackground = qRgb(0, 0, 0);
    QRgb fg = kPlainColour;
    if (m_fg.kind == Kind::Palette)
        fg = xterm16(m_bold && m_fg.index < 8 ? m_fg.index + 8 : m_fg.index);
    else if (m_fg.kind == Kind::Rgb)
        fg = m_fg.rgb;
    else if (m_bold)
        fg = qRgb(255, 255, 255);
    const bool hasBg = m_bg.kind != Kind::Default;
    QRgb bg = m_bg.kind == Kind::Palette ? xterm16(m_bg.index) : m_bg.rgb;
    if (m_dim) {
        const QRgb under = hasBg ? bg : kDisplayBackground;
        fg = qRgb((qRed(fg) + qRed(under)) / 2, (qGreen(fg) + qGreen(under)) / 2,
                  (qBlue(fg) + qBlue(under)) / 2);
    }
    TextStyle style;
    if (m_reverse) {
        style.flags |= TextStyle::Background;
        style.background = fg;
        fg = hasBg ? bg : kDisplayBackground;
    } else if (hasBg) {
        style.flags |= TextStyle::Background;
        style.background = bg;
    }
    if (m_bold)
        style.flags |= TextStyle::Bold;
    if (m_italic)
        style.flags |= TextStyle::Italic;
    if (m_underline)
        style.flags |= TextStyle::Underline;
    if (m_strike)
        style.flags |= TextStyle::Strike;
    m_style = style;
    m_current = fg;
}

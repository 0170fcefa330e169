// The colour rules on their own, with parameter strings of any length and
// content (the renderer hands over at most 29 characters of them):
// the colour is always an opaque colour; an xterm colour form after anything
// sets exactly its colour; a plain reset gives the plain colour; and under
// the terminal rules where chunks begin changes nothing.
//
// Input: one byte (bit 0: terminal rules), then parameter strings, each
// ended by "m"; a "\n" in front of a string begins a new chunk first.
#include "FuzzSupport.h"

#include "protocol/SgrColours.h"

#include <QString>

#include <cstdint>

namespace {

// Forms that set one colour whatever came before them (under the terminal
// rules once dim and reverse are undone), and that colour by either rules.
struct Form {
    const char16_t* params;
    QRgb classic;
    QRgb terminal;
};
const Form kForms[] = {
    {u"38;5;196", qRgb(255, 0, 0), qRgb(255, 0, 0)},
    {u"38;5;8", qRgb(200, 200, 200), qRgb(127, 127, 127)},
    {u"38;2;1;2;3", qRgb(1, 2, 3), qRgb(1, 2, 3)},
    {u"38:2::4:5:6", qRgb(4, 5, 6), qRgb(4, 5, 6)},
    {u"38:5:244", qRgb(128, 128, 128), qRgb(128, 128, 128)},
    {u"0;38;5;16", qRgb(0, 0, 0), qRgb(0, 0, 0)},
};

void expectForms(const SgrColours& state) {
    const bool terminal = state.rules() == SgrColours::Rules::Terminal;
    for (const Form& f : kForms) {
        SgrColours probe = state;
        if (terminal)
            probe.apply(u"22;27");
        probe.apply(QStringView(f.params));
        FUZZ_EXPECT(probe.current() == (terminal ? f.terminal : f.classic));
    }
    SgrColours reset = state;
    reset.apply(u"0");
    FUZZ_EXPECT(reset.current() == SgrColours::kPlainColour);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0)
        return 0;
    const bool terminal = data[0] & 1;
    const QString input =
        QString::fromLatin1(reinterpret_cast<const char*>(data + 1), qsizetype(size - 1));
    SgrColours chunked, unchunked;
    for (SgrColours* c : {&chunked, &unchunked})
        c->setRules(terminal ? SgrColours::Rules::Terminal : SgrColours::Rules::Classic);
    chunked.beginChunk();
    int applied = 0;
    for (QStringView params : QStringView(input).tokenize(u'm')) {
        if (params.startsWith(u'\n')) {
            chunked.beginChunk();
            params = params.sliced(1);
        }
        (void)chunked.boldOffFirst(params);
        chunked.apply(params);
        unchunked.apply(params);
        FUZZ_EXPECT(qAlpha(chunked.current()) == 255);
        if (terminal)
            FUZZ_EXPECT(chunked.current() == unchunked.current() &&
                        chunked.style() == unchunked.style());
        else
            FUZZ_EXPECT(chunked.style() == TextStyle{}); // no attribute under the classic rules
        // The probes cost more than a sequence: every few sequences is enough.
        if (++applied % 8 == 1)
            expectForms(chunked);
    }
    expectForms(chunked);
    return 0;
}

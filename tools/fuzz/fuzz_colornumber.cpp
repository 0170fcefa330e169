// Colour numbers as a hand-edited button configuration may hold them.
#include "FuzzSupport.h"

#include "automation/ColourNumber.h"
#include "files/CodePage.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text =
        CodePage::decode(QByteArrayView(reinterpret_cast<const char*>(data), qsizetype(size)));
    const WinColour value = ColourNumber::parse(text);
    // Leading blanks are skipped, and reading stops where the number does.
    FUZZ_EXPECT(ColourNumber::parse(QStringLiteral(" \t") + text) == value);
    FUZZ_EXPECT(ColourNumber::parse(text + QLatin1Char('z')) == value);
    return 0;
}

#include "commands/EseguiButt.h"

#include "automation/ActionText.h"
#include "commands/CommandLine.h"
#include "ui/CButton.h"
#include "ui/DisplaySink.h"

void EseguiButt(const CButton& butt, DisplaySink& display,
                const std::function<void(const QString&)>& write) {
    // The buttons' terminator rule: a missing final "<%>" is supplied.
    const QString& azione = butt.azione();
    const QString s = ActionText::toWire(
        azione.endsWith(ActionText::kSeparator) ? azione : azione + ActionText::kSeparator);
    display.setSelColor(EchoGrey);
    display.insertText(s);
    if (write)
        write(s);
}

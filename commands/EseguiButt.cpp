#include "commands/EseguiButt.h"

#include "automation/ActionText.h"
#include "commands/CommandLine.h"
#include "ui/CButton.h"
#include "ui/DisplaySink.h"

QString buttonWireText(const QString& azione) {
    QString s = azione;
    s.replace(QChar(0x00A7), QLatin1Char('\''));
    if (!s.endsWith(ActionText::kSeparator))
        s += ActionText::kSeparator;
    s.replace(ActionText::kSeparator, ActionText::kCrLf);
    return s;
}

void EseguiButt(const CButton& butt, DisplaySink& display,
                const std::function<void(const QString&)>& write) {
    const QString s = buttonWireText(butt.azione());
    display.setSelColor(EchoGrey);
    display.insertText(s);
    if (write)
        write(s);
}

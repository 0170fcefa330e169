#pragma once
// Sending a bar button's ActionText: every command ends in CR LF, the text is
// echoed in grey and written as it was echoed.
#include <QString>
#include <functional>

class CButton;
class DisplaySink;

// The wire text of a button's action: "§" becomes "'", a missing final "<%>"
// is supplied, then every "<%>" becomes CR LF.
QString buttonWireText(const QString& azione);

// The echo colour stays grey afterwards: the next server text sets its own.
void EseguiButt(const CButton& butt, DisplaySink& display,
                const std::function<void(const QString&)>& write);

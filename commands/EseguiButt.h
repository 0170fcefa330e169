#pragma once
// Sending a bar button's ActionText: every command ends in CR LF, the text is
// echoed in grey and written as it was echoed.
#include <QString>
#include <functional>

class CButton;
class DisplaySink;

// The echo colour stays grey afterwards: the next server text sets its own.
void EseguiButt(const CButton& butt, DisplaySink& display,
                const std::function<void(const QString&)>& write);

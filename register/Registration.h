#pragma once
// The registration tool's work: check the component file it is given.
#include <QString>
#include <QStringList>

namespace Registration {

struct Outcome {
    int exitCode = 0;    // 0 registered, 1 bad call, 3 component file missing or unreadable
    QString message;     // for the tool's message box
    bool silent = false; // "/s": no message box
};

// Options "/s" (silent) and "/u" (unregister) in any letter case, then the
// component file. The file is written as on the tool's home platform, with
// '\' between folders; both separators are accepted.
Outcome run(const QStringList& arguments);

} // namespace Registration

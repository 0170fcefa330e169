#include "ui/FileResultBox.h"

#include "ui/Dialogs.h"

void showFileResult(QWidget* owner, const FileResult& result) {
    switch (result.kind) {
    case FileResult::Kind::Done:
        return;
    case FileResult::Kind::Notice:
        msgBox(owner, result.message, Msg::Exclamation, QStringLiteral("Attenzione"));
        return;
    case FileResult::Kind::ReadFailed:
    case FileResult::Kind::WriteFailed:
        msgBox(owner, result.message, Msg::Critical, QStringLiteral("Errore"));
        return;
    }
}

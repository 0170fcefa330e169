#include "client/CertificatePrompt.h"

#include "ui/Dialogs.h"

CertificateAnswer askAboutCertificate(QWidget* owner, const CertificateQuestion& question) {
    const QStringList buttons = CertificateQuestion::buttons();
    const int giveUp = int(buttons.size()) - 1;
    const int flags = question.changed() ? Msg::Exclamation : Msg::Question;
    return CertificateQuestion::answerOf(
        dialogs().choice(owner, question.text(), buttons, giveUp, flags, question.title()));
}

#pragma once
// The window's side of a certificate question: the player sees why the
// certificate could not be verified and its fingerprint, and chooses to
// accept it this time, accept it always, or give up (also Escape and Enter).
#include "session/TlsTrust.h"

class QWidget;

CertificateAnswer askAboutCertificate(QWidget* owner, const CertificateQuestion& question);

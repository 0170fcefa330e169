#include "ui/Dialogs.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFileDialog>
#include <QFontDialog>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

namespace {

// The dialog that hides the pattern part names the chosen filter by its
// description alone: find it by either.
int indexOfFilter(const QStringList& filters, const QString& chosen) {
    for (int i = 0; i < int(filters.size()); ++i) {
        const QString& f = filters.at(i);
        const qsizetype open = f.lastIndexOf(QLatin1String(" ("));
        if (f == chosen || (open >= 0 && f.left(open).simplified() == chosen))
            return i;
    }
    return -1;
}

void setIcon(QMessageBox& box, int flags) {
    switch (flags & 0x70) {
    case Msg::Critical:
        box.setIcon(QMessageBox::Critical);
        break;
    case Msg::Question:
        box.setIcon(QMessageBox::Question);
        break;
    case Msg::Exclamation:
        box.setIcon(QMessageBox::Warning);
        break;
    case Msg::Information:
        box.setIcon(QMessageBox::Information);
        break;
    default:
        break;
    }
}

class QtDialogHost final : public DialogHost {
public:
    int choice(QWidget* owner, const QString& text, const QStringList& buttons, int defaultButton,
               int flags, const QString& title) override {
        QMessageBox box(owner);
        box.setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
        box.setText(text);
        setIcon(box, flags);
        QList<QAbstractButton*> added;
        for (const QString& label : buttons)
            added << box.addButton(label, QMessageBox::ActionRole);
        if (defaultButton >= 0 && defaultButton < added.size()) {
            box.setDefaultButton(qobject_cast<QPushButton*>(added.at(defaultButton)));
            box.setEscapeButton(added.at(defaultButton));
        }
        box.exec();
        const int chosen = int(added.indexOf(box.clickedButton()));
        return chosen >= 0 ? chosen : defaultButton;
    }

    QString textInput(QWidget* owner, const QString& text, const QString& initial,
                      const QString& title) override {
        QInputDialog box(owner);
        box.setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
        box.setLabelText(text);
        box.setTextValue(initial);
        box.setOkButtonText(QStringLiteral("OK"));
        box.setCancelButtonText(QStringLiteral("Annulla"));
        return box.exec() == QDialog::Accepted ? box.textValue() : QString();
    }

    int messageBox(QWidget* owner, const QString& text, int flags, const QString& title) override {
        QMessageBox box(owner);
        box.setWindowTitle(title.isEmpty() ? QApplication::applicationName() : title);
        box.setText(text);
        setIcon(box, flags);
        if ((flags & 0x7) == Msg::YesNo) {
            box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
            box.setDefaultButton(QMessageBox::Yes);
            box.button(QMessageBox::Yes)->setText(QObject::tr("Sì"));
            box.button(QMessageBox::No)->setText(QObject::tr("No"));
        } else {
            box.setStandardButtons(QMessageBox::Ok);
        }
        const int r = box.exec();
        if (r == QMessageBox::Yes)
            return Msg::Yes;
        if (r == QMessageBox::No)
            return Msg::No;
        return Msg::Ok;
    }

    QString fileDialog(FileDialogRequest& req) override {
        QFileDialog dlg(req.owner, req.title);
        dlg.setAcceptMode(req.kind == FileDialogRequest::Open ? QFileDialog::AcceptOpen
                                                              : QFileDialog::AcceptSave);
        dlg.setFileMode(req.kind == FileDialogRequest::Open && req.mustExist
                            ? QFileDialog::ExistingFile
                            : QFileDialog::AnyFile);
        // The caller's description already names its patterns: shown once,
        // as given, while the dialog filters by the pattern part.
        dlg.setOption(QFileDialog::HideNameFilterDetails);
        dlg.setNameFilters(req.nameFilters);
        if (!req.folder.isEmpty())
            dlg.setDirectory(req.folder);
        if (req.filterIndex >= 0 && req.filterIndex < req.nameFilters.size())
            dlg.selectNameFilter(req.nameFilters.at(req.filterIndex));
        if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
            return QString();
        req.filterIndex = indexOfFilter(req.nameFilters, dlg.selectedNameFilter());
        return dlg.selectedFiles().constFirst();
    }

    bool chooseFont(QWidget* owner, QFont& font, const QString& title) override {
        bool ok = false;
        const QFont chosen =
            QFontDialog::getFont(&ok, font, owner, title, QFontDialog::MonospacedFonts);
        if (ok)
            font = chosen;
        return ok;
    }

    void runModal(QDialog* window) override { window->exec(); }

    bool openFolder(const QString& path) override {
        return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
    }
};

QtDialogHost g_qtHost;
DialogHost* g_host = nullptr;

} // namespace

int DialogHost::choice(QWidget*, const QString&, const QStringList&, int defaultButton, int,
                       const QString&) {
    return defaultButton;
}

QString DialogHost::textInput(QWidget*, const QString&, const QString&, const QString&) {
    return QString();
}

bool DialogHost::chooseFont(QWidget*, QFont&, const QString&) {
    return false;
}

bool DialogHost::openFolder(const QString&) {
    return false;
}

DialogHost& dialogs() {
    return g_host ? *g_host : g_qtHost;
}

void setDialogHost(DialogHost* host) {
    g_host = host;
}

int msgBox(QWidget* owner, const QString& text, int flags, const QString& title) {
    return dialogs().messageBox(owner, text, flags, title);
}

#include "notes/FrmNota.h"

#include "notes/NoteFile.h"
#include "ui/Artwork.h"
#include "ui/ColourNames.h"
#include "ui/Dialogs.h"
#include "ui/DisplaySink.h"
#include "ui/FileDialogs.h"
#include "ui/FileResultBox.h"
#include "ui/TextBoxes.h"

#include <QEvent>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextCursor>
#include <algorithm>

namespace {

const QString kCrLf = QStringLiteral("\r\n");
const QString kErrore = QStringLiteral("Errore");
// "Varendor Nota(*.not)" NUL "*.not" NUL NUL.
const QString kNoteFilter = QStringLiteral("Varendor Nota(*.not)") + QChar(0) +
                            QStringLiteral("*.not") + QChar(0) + QChar(0);

// Shows a help text whole: CR LF as one line break, and the font made
// smaller when this machine's face would not fit the text in the label.
void setHelp(QLabel* label, const QString& s) {
    QString t = s;
    t.replace(kCrLf, QStringLiteral("\n"));
    QFont f = label->parentWidget()->font();
    const QRect box = label->contentsRect();
    for (qreal pt = f.pointSizeF(); pt > 6; pt -= 0.5) {
        f.setPointSizeF(pt);
        if (QFontMetrics(f).boundingRect(box, Qt::TextWordWrap, t).height() <= box.height())
            break;
    }
    label->setFont(f);
    label->setText(t);
}

QLabel* caption(QWidget* parent, const char* name, const QString& text, QRect geometry) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPointSizeF(9.75);
    f.setBold(true);
    l->setFont(f);
    // Transparent, so a face wider than the designed one may run past the
    // designed width rather than lose the end of the caption.
    geometry.setWidth(std::max(geometry.width(), l->sizeHint().width()));
    l->setGeometry(geometry);
    return l;
}

} // namespace

const std::array<FrmNota::Swatch, 16> FrmNota::kSwatches = {{
    {120, 120, 120, "{{g"},
    {200, 200, 200, "{{G"},
    {120, 0, 0, "{{r"},
    {240, 0, 0, "{{R"},
    {0, 120, 0, "{{v"},
    {0, 240, 0, "{{V"},
    {120, 120, 0, "{{t"},
    {240, 240, 0, "{{T"},
    {0, 0, 120, "{{b"},
    {0, 0, 240, "{{B"},
    {120, 0, 120, "{{m"},
    {240, 0, 240, "{{M"},
    {0, 120, 120, "{{c"},
    {0, 240, 240, "{{C"},
    {240, 240, 240, "{{Z"},
    {240, 240, 240, "{{p"},
}};

const QString FrmNota::kHelpDest =
    QStringLiteral("Assegna la lista di destinatari. Il destinatario TUTTI scrive a tutti") +
    QStringLiteral(
        " i giocatori, IMMORTALI a tutti gli Immortali ed ANTICHI a tutti gli Antichi.") +
    kCrLf +
    QStringLiteral("E' possibile scrivere a piu' destinatari dividendo ogni nome con uno spazio.");
const QString FrmNota::kHelpSogg = QStringLiteral("Assegna il soggetto di una nuova nota.");
const QString FrmNota::kHelpNota =
    QStringLiteral("Scrivere il testo della nota.") + kCrLf + QStringLiteral("ATTENZIONE: ") +
    QStringLiteral("non scrivere troppi caratteri senza dare INVIO, altrimenti il server ") +
    QStringLiteral("non accetterà la riga.");

FrmNota::FrmNota(DisplaySink& display, std::function<void(const QString&)> write, QWidget* parent)
    : ToolWindow(parent, Frame::Ordinary), m_display(display), m_write(std::move(write)) {
    setObjectName(QStringLiteral("frmNota"));
    setWindowTitle(QStringLiteral("Nota"));
    connect(this, &ToolWindow::buttonClicked, this, &FrmNota::lblShape_Click);
    setClientSize(386, 459);
    setTile(Artwork::toolTile());
    QWidget* area = clientArea();

    caption(area, "Label1", QStringLiteral("Destinatario: "), QRect(8, 16, 89, 17));
    m_dest = new QLineEdit(area);
    m_dest->setObjectName(QStringLiteral("txtDest"));
    m_dest->setGeometry(8, 32, 369, 25);
    m_dest->setMaxLength(30);

    caption(area, "Label2", QStringLiteral("Soggetto: "), QRect(8, 64, 73, 17));
    m_sogg = new QLineEdit(area);
    m_sogg->setObjectName(QStringLiteral("txtSogg"));
    m_sogg->setGeometry(8, 80, 369, 25);
    m_sogg->setMaxLength(40);

    caption(area, "Label3", QStringLiteral("Testo: "), QRect(8, 112, 73, 17));
    m_nota = new QPlainTextEdit(area);
    m_nota->setObjectName(QStringLiteral("txtNota"));
    m_nota->setGeometry(8, 128, 321, 153);
    m_nota->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_nota->setTabChangesFocus(true);

    for (int i = 0; i < int(kSwatches.size()); ++i) {
        const Swatch& s = kSwatches[size_t(i)];
        auto* sw = new ClickLabel(area);
        sw->setObjectName(QStringLiteral("sphCol_%1").arg(i));
        sw->setGeometry(344 + 16 * (i % 2), 136 + 16 * (i / 2), 17, 17);
        sw->setFrameShape(QFrame::Box);
        sw->setLineWidth(1);
        sw->setAutoFillBackground(true);
        QPalette pal = sw->palette();
        pal.setColor(QPalette::Window, QColor(s.r, s.g, s.b));
        sw->setPalette(pal);
        sw->setProperty("tag", QString::fromLatin1(s.code));
        // Two swatches share a colour: their codes tell them apart to a reader.
        const auto same = [&s](const Swatch& o) {
            return &o != &s && o.r == s.r && o.g == s.g && o.b == s.b;
        };
        if (std::any_of(kSwatches.begin(), kSwatches.end(), same))
            sw->setAccessibleName(QStringLiteral("%1, codice %2")
                                      .arg(colourName(QColor(s.r, s.g, s.b)))
                                      .arg(QChar::fromLatin1(s.code[2])));
        connect(sw, &ClickLabel::clicked, this, [this, i] { sphCol_Click(i); });
    }

    m_help = new QLabel(area);
    m_help->setObjectName(QStringLiteral("lblHelp"));
    m_help->setGeometry(8, 384, 369, 65);
    m_help->setAutoFillBackground(true);
    QPalette hp = m_help->palette();
    hp.setColor(QPalette::Window, QColor(255, 255, 192));
    m_help->setPalette(hp);
    m_help->setWordWrap(true);
    m_help->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    for (QWidget* w : {static_cast<QWidget*>(m_dest), static_cast<QWidget*>(m_sogg),
                       static_cast<QWidget*>(m_nota)}) {
        w->setEnabled(false);
        w->installEventFilter(this);
    }

    auto& b = buttons();
    b.resize(6);
    b[Nuovo].init(QStringLiteral("Nuovo"), 300, 10, 2, true);
    b[Invia].init(QStringLiteral("Invia"), 300, 120, 2, false);
    b[Annulla].init(QStringLiteral("Annulla"), 300, 230, 2, false);
    b[Esci].init(QStringLiteral("Esci"), 340, 230, 2, true);
    b[Apri].init(QStringLiteral("Apri"), 340, 10, 2, true);
    b[Salva].init(QStringLiteral("Salva"), 340, 120, 2, false);
    QList<QPixmap> icons;
    for (const char* name : {"nuovo", "invia", "annulla", "esci", "apri", "salva"})
        icons << Artwork::icon(QString::fromLatin1(name));
    createButtonControls(icons);
}

bool FrmNota::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn) {
        if (watched == m_dest)
            setHelp(m_help, kHelpDest);
        else if (watched == m_sogg)
            setHelp(m_help, kHelpSogg);
        else if (watched == m_nota)
            setHelp(m_help, kHelpNota);
    }
    return ToolWindow::eventFilter(watched, event);
}

void FrmNota::setButtons(bool nuovo, bool invia, bool annulla, bool apri, bool salva) {
    auto& b = buttons();
    b[Nuovo].setAttivo(nuovo);
    b[Invia].setAttivo(invia);
    b[Annulla].setAttivo(annulla);
    b[Apri].setAttivo(apri);
    b[Salva].setAttivo(salva);
}

void FrmNota::showEvent(QShowEvent* event) {
    ToolWindow::showEvent(event);
    // The keyboard starts where the player begins: the recipients, the first
    // field of the tab order, once a note is open; before that the fields
    // are disabled and "Nuovo" opens one.
    QWidget* start = m_dest->isEnabled() ? static_cast<QWidget*>(m_dest) : lblShape(Nuovo);
    if (start)
        start->setFocus(Qt::TabFocusReason);
}

void FrmNota::enableFields() {
    m_dest->setEnabled(true);
    m_sogg->setEnabled(true);
    m_nota->setEnabled(true);
    m_dest->setFocus();
}

void FrmNota::toIdle() {
    for (QLineEdit* e : {m_dest, m_sogg}) {
        e->clear();
        e->setEnabled(false);
    }
    m_nota->clear();
    m_nota->setEnabled(false);
    setButtons(true, false, false, true, false);
}

bool FrmNota::checkFields() {
    const char* missing = nullptr;
    if (m_dest->text().isEmpty())
        missing = "Non e' stato inserito nessun destinatario";
    else if (m_sogg->text().isEmpty())
        missing = "Non e' stato inserito nessun soggetto";
    else if (typedText(m_nota).isEmpty())
        missing = "Non e' stato scritto nulla nella nota";
    if (!missing)
        return true;
    msgBox(this, QString::fromLatin1(missing), Msg::OkOnly | Msg::Critical, kErrore);
    return false;
}

void FrmNota::lblShape_Click(int index) {
    const auto& b = buttons();
    if (index >= 0 && index < int(b.size()) && b[size_t(index)].Attivo()) {
        switch (index) {
        case Nuovo:
            setButtons(false, true, true, false, true);
            enableFields();
            break;
        case Invia:
            if (checkFields() &&
                msgBox(this, QStringLiteral("Sei sicuro di voler inviare la nota?"),
                       Msg::YesNo | Msg::Critical, QStringLiteral("Inviare?")) == Msg::Yes) {
                SendNote();
                toIdle();
            }
            break;
        case Annulla:
            toIdle();
            break;
        case Esci:
            close();
            return;
        case Apri:
            openNote();
            break;
        case Salva:
            saveNote();
            break;
        default:
            break;
        }
    }
    // The buttons show their new states (a click on a disabled one too).
    repaintButtons();
}

void FrmNota::sphCol_Click(int index) {
    if (index < 0 || index >= int(kSwatches.size()))
        return;
    QTextCursor c = m_nota->textCursor();
    c.insertText(QString::fromLatin1(kSwatches[size_t(index)].code));
    c.movePosition(QTextCursor::End);
    m_nota->setTextCursor(c);
}

void FrmNota::SendNote() {
    const NoteFile::Note note{m_dest->text(), m_sogg->text(), typedText(m_nota)};
    for (const QString& line : NoteFile::commands(note)) {
        m_display.setSelColor(kEchoColour);
        m_display.insertText(line);
        if (m_write)
            m_write(line);
    }
}

void FrmNota::openNote() {
    const QString path =
        ShowOpenDialog(this, kNoteFilter, QStringLiteral("Apri Nota"),
                       DialogFlags::Explorer | DialogFlags::FileMustExist, m_notesFolder);
    if (path.isEmpty())
        return;
    QString text;
    if (const FileResult read = NoteFile::load(path, text); !read) {
        showFileResult(this, read);
        return;
    }
    const NoteFile::Parsed p = NoteFile::parse(text);
    if (p.dest)
        m_dest->setText(*p.dest);
    if (p.sogg)
        m_sogg->setText(*p.sogg);
    // The opened note takes the place of the body, also when a note is
    // opened over another one.
    m_nota->setPlainText(p.body);
    m_nota->moveCursor(QTextCursor::End);
    auto& b = buttons();
    setButtons(false, true, true, b[Apri].Attivo(), true);
    enableFields();
}

void FrmNota::saveNote() {
    if (!checkFields())
        return;
    // Refused before a name is asked for: the file is 8-bit, posting is not.
    const QString file = QStringLiteral(".not");
    if (!fitsCodePage(m_dest, file, kErrore) || !fitsCodePage(m_sogg, file, kErrore) ||
        !fitsCodePage(m_nota, file, kErrore))
        return;
    QString path = ShowSaveDialog(this, kNoteFilter, QStringLiteral("Salva Nota"),
                                  DialogFlags::Explorer, m_notesFolder);
    if (path.isEmpty())
        return;
    const QString full = NoteFile::withExtension(path);
    // The dialog asked about the name typed; ask again when the extension
    // makes it another, existing file.
    if (full != path && QFileInfo::exists(full) &&
        msgBox(this, QStringLiteral("Il file %1 esiste gia'.\nSostituirlo?").arg(full),
               Msg::YesNo | Msg::Critical, QStringLiteral("Salva Nota")) != Msg::Yes)
        return;
    if (const FileResult saved =
            NoteFile::save(full, {m_dest->text(), m_sogg->text(), typedText(m_nota)});
        !saved) {
        showFileResult(this, saved);
        return;
    }
    buttons()[Salva].setAttivo(false);
}

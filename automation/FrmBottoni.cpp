#include "automation/FrmBottoni.h"

#include "automation/ButtonConfig.h"
#include "ui/Artwork.h"
#include "ui/Dialogs.h"
#include "ui/TextBoxes.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <algorithm>

const std::array<ButtonColour, 13> ButtonColours = {{
    {"Arancione", "&H80C0FF"},
    {"Bianco", "&HFFFFFF"},
    {"Blu", "&HFF0000"},
    {"Celeste", "&HFFC0C0"},
    {"Giallo", "&H80FFFF"},
    {"Grigio", "&HC0C0C0"},
    {"Marrone", "&H8080&"},
    {"Nero", "&H0&"},
    {"Rosa", "&HC0E0FF"},
    {"Rosso", "&HFF&"},
    {"Verde", "&H80FF80"},
    {"Verde Scuro", "&HC000&"},
    {"Viola", "&HC000C0"},
}};

namespace {

const QString kKeyCaption = QStringLiteral("CAPTION");
const QString kKeyAzione = QStringLiteral("AZIONE");
const QString kKeyColore = QStringLiteral("COLORE");
const QString kKeyStato = QStringLiteral("STATO");
const QString kErrore = QStringLiteral("Errore");
constexpr int kMaxCaption = 12; // characters the player may type

template <class W> W* place(W* w, const char* name, int left, int top, int width, int height) {
    w->setObjectName(QLatin1String(name));
    w->setGeometry(left, top, width, height);
    return w;
}

QLabel* label(QWidget* parent, const char* name, const QString& text, int left, int top) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QLatin1String(name));
    l->move(left, top);
    l->adjustSize();
    return l;
}

} // namespace

FrmBottoni::FrmBottoni(Api& api, ButtonBar& bar, QWidget* parent)
    : ToolWindow(parent, Frame::Shaped), m_api(api), m_bar(bar) {
    setObjectName(QStringLiteral("frmBottoni"));
    setWindowTitle(QStringLiteral("Configura Bottoni"));
    connect(this, &ToolWindow::buttonClicked, this, &FrmBottoni::lblShape_Click);
    setClientSize(613, 185);
    setTile(Artwork::toolTile());

    QWidget* area = clientArea();
    lstBottoni = place(new QListWidget(area), "lstBottoni", 8, 16, 89, 121);
    txtTesto = place(new QLineEdit(area), "txtTesto", 216, 16, 249, 25);
    txtTesto->setMaxLength(kMaxCaption);
    // A longer caption written by hand is shown whole (see lstBottoni_Click);
    // the player may shorten it but never lengthen it again, and once it is
    // down to the usual limit that limit applies.
    connect(txtTesto, &QLineEdit::textEdited, this, [this](const QString& text) {
        txtTesto->setMaxLength(std::max(kMaxCaption, int(text.size())));
    });
    txtTesto->setEnabled(false);
    txtAzione = place(new QPlainTextEdit(area), "txtAzione", 216, 64, 249, 73);
    txtAzione->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    txtAzione->setTabChangesFocus(true);
    txtAzione->setEnabled(false);
    chkAtt = place(new QCheckBox(area), "chkAtt", 232, 144, 13, 13);
    chkAtt->setChecked(true);
    label(area, "Label3", QStringLiteral("Attivo"), 248, 144);
    cmbColore = new QComboBox(area);
    cmbColore->setObjectName(QStringLiteral("cmbColore"));
    cmbColore->move(296, 144);
    cmbColore->setFixedWidth(169);
    cmbColore->addItem(QStringLiteral("--Seleziona Colore"));
    label(area, "Label1", QStringLiteral("Testo"), 216, 0);
    label(area, "Label2", QStringLiteral("Azione"), 216, 48);
    auto* image = place(new QLabel(area), "Image1", 500, 112, 48, 48);
    image->setPixmap(Artwork::decoration(0));

    // A long caption is cut short rather than given a scroll bar that would
    // hide the last line.
    lstBottoni->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // A line chosen with the mouse, or with the keys (the arrows select as
    // they move, Space selects the marked line); the focus alone only marks a
    // line without selecting it.
    connect(lstBottoni, &QListWidget::itemClicked, this, [this] { lstBottoni_Click(); });
    connect(lstBottoni, &QListWidget::itemSelectionChanged, this, [this] {
        if (!m_reloading && selectedRow() >= 0)
            lstBottoni_Click();
    });

    Form_Load();
}

void FrmBottoni::Form_Load() {
    reload(false);
    for (const ButtonColour& c : ButtonColours)
        cmbColore->addItem(QString::fromUtf8(c.name));
    cmbColore->setCurrentIndex(0);

    struct Spec {
        const char* caption;
        double left, top;
        bool attivo;
        const char* icon;
    };
    static const Spec specs[] = {
        {"Modifica", 100, 15, false, "modifica"}, {"Elimina", 100, 45, false, "elimina"},
        {"Conferma", 470, 15, false, "conferma"}, {"Annulla", 470, 45, false, "annulla"},
        {"Esci", 470, 75, true, "esci"},
    };
    QList<QPixmap> icons;
    for (const Spec& s : specs) {
        CButton b;
        b.setStile(2);
        b.setCaption(QString::fromUtf8(s.caption));
        b.setAttivo(s.attivo);
        b.setTop(s.top);
        b.setLeft(s.left);
        buttons().push_back(b);
        icons.append(Artwork::icon(QString::fromUtf8(s.icon)));
    }
    createButtonControls(icons);
}

int FrmBottoni::selectedRow() const {
    // The focus can mark a line as current without selecting it: only a
    // selected line names a button.
    const QList<QListWidgetItem*> selected = lstBottoni->selectedItems();
    return selected.isEmpty() ? -1 : lstBottoni->row(selected.first());
}

QString FrmBottoni::selectedSection() const {
    return buttonSection(selectedRow() + 1);
}

void FrmBottoni::lstBottoni_Click() {
    const QString section = selectedSection();
    // The box would cut a longer caption, and Conferma would store it cut.
    const QString caption = ReadConfigValue(m_api, section, kKeyCaption);
    txtTesto->setMaxLength(std::max(kMaxCaption, int(caption.size())));
    txtTesto->setText(caption);
    // Shown as stored: the "<%>" separators stay visible.
    txtAzione->setPlainText(ReadConfigValue(m_api, section, kKeyAzione));
    setActive(Modifica, true);
    setActive(Elimina, true);
    repaintButtons();
}

void FrmBottoni::lblShape_Click(int index) {
    if (index < 0 || index >= int(buttons().size()) || !buttons()[size_t(index)].Attivo())
        return;
    switch (Command(index)) {
    case Modifica:
        modifica();
        break;
    case Elimina:
        elimina();
        break;
    case Conferma:
        conferma();
        break;
    case Annulla:
        for (Command c : {Modifica, Elimina, Conferma, Annulla})
            setActive(c, false);
        break;
    case Esci:
        reject();
        return;
    }
    repaintButtons();
}

void FrmBottoni::modifica() {
    setActive(Modifica, false);
    setActive(Elimina, false);
    setActive(Conferma, true);
    setActive(Annulla, true);
    txtTesto->setEnabled(true);
    txtAzione->setEnabled(true);
    txtTesto->setFocus();
}

void FrmBottoni::elimina() {
    if (msgBox(this, QStringLiteral("Sei sicuro di voler cancellare questo bottone?"),
               Msg::YesNo | Msg::Critical, QStringLiteral("Elimina")) != Msg::Yes)
        return;
    const bool ok = writeValues(selectedSection(), {{kKeyCaption, QStringLiteral("Vuoto")},
                                                    {kKeyAzione, QString()},
                                                    {kKeyStato, QStringLiteral("Disattivo")},
                                                    {kKeyColore, QStringLiteral("&HC0C0C0")}});
    reload(!ok);
    if (!ok)
        return;
    txtTesto->clear();
    txtAzione->clear();
    setActive(Modifica, false);
    setActive(Elimina, false);
}

void FrmBottoni::conferma() {
    if (txtTesto->text().isEmpty()) {
        msgBox(this, QStringLiteral("Non è stato inserito alcun testo"), Msg::Critical, kErrore);
        return;
    }
    if (typedText(txtAzione).isEmpty()) {
        msgBox(this, QStringLiteral("Non è stato inserita alcuna azione"), Msg::Critical, kErrore);
        return;
    }
    const int colour = cmbColore->currentIndex();
    if (colour == 0) {
        msgBox(this, QStringLiteral("Non è stato selezionato il colore"), Msg::Critical, kErrore);
        return;
    }
    const QString file = QStringLiteral("config.ini");
    if (!fitsCodePage(txtTesto, file, kErrore) || !fitsCodePage(txtAzione, file, kErrore))
        return;
    const QString c = colour >= 1 && colour <= int(ButtonColours.size())
                          ? QString::fromUtf8(ButtonColours[size_t(colour - 1)].value)
                          : QString();
    const QString s = chkAtt->isChecked() ? QStringLiteral("Attivo") : QStringLiteral("Disattivo");
    // Each line of the action box is one command.
    QString a = typedText(txtAzione);
    a.replace(QLatin1String("\r\n"), QLatin1String("<%>"));
    a.replace(QLatin1Char('\r'), QLatin1String("<%>"));
    a.replace(QLatin1Char('\n'), QLatin1String("<%>"));
    // A caption is one line of the file.
    QString caption = txtTesto->text();
    caption.replace(QLatin1Char('\r'), QLatin1Char(' '))
        .replace(QLatin1Char('\n'), QLatin1Char(' '));

    const bool ok =
        writeValues(selectedSection(),
                    {{kKeyCaption, caption}, {kKeyAzione, a}, {kKeyColore, c}, {kKeyStato, s}});
    reload(!ok);
    if (!ok)
        return;
    for (Command cmd : {Modifica, Elimina, Conferma, Annulla})
        setActive(cmd, false);
}

bool FrmBottoni::writeValues(const QString& section, const QList<QPair<QString, QString>>& values) {
    for (const auto& [key, value] : values) {
        if (!WriteConfigValue(m_api, section, key, value)) {
            msgBox(this,
                   QStringLiteral("Impossibile salvare il file config.ini nella cartella del "
                                  "programma: le modifiche al bottone non sono state salvate."),
                   Msg::Critical, kErrore);
            return false;
        }
    }
    return true;
}

void FrmBottoni::reload(bool keepSelection) {
    const int row = selectedRow();
    m_reloading = true;
    LoadButtons(m_api, m_bar, lstBottoni);
    if (keepSelection && row >= 0)
        lstBottoni->setCurrentRow(row);
    m_reloading = false;
}

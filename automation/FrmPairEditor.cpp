#include "automation/FrmPairEditor.h"

#include "automation/ActionText.h"
#include "ui/Artwork.h"
#include "ui/Dialogs.h"
#include "ui/FileResultBox.h"
#include "ui/TextBoxes.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>

namespace {

// Only spaces count, as the checks were written: a line break is content.
QString trimSpaces(const QString& s) {
    qsizetype b = 0, e = s.size();
    while (b < e && s.at(b) == QLatin1Char(' '))
        ++b;
    while (e > b && s.at(e - 1) == QLatin1Char(' '))
        --e;
    return s.mid(b, e - b);
}

// The action box holds one command a line.
QString actionFromBox(QString text) {
    text.replace(QLatin1String("\r\n"), ActionText::kSeparator);
    text.replace(QLatin1Char('\n'), ActionText::kSeparator);
    return text;
}

QString actionToBox(QString action) {
    return action.replace(ActionText::kSeparator, QStringLiteral("\n"));
}

struct ButtonSpec {
    const char* caption;
    const char* icon;
    int left, top;
};
constexpr ButtonSpec kButtons[] = {
    {"Nuovo", "nuovo", 170, 25},     {"Modifica", "modifica", 170, 55},
    {"Elimina", "elimina", 170, 85}, {"Conferma", "conferma", 500, 25},
    {"Annulla", "annulla", 500, 55}, {"Esci", "esci", 500, 85},
};

} // namespace

PairEditorConfig PairEditorConfig::triggers() {
    PairEditorConfig c;
    c.kind = Stores::Kind::Triggers;
    c.windowName = QStringLiteral("frmTrigger");
    c.caption = QStringLiteral("Trigger Setting");
    c.listName = QStringLiteral("lstTrigger");
    c.clientSize = QSize(643, 204);
    c.labels = {{QStringLiteral("Label1_1"), QStringLiteral("Trigger"), QPoint(16, 8)},
                {QStringLiteral("Label1_0"), QStringLiteral("Testo"), QPoint(280, 8)},
                {QStringLiteral("Label2"), QStringLiteral("Azione"), QPoint(280, 56)}};
    c.deleteQuestion = QStringLiteral("Sei sicuro di voler cancellare questo trigger?");
    return c;
}

PairEditorConfig PairEditorConfig::aliases() {
    PairEditorConfig c;
    c.kind = Stores::Kind::Aliases;
    c.windowName = QStringLiteral("frmAlias");
    c.caption = QStringLiteral("Alias Settings");
    c.listName = QStringLiteral("lstAlias");
    c.clientSize = QSize(624, 201);
    c.labels = {{QStringLiteral("Label1"), QStringLiteral("Testo"), QPoint(288, 8)},
                {QStringLiteral("Label2"), QStringLiteral("Azione"), QPoint(288, 56)}};
    c.deleteQuestion = QStringLiteral("Sei sicuro di voler cancellare questo Alias?");
    return c;
}

FrmPairEditor::FrmPairEditor(Api& api, PairEditorConfig config, QWidget* parent)
    : ToolWindow(parent, Frame::Shaped), m_api(api), m_config(std::move(config)) {
    setObjectName(m_config.windowName);
    setWindowTitle(m_config.caption);
    connect(this, &ToolWindow::buttonClicked, this, &FrmPairEditor::lblShape_Click);
    setClientSize(m_config.clientSize.width(), m_config.clientSize.height());
    QWidget* area = clientArea();

    m_list = new QListWidget(area);
    m_list->setObjectName(m_config.listName);
    m_list->setGeometry(16, 24, 145, 160);
    m_list->setSortingEnabled(false);
    // A click shows the entry, even the one already selected; so does moving
    // the selection with the keyboard.
    connect(m_list, &QListWidget::itemClicked, this, [this] { listClick(); });
    connect(m_list, &QListWidget::itemSelectionChanged, this, [this] { listClick(); });

    m_txtTesto = new QLineEdit(area);
    m_txtTesto->setObjectName(QStringLiteral("txtTesto"));
    m_txtTesto->setGeometry(280, 24, 209, 25);

    m_txtAzione = new QPlainTextEdit(area);
    m_txtAzione->setObjectName(QStringLiteral("txtAzione"));
    m_txtAzione->setGeometry(280, 72, 209, 113);
    m_txtAzione->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m_txtAzione->setTabChangesFocus(true);

    for (const auto& l : m_config.labels) {
        auto* label = new QLabel(l.caption, area);
        label->setObjectName(l.name);
        label->move(l.pos);
        label->adjustSize();
    }
    auto* decoration = new QLabel(area);
    decoration->setObjectName(QStringLiteral("Image1"));
    decoration->setPixmap(Artwork::decoration(0));
    decoration->setGeometry(526, 135, 48, 48);

    Form_Load();
}

void FrmPairEditor::Form_Load() {
    setTile(Artwork::toolTile());
    load();
    QList<QPixmap> icons;
    for (const auto& b : kButtons) {
        CButton button;
        button.init(QString::fromUtf8(b.caption), b.top, b.left, 2, false);
        buttons().push_back(button);
        icons.append(Artwork::icon(QString::fromLatin1(b.icon)));
    }
    createButtonControls(icons);
    setState(State::Browsing);
}

bool FrmPairEditor::load() {
    const FileResult result = Stores::load(m_api, m_config.kind, m_list);
    showFileResult(this, result);
    if (result)
        return true;
    // The file could not be read: go on with the table in memory as it is.
    PairTable& table = Stores::tableOf(m_api, m_config.kind);
    table.count = qint32(qMax<qsizetype>(table.texts.size() - 1, 0));
    table.touch();
    return false;
}

void FrmPairEditor::saveAndReload() {
    const FileResult result = Stores::save(m_api, m_config.kind);
    if (result) {
        load();
        return;
    }
    showFileResult(this, result);
    // Keep the player's change in memory, counted and shown, rather than
    // reading back the old file; the message box has told what happened.
    PairTable& table = Stores::tableOf(m_api, m_config.kind);
    table.count = qint32(qMax<qsizetype>(table.texts.size() - 1, 0));
    table.touch();
    Stores::fillList(table, m_list);
}

void FrmPairEditor::setState(State s) {
    m_state = s;
    const bool editing = s != State::Browsing;
    auto& b = buttons();
    b[Nuovo].setAttivo(!editing);
    b[Modifica].setAttivo(false);
    b[Elimina].setAttivo(false);
    b[Conferma].setAttivo(editing);
    b[Annulla].setAttivo(editing);
    b[Esci].setAttivo(true);
    m_txtTesto->setEnabled(editing);
    m_txtAzione->setEnabled(editing);
    if (s == State::Browsing) {
        m_txtTesto->clear();
        m_txtAzione->clear();
    }
}

void FrmPairEditor::lblShape_Click(int index) {
    if (index < 0 || index >= int(buttons().size()) || !buttons()[size_t(index)].Attivo())
        return;
    switch (index) {
    case Nuovo:
        if (!Stores::hasRoom(Stores::tableOf(m_api, m_config.kind))) {
            refuseNewEntry();
            return;
        }
        setState(State::NewEntry);
        m_txtTesto->setFocus();
        m_txtTesto->clear();
        m_txtAzione->clear();
        break;
    case Modifica:
        setState(State::Modifying);
        m_oldText = m_txtTesto->text();
        m_modifyMode = true;
        break;
    case Elimina:
        doElimina();
        break;
    case Conferma:
        doConferma();
        return; // repaints itself when it gets through its checks
    case Annulla:
        load();
        setState(State::Browsing);
        m_modifyMode = false;
        break;
    case Esci:
        close();
        return;
    }
    repaintButtons();
}

void FrmPairEditor::doElimina() {
    const int answer = msgBox(this, m_config.deleteQuestion, Msg::YesNo | Msg::Critical,
                              QStringLiteral("Elimina"));
    if (answer == Msg::Yes) {
        PairTable& table = Stores::tableOf(m_api, m_config.kind);
        const QString text = m_txtTesto->text();
        // The spare element is never an entry, so it is never removed.
        for (qsizetype i = 0; i + 1 < table.texts.size(); ++i) {
            if (table.texts.at(i) == text) {
                table.texts.removeAt(i);
                table.actions.removeAt(i);
                table.touch();
                break;
            }
        }
    }
    saveAndReload();
    setState(State::Browsing);
    m_modifyMode = false;
}

void FrmPairEditor::refuseNewEntry() {
    // Said before anything is typed: an entry beyond the limit would be saved
    // but never fire nor show in the list.
    msgBox(this,
           QStringLiteral("Il file %1 contiene già %2 voci, il massimo: una voce in più non "
                          "sarebbe attiva.\nEliminarne una per fare posto.")
               .arg(Stores::fileName(m_config.kind))
               .arg(PairTable::kMaxEntries),
           Msg::Exclamation, QStringLiteral("Attenzione"));
}

void FrmPairEditor::doConferma() {
    if (trimSpaces(typedText(m_txtAzione)).isEmpty()) {
        msgBox(this, QStringLiteral("non è stato inserito alcuna azione"), Msg::Critical,
               QStringLiteral("Azione mancante"));
        m_txtAzione->setFocus();
        return;
    }
    if (trimSpaces(m_txtTesto->text()).isEmpty()) {
        msgBox(this, QStringLiteral("non è stato inserito alcun testo"), Msg::Critical,
               QStringLiteral("Testo mancante"));
        m_txtTesto->setFocus();
        return;
    }
    const QString file = Stores::fileName(m_config.kind);
    const QString title = QStringLiteral("Carattere non valido");
    if (!fitsCodePage(m_txtTesto, file, title) || !fitsCodePage(m_txtAzione, file, title))
        return;
    const QString action = actionFromBox(typedText(m_txtAzione));
    const QString text = m_txtTesto->text();
    PairTable& table = Stores::tableOf(m_api, m_config.kind);
    if (m_modifyMode) {
        // Every entry that had the text shown when Modifica was pressed.
        for (qsizetype i = 0; i < table.texts.size(); ++i) {
            if (table.texts.at(i) == m_oldText) {
                table.texts[i] = text;
                table.actions[i] = action;
            }
        }
        m_modifyMode = false;
    } else {
        // The new entry takes the spare element's place; a new spare follows.
        const qsizetype n = table.count < 1 ? 0 : qMax<qsizetype>(table.texts.size() - 1, 0);
        table.texts.resize(n + 2);
        table.actions.resize(n + 2);
        table.texts[n] = text;
        table.actions[n] = action;
    }
    table.touch();
    saveAndReload();
    setState(State::Browsing);
    repaintButtons();
}

void FrmPairEditor::listClick() {
    const QList<QListWidgetItem*> selected = m_list->selectedItems();
    const QString s = selected.isEmpty() ? QString() : selected.first()->text();
    if (s.isEmpty())
        return;
    const PairTable& table = Stores::tableOf(m_api, m_config.kind);
    // The walk goes on past a match: of equal texts the last one is shown.
    for (qsizetype i = 0; i < table.texts.size(); ++i) {
        if (table.texts.at(i) == s) {
            m_txtAzione->setPlainText(actionToBox(table.actions.value(i)));
            m_txtTesto->setText(table.texts.at(i));
        }
    }
    buttons()[Modifica].setAttivo(true);
    buttons()[Elimina].setAttivo(true);
    repaintButtons();
}

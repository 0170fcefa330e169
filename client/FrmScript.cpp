#include "client/FrmScript.h"

#include "ui/Dialogs.h"

#include <QDir>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
QString counted(int n, const char* one, const char* many) {
    return QStringLiteral("%1 %2").arg(n).arg(QString::fromUtf8(n == 1 ? one : many));
}
} // namespace

FrmScript::FrmScript(ScriptEngine& engine, QWidget* parent) : QDialog(parent), m_engine(engine) {
    setObjectName(QStringLiteral("frmScript"));
    setWindowTitle(QStringLiteral("Script"));

    auto* filesCaption = new QLabel(QStringLiteral("&File caricati:"), this);
    m_files = new QListWidget(this);
    m_files->setObjectName(QStringLiteral("lstScript"));
    m_files->setAccessibleName(QStringLiteral("File caricati"));
    filesCaption->setBuddy(m_files);

    auto* errorsCaption = new QLabel(QStringLiteral("&Ultimi errori:"), this);
    m_errors = new QListWidget(this);
    m_errors->setObjectName(QStringLiteral("lstErrori"));
    m_errors->setAccessibleName(QStringLiteral("Ultimi errori"));
    errorsCaption->setBuddy(m_errors);

    auto* reload = new QPushButton(QStringLiteral("&Ricarica"), this);
    reload->setObjectName(QStringLiteral("cmdRicarica"));
    auto* folder = new QPushButton(QStringLiteral("&Apri cartella"), this);
    folder->setObjectName(QStringLiteral("cmdApriCartella"));
    auto* close = new QPushButton(QStringLiteral("&Chiudi"), this);
    close->setObjectName(QStringLiteral("cmdChiudi"));

    m_result = new QLabel(this);
    m_result->setObjectName(QStringLiteral("lblEsito"));
    m_result->setWordWrap(true);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(reload);
    buttons->addWidget(folder);
    buttons->addStretch();
    buttons->addWidget(close);
    auto* grid = new QGridLayout(this);
    grid->addWidget(filesCaption, 0, 0);
    grid->addWidget(m_files, 1, 0);
    grid->addWidget(errorsCaption, 2, 0);
    grid->addWidget(m_errors, 3, 0);
    grid->addLayout(buttons, 4, 0);
    grid->addWidget(m_result, 5, 0);
    setTabOrder(m_files, m_errors);
    setTabOrder(m_errors, reload);
    setTabOrder(reload, folder);
    setTabOrder(folder, close);
    resize(560, 420);

    connect(reload, &QPushButton::clicked, this, &FrmScript::reload);
    connect(folder, &QPushButton::clicked, this, &FrmScript::openFolder);
    connect(close, &QPushButton::clicked, this, &QDialog::accept);
    connect(&m_engine, &ScriptEngine::changed, this, &FrmScript::refresh);
    refresh();
    m_files->setCurrentRow(0);
    m_files->setFocus();
}

QString FrmScript::fileLine(const ScriptEngine::FileSummary& s) {
    QStringList made;
    const auto add = [&](int n, const char* one, const char* many) {
        if (n > 0)
            made << counted(n, one, many);
    };
    add(s.triggers, "trigger", "trigger");
    add(s.aliases, "alias", "alias");
    add(s.timers, "timer", "timer");
    add(s.gags, "gag", "gag");
    add(s.substitutes, "sostituzione", "sostituzioni");
    add(s.highlights, "evidenziazione", "evidenziazioni");
    add(s.handlers, "evento", "eventi");
    const QString file = s.file.isEmpty() ? QStringLiteral("(senza file)") : s.file;
    return file + QStringLiteral(": ") +
           (made.isEmpty() ? QStringLiteral("niente di attivo") : made.join(QStringLiteral(", ")));
}

void FrmScript::refresh() {
    const int fileRow = m_files->currentRow();
    m_files->clear();
    for (const ScriptEngine::FileSummary& s : m_engine.summary())
        m_files->addItem(fileLine(s));
    if (m_files->count() == 0)
        m_files->addItem(QStringLiteral("Nessuno script in %1")
                             .arg(QDir::toNativeSeparators(m_engine.folder())));
    m_files->setCurrentRow(qBound(0, fileRow, m_files->count() - 1));

    // Newest last, and the newest in view.
    m_errors->clear();
    m_errors->addItems(m_engine.lastErrors());
    if (m_errors->count() == 0)
        m_errors->addItem(QStringLiteral("Nessun errore"));
    m_errors->setCurrentRow(m_errors->count() - 1);
}

void FrmScript::reload() {
    m_engine.reload();
    const int files = int(m_engine.summary().size());
    const int errors = int(m_engine.lastErrors().size());
    say(QStringLiteral("Script ricaricati: %1, %2")
            .arg(counted(files, "file", "file"), counted(errors, "errore", "errori")));
}

void FrmScript::openFolder() {
    const QString folder = m_engine.folder();
    const QString shown = QDir::toNativeSeparators(folder);
    // An empty folder is where the player's first script goes.
    if (!QDir().mkpath(folder)) {
        msgBox(this, QStringLiteral("Impossibile creare la cartella degli script:\n%1").arg(shown),
               Msg::Exclamation, QStringLiteral("Script"));
        return;
    }
    if (!dialogs().openFolder(folder)) {
        msgBox(this,
               QStringLiteral("Impossibile aprire la cartella degli script con il programma dei "
                              "file del sistema:\n%1")
                   .arg(shown),
               Msg::Exclamation, QStringLiteral("Script"));
        return;
    }
    say(QStringLiteral("Cartella degli script aperta: %1").arg(shown));
}

void FrmScript::say(const QString& text) {
    m_result->setText(text);
    emit resultShown(text);
}

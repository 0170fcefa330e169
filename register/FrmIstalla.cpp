#include "FrmIstalla.h"

#include "ProcessStart.h"

#include <QFontMetrics>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {
const QString kCrLf = QStringLiteral("\r\n");
} // namespace

const QString FrmIstalla::kInstructions =
    QStringLiteral("Cliccare sul pulsante REGISTRA e leggere i attentamente i box.") + kCrLf +
    QStringLiteral("Se non e' stato possibile registrare tutti i componenti.") + kCrLf +
    QStringLiteral("Verificare che i file RICHTX32.OCX e CSWSK32.OCX siano pr esenti") + kCrLf +
    QStringLiteral("nella directory di questo eseguibile e riprovare.") + kCrLf + kCrLf +
    QStringLiteral("Se i problemi persistono provare a registrare i componenti manualmente") +
    kCrLf + QStringLiteral("come indicato nel file README.TXT");

FrmIstalla::FrmIstalla(const QString& folder, QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint),
      m_folder(folder) {
    setObjectName(QStringLiteral("frmIstalla"));
    setWindowTitle(QStringLiteral("Ormund"));
    setFixedSize(411, 201);

    m_stato = new QLabel(this);
    m_stato->setObjectName(QStringLiteral("lblStato"));
    m_stato->setGeometry(8, 8, 393, 153);
    m_stato->setAutoFillBackground(true);
    QPalette pal = m_stato->palette();
    pal.setColor(QPalette::Window, QColor(255, 255, 192));
    m_stato->setPalette(pal);
    m_stato->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    m_stato->setMargin(2);
    QString shown = kInstructions;
    shown.replace(kCrLf, QStringLiteral("\n"));
    // The lines break where the instructions break them: a face wider than
    // the designed one gets a smaller size instead of extra breaks.
    QFont f = font();
    const QRect box = m_stato->contentsRect();
    for (qreal pt = f.pointSizeF(); pt > 6; pt -= 0.5) {
        f.setPointSizeF(pt);
        const QRect need = QFontMetrics(f).boundingRect(box, Qt::AlignLeft | Qt::AlignTop, shown);
        if (need.width() <= box.width() && need.height() <= box.height())
            break;
    }
    m_stato->setFont(f);
    m_stato->setText(shown);

    auto* registra = new QPushButton(QStringLiteral("REGISTRA"), this);
    registra->setObjectName(QStringLiteral("Command1"));
    registra->setGeometry(216, 168, 89, 25);
    registra->setAutoDefault(false);
    connect(registra, &QPushButton::clicked, this, &FrmIstalla::Command1_Click);

    auto* esci = new QPushButton(QStringLiteral("ESCI"), this);
    esci->setObjectName(QStringLiteral("Command2"));
    esci->setGeometry(312, 168, 89, 25);
    esci->setAutoDefault(false);
    connect(esci, &QPushButton::clicked, this, &FrmIstalla::Command2_Click);
}

QString FrmIstalla::commandLine(const QString& folder, const QString& component) {
    // Only the folder is quoted: the tool's parser joins it with the rest.
    return QStringLiteral("regsvr32 \"") + folder + QStringLiteral("\"\\") + component;
}

void FrmIstalla::Command1_Click() {
    // Each tool reports its own outcome in its own box; a start that fails
    // is passed over so that the other component is still registered.
    for (const char* component : {"RICHTX32.OCX", "CSWSK32.OCX"})
        ProcessStart::start(commandLine(m_folder, QString::fromLatin1(component)),
                            ProcessStart::kNormalFocus, m_folder);
}

void FrmIstalla::Command2_Click() {
    close();
}

void FrmIstalla::keyPressEvent(QKeyEvent* event) {
    if (event->matches(QKeySequence::Cancel)) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

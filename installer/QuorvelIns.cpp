#include "QuorvelIns.h"

#include "MessageBoxes.h"
#include "PageDocument.h"
#include "ProcFsProcessSource.h"
#include "ProcessWatch.h"
#include "SetupCommand.h"
#include "TextFiles.h"
#include "WatchLog.h"
#include "ui_QuorvelIns.h"

#include <QDir>
#include <QListWidget>
#include <QProcess>

// The pictures are compiled into the installer's library; a static library
// needs its resource bundle registered by hand.
static void registerPictures()
{
    Q_INIT_RESOURCE(QuorvelIns);
}

namespace {

constexpr int kProgressPeriodMs = 1000;

QtMessageBoxes &realMessageBoxes()
{
    static QtMessageBoxes boxes;
    return boxes;
}

} // namespace

QuorvelIns::QuorvelIns(QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , m_ui(new Ui::QuorvelInsClass)
    , m_progressTimer(this)
    , m_processSource(&systemProcesses())
    , m_messageBoxes(&realMessageBoxes())
{
    registerPictures();
    m_ui->setupUi(this);
    m_progressTimer.setObjectName(QStringLiteral("progressTimer"));

    // Both pages ship beside the installer; a missing one leaves its page empty.
    readTextFile(QStringLiteral("Intro.html"), m_introHtml);
    readTextFile(QStringLiteral("ReadMe.html"), m_readmeHtml);
    m_settings = InstallerSettings::read();
    m_watchedName = SetupCommand(m_settings.setupName).watchedName();

    fillOptions();
    connect(m_ui->lswOptions, &QListWidget::currentItemChanged, this, &QuorvelIns::onChangeOption);
    connect(m_ui->butStartSetup, &QPushButton::clicked, this, &QuorvelIns::onButStartSetupClicked);
    connect(&m_progressTimer, &QTimer::timeout, this, &QuorvelIns::onProgressTimeout);

    // The pages' pictures come from the installer's folder only.
    m_ui->edrIntro->setDocument(new PageDocument(QDir::current(), m_ui->edrIntro));
    m_ui->edrReadme->setDocument(new PageDocument(QDir::current(), m_ui->edrReadme));
    m_ui->edrReadme->document()->setMetaInformation(QTextDocument::DocumentTitle, QString());
    m_ui->edrIntro->document()->setHtml(m_introHtml);
    m_ui->edrReadme->document()->setHtml(readmeForDisplay(m_readmeHtml, m_settings));
}

QuorvelIns::~QuorvelIns() = default;

void QuorvelIns::setProcessSource(const ProcessSource *source)
{
    m_processSource = source ? source : &systemProcesses();
}

void QuorvelIns::setMessageBoxes(MessageBoxes *boxes)
{
    m_messageBoxes = boxes ? boxes : &realMessageBoxes();
}

void QuorvelIns::fillOptions()
{
    QListWidget *list = m_ui->lswOptions;
    list->setViewMode(QListView::IconMode);
    list->setMovement(QListView::Static);
    list->setSpacing(12);
    if (m_settings.setupId != 0) {
        list->setIconSize(QSize(160, 160));
        list->setFixedWidth(200);
    } else {
        list->setIconSize(QSize(120, 120));
        list->setFixedWidth(160);
        // The compact list leaves the pages 40 pixels less to cover.
        setMaximumWidth(width() - 40);
    }
    addOption(tr("Introduction"), QStringLiteral(":/QuorvelIns/Resources/images/QuorvelICO.png"));
    addOption(tr("Readme"), QStringLiteral(":/QuorvelIns/Resources/images/readme.png"));
    addOption(tr("Install"), QStringLiteral(":/QuorvelIns/Resources/images/setup.png"));
    addOption(tr("Exit"), QStringLiteral(":/QuorvelIns/Resources/images/exit.png"));
}

void QuorvelIns::addOption(const QString &text, const QString &icon)
{
    auto *item = new QListWidgetItem(QIcon(icon), text, m_ui->lswOptions);
    item->setTextAlignment(Qt::AlignHCenter);
    item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
}

void QuorvelIns::onChangeOption(QListWidgetItem *pOptCurrent, QListWidgetItem *pOptPrevious)
{
    Q_UNUSED(pOptPrevious)
    // Clearing the list reports a null current item; there is nothing to show then.
    if (!pOptCurrent)
        return;
    const int row = m_ui->lswOptions->row(pOptCurrent);
    if (row != RowExit) {
        m_ui->stackedWidget->setCurrentIndex(row);
        return;
    }
    qCDebug(lcSetupWatch) << "Exit chosen;" << (m_setupRunning ? "the setup runs: asking first" : "nothing runs");
    if (m_setupRunning) {
        const QString text = tr("Attenzione: il processo installazione è attivo !\n"
                                "Uscendo l'intallazione potrebbe terminare in modo non corretto!\n"
                                "Vuoi abbandonare comunque l'installazione ?");
        if (m_messageBoxes->askWarning(tr("Quorvel Install"), text) == QMessageBox::No) {
            qCDebug(lcSetupWatch) << "the user stays";
            return;
        }
    }
    done(QDialog::Rejected);
}

void QuorvelIns::onButStartSetupClicked()
{
    if (m_setupRunning) {
        qCDebug(lcSetupWatch) << "Start ignored: the setup still runs";
        return;
    }
    m_setupRunning = true;
    m_ui->pbarSetup->setValue(m_ui->pbarSetup->minimum());

    m_setupProcess.reset(new QProcess);
    if (!SetupCommand(m_settings.setupName).startDetached(*m_setupProcess)) {
        // Nothing runs, so nothing is watched: the user is told which
        // command failed instead of seeing a bar that never moves.
        m_setupRunning = false;
        qCDebug(lcSetupWatch) << "setup command" << m_settings.setupName << "did not start";
        const QString text = m_settings.setupName.trimmed().isEmpty()
            ? tr("QuorvelIns.ini non indica il programma di installazione (SETUPNAME).")
            : tr("Impossibile avviare il programma di installazione:\n%1").arg(m_settings.setupName);
        m_messageBoxes->showError(tr("Quorvel Install"), text);
        return;
    }
    qCDebug(lcSetupWatch) << "setup command" << m_settings.setupName << "started; watching for" << m_watchedName;
    m_progressTimer.start(kProgressPeriodMs);
}

void QuorvelIns::onProgressTimeout()
{
    QProgressBar *bar = m_ui->pbarSetup;
    if (!m_setupRunning) {
        bar->setValue(bar->minimum());
        return;
    }
    const int value = bar->value();
    bar->setValue(value >= bar->maximum() ? bar->minimum() : value + 1);
    m_setupRunning = isProcessRunning(m_watchedName, *m_processSource);
    if (!m_setupRunning)
        qCDebug(lcSetupWatch) << "the setup has ended: the bar rests at its start";
}

#include "QDockQuorvelEnv.h"
#include "ui_QDockQuorvelEnv.h"

#include "HelpManual.h"
#include "QDlgQuorvelAbout.h"
#include "player/MediaPlayer.h"
#include "DetachedStart.h"
#include "startup/LauncherSettings.h"

#include <QCursor>
#include <QDesktopServices>
#include <QFileInfo>
#include <QMenu>
#include <QProcess>
#include <QSettings>
#include <QSpacerItem>
#include <QToolButton>

namespace {

// The platform's programs carry ".exe" on Windows only.
QString programFileName(const QString &baseName)
{
#ifdef Q_OS_WIN
    return baseName + QStringLiteral(".exe");
#else
    return baseName;
#endif
}

constexpr int helpManualEntry = 0;
constexpr int aboutBoxEntry = 1;

} // namespace

QDockQuorvelEnv::QDockQuorvelEnv(QWidget *parent)
    : QDockWidget(parent)
    , m_ui(new Ui::QDockQuorvelEnv)
    , m_parentWidget(parent)
{
    m_ui->setupUi(this);
    readMachines();
    m_process = new QProcess;

    // Close requests go to the player; any other parent is simply closed.
    if (auto *player = qobject_cast<MediaPlayer *>(m_parentWidget)) {
        connect(this, &QDockQuorvelEnv::signalClose, player, &MediaPlayer::slotClose);
        connect(m_ui->butExit, &QPushButton::clicked, player, &MediaPlayer::slotClose);
    } else if (m_parentWidget) {
        connect(this, &QDockQuorvelEnv::signalClose, m_parentWidget, &QWidget::close);
        connect(m_ui->butExit, &QPushButton::clicked, m_parentWidget, &QWidget::close);
    }
    connect(m_ui->butHelp, &QPushButton::clicked, this, &QDockQuorvelEnv::onButHelp);
    connect(m_ui->butTool1, &QPushButton::clicked, this, &QDockQuorvelEnv::onButTool1);

    {
        const auto store = LauncherSettings::openMachineStore();
        m_pathBin = store->value(LauncherSettings::pathBinKey()).toString();
    }

    // The machine buttons form a column that scrolls when it is taller than
    // the panel.
    m_ui->scrollAreaWidgetContents->setLayout(m_ui->vLayout);
    addMachineButtons();
}

QDockQuorvelEnv::~QDockQuorvelEnv()
{
    // Deleting a process object ends the console or sender it still runs.
    delete m_consoleProcess;
    delete m_senderProcess;
    delete m_process;
    delete m_ui;
}

void QDockQuorvelEnv::readMachines()
{
    using namespace LauncherSettings;
    const auto store = openMachineStore();
    m_svnId = store->value(svnIdKey(), QString()).toString();
    store->beginGroup(machinesGroup());
    m_machineNames = store->childGroups();
    for (const QString &machine : qAsConst(m_machineNames)) {
        store->beginGroup(machine);
        m_pathBins << store->value(pathBinKey()).toString();
        m_pathMacs << store->value(pathMacKey()).toString();
        m_configs << store->value(configKey()).toString();
        m_svnIds << store->value(svnIdKey()).toString();
        m_protocolEnvs << store->value(protocolEnvKey()).toString();
        store->endGroup();
    }
    store->endGroup();
}

void QDockQuorvelEnv::addMachineButtons()
{
    QFont font(QStringLiteral("Arial"), 11, QFont::Bold, false);
    for (int i = 0; i < m_machineNames.size(); ++i) {
        auto *button = new QToolButton;
        const QString iconPath = m_pathMacs.at(i) + QStringLiteral("/Macchina.png");
        if (QFileInfo(iconPath).isFile())
            button->setIcon(QIcon(iconPath));
        button->setFont(font);
        button->setText(m_machineNames.at(i));
        button->setFixedSize(128, 128);
        button->setIconSize(QSize(110, 100));
        button->setToolButtonStyle(Qt::ToolButtonTextUnderIcon);
        m_ui->vLayout->insertWidget(i, button);
        connect(button, &QToolButton::clicked, this, &QDockQuorvelEnv::onButMachineClicked);
    }
    m_ui->vLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));
}

void QDockQuorvelEnv::onButMachineClicked()
{
    int machine = -1;
    for (int i = 0; i < m_ui->vLayout->count(); ++i) {
        if (m_ui->vLayout->itemAt(i)->widget() == sender()) {
            machine = i;
            break;
        }
    }
    if (machine < 0 || machine >= m_machineNames.size())
        return;
    bool numeric = false;
    if (m_protocolEnvs.at(machine).toInt(&numeric, 10) != 1 || !numeric)
        return;

    buildMachineArguments(machine);
    // A program that cannot be started is not reported: the launcher closes
    // all the same, as the operator asked for that machine.
    startDetachedIn(*m_process, m_pathBins.at(machine), m_arguments,
                    LauncherSettings::machineWorkingDirectory(m_pathMacs.at(machine)));
    close();
    emit signalClose();
}

void QDockQuorvelEnv::buildMachineArguments(int machine)
{
    m_arguments << QStringLiteral("-a") << m_pathBin << QStringLiteral("-m")
                << m_pathMacs.at(machine) << QStringLiteral("-n") << m_configs.at(machine)
                << QStringLiteral("-r") << m_svnIds.at(machine);
}

QMenu *QDockQuorvelEnv::createHelpMenu()
{
    auto *menu = new QMenu(this);
    menu->addAction(tr("Quorvel Help"))->setData(helpManualEntry);
    menu->addAction(tr("About Quorvel Platform"))->setData(aboutBoxEntry);
    return menu;
}

void QDockQuorvelEnv::onButHelp()
{
    QMenu *menu = createHelpMenu();
    const QAction *chosen = menu->exec(QCursor::pos());
    const int entry = chosen ? chosen->data().toInt() : -1;
    delete menu;
    if (entry == helpManualEntry)
        openHelpFile();
    else if (entry == aboutBoxEntry)
        showAboutBox();
}

void QDockQuorvelEnv::openHelpFile()
{
    using namespace LauncherSettings;
    const auto store = openUserStore();
    store->beginGroup(settingsGroup());
    // A value that is not a number reads as 0, Italian, the main program's
    // first language.
    const int language = store->value(languageKey(), QStringLiteral("-1")).toInt();
    store->endGroup();
    QDesktopServices::openUrl(HelpManual::manualUrl(language));
}

void QDockQuorvelEnv::showAboutBox()
{
    QDlgQuorvelAbout about(m_svnId, this, Qt::WindowFlags());
    about.exec();
}

void QDockQuorvelEnv::startTool(QProcess *&process, const QString &programName)
{
    delete process;
    process = new QProcess;
    // The tools write no output the launcher needs; passing it through keeps
    // it from piling up in the launcher's memory.
    process->setProcessChannelMode(QProcess::ForwardedChannels);
    const QString program = QFileInfo(m_pathBin).absolutePath() + QLatin1Char('/')
        + programFileName(programName);
    // An argument list keeps a program folder with blanks in one piece.
    process->start(program, QStringList(), QIODevice::ReadWrite);
}

void QDockQuorvelEnv::onButSendCo()
{
    startTool(m_senderProcess, QStringLiteral("SendQuorvel"));
}

void QDockQuorvelEnv::onButBrenlow()
{
    startTool(m_consoleProcess, QStringLiteral("Brenlow"));
}

void QDockQuorvelEnv::onButTool1()
{
}

#include "QProject.h"

#include "QMacXml.h"
#include "QMachine.h"
#include "DetachedStart.h"
#include "startup/LauncherSettings.h"

#include <QCoreApplication>
#include <QDataStream>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSettings>
#include <QTimer>

namespace {
// The description files are written by the platform's Qt 4.8 programs.
constexpr QDataStream::Version descriptionStreamVersion = QDataStream::Qt_4_8;
constexpr int projectHeaderSize = 4;
constexpr int machineIdOffset = 3;

QString machineIdSection() { return QStringLiteral("DESCRIZIONE"); }

// Only a regular file within the size bound is read: a pipe or a device
// would block the start-up, and a huge file is damaged, not a description.
bool isReadableDescription(const QString &path)
{
    const QFileInfo info(path);
    return info.isFile() && info.size() <= QProject::maxDescriptionBytes;
}
QString machineIdName() { return QStringLiteral("MACHID"); }
} // namespace

QProject::QProject(QObject *parent)
    : QObject(parent)
{
}

QProject::~QProject()
{
    delete m_process;
}

bool QProject::openProjectFile(const QString &path)
{
    // Only a regular file counts: a folder or a pipe given as project path
    // must not block the start-up.
    if (!QFileInfo(path).isFile())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(projectHeaderSize);
    file.close();
    if (header.size() < projectHeaderSize)
        return false;

    const int machineId = static_cast<unsigned char>(header.at(machineIdOffset));
    if (machineId == 0)
        return false;

    QString machineName;
    if (!findMachineById(machineId, machineName))
        return false;
    m_machineName = machineName;
    m_projectPath = path;
    return true;
}

bool QProject::findMachineById(int machineId, QString &machineName)
{
    using namespace LauncherSettings;
    const auto store = openMachineStore();
    store->beginGroup(machinesGroup());
    const QStringList machines = store->childGroups();
    for (const QString &machine : machines) {
        store->beginGroup(machine);
        const QString pathMac = store->value(pathMacKey()).toString();
        const QString rootFile = store->value(macRootFileKey()).toString();
        const int fileType = readInt(*store, macFileTypeKey());
        const int id = readMachineId(pathMac, rootFile, fileType);
        store->endGroup();
        if (id == machineId) {
            machineName = machine;
            store->endGroup();
            return true;
        }
    }
    store->endGroup();
    return false;
}

int QProject::readMachineId(const QString &pathMac, const QString &macRootFile, int macFileType)
{
    const QString path = pathMac + QLatin1Char('/') + macRootFile;
    switch (macFileType) {
    case 1:
        return readMachineFile(path);
    case 2:
        return readMacXmlFile(path);
    default:
        return 0;
    }
}

int QProject::readMachineFile(const QString &filePath)
{
    if (!isReadableDescription(filePath))
        return 0;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QDataStream stream(&file);
    stream.setVersion(descriptionStreamVersion);
    QMachine machine(this);
    machine.keepOnly(machineIdSection(), machineIdName());
    stream >> machine;
    file.close();
    if (stream.status() != QDataStream::Ok)
        return 0;
    int id = 0;
    machine.getInt(machineIdSection(), machineIdName(), id, 0);
    return id;
}

int QProject::readMacXmlFile(const QString &filePath)
{
    if (!isReadableDescription(filePath))
        return 0;
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    QMacXml description(this);
    QDataStream stream(&file);
    stream.setVersion(descriptionStreamVersion);
    stream >> description;
    file.close();
    if (stream.status() != QDataStream::Ok)
        return 0;
    return machineIdFromXml(description.xml());
}

bool QProject::startProjectProgram()
{
    using namespace LauncherSettings;
    const auto store = openMachineStore();
    store->beginGroup(machinesGroup());
    store->beginGroup(m_machineName);
    const QString pathBin = store->value(pathBinKey()).toString();
    const QString pathMac = store->value(pathMacKey()).toString();
    const QString config = store->value(configKey()).toString();
    const QString svnId = store->value(svnIdKey()).toString();
    const int protocolSta = readInt(*store, protocolStaKey());
    store->endGroup();
    store->endGroup();

    if (protocolSta != 1)
        return false;

    QStringList arguments;
    buildProjectArguments(arguments, pathMac, config, svnId);
    delete m_process;
    m_process = new QProcess;
    // A program that cannot be started is not reported: the launcher ends
    // the same way, and the operator sees that no machine program came up.
    startDetachedIn(*m_process, pathBin, arguments, machineWorkingDirectory(pathMac));
    QTimer::singleShot(quitDelayMs, QCoreApplication::instance(), &QCoreApplication::quit);
    return true;
}

void QProject::buildProjectArguments(QStringList &arguments, const QString &pathMac,
                                     const QString &config, const QString &svnId) const
{
    arguments << QStringLiteral("-m") << pathMac << QStringLiteral("-n") << config
              << QStringLiteral("-r") << svnId << QStringLiteral("-p") << m_projectPath;
}

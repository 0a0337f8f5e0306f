// A project file given on the launcher's command line, looked up among the
// machines of a settings store that holds one machine of each description
// type (ids 7 and 200) and one whose file is missing.
#include "FuzzSupport.h"
#include "LauncherFuzzSupport.h"
#include "records/QProject.h"
#include "startup/LauncherSettings.h"
#include "SettingsFileFormat.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QMap>
#include <QSettings>
#include <QTemporaryDir>

namespace {

QTemporaryDir &Folder()
{
    static QTemporaryDir folder;
    return folder;
}

void WriteDescription(const QString &path, int type, int machineId)
{
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        FuzzSupport::Fail("cannot write a description file");
    QDataStream stream(&file);
    stream.setVersion(QDataStream::Qt_4_8);
    stream << qint32(1);
    if (type == 1) {
        QMap<QString, QString> entries;
        entries.insert(QStringLiteral("[DESCRIZIONE] MACHID"), QString::number(machineId));
        stream << entries;
    } else {
        stream << QStringLiteral("<MAC><BODY><MACUID>%1</MACUID></BODY></MAC>").arg(machineId);
    }
}

void AddMachine(QSettings &store, const QString &name, int type, int machineId, bool withFile)
{
    const QString folder = Folder().filePath(name);
    QDir().mkpath(folder);
    if (withFile)
        WriteDescription(folder + QStringLiteral("/desc.mac"), type, machineId);
    store.beginGroup(name);
    store.setValue(QStringLiteral("PathMac"), folder);
    store.setValue(QStringLiteral("MacRootFile"), QStringLiteral("desc.mac"));
    store.setValue(QStringLiteral("MacFileType"), type);
    store.setValue(QStringLiteral("PathBin"), QStringLiteral("/bin/true"));
    store.setValue(QStringLiteral("ProtocolSta"), 1);
    store.endGroup();
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::EnsureApplication();
    InstallSilentLauncherMessages();
    // The machine store is read from a folder of the fuzzer's own, never
    // from the settings of the machine the fuzzer runs on.
    QSettings::setPath(SettingsFileFormat::format(), QSettings::SystemScope, Folder().filePath(QStringLiteral("system")));
    QSettings::setPath(SettingsFileFormat::format(), QSettings::UserScope, Folder().filePath(QStringLiteral("user")));
    const auto opened = LauncherSettings::openMachineStore();
    QSettings &store = *opened;
    store.beginGroup(QStringLiteral("Machines"));
    AddMachine(store, QStringLiteral("Missing"), 1, 5, false);
    AddMachine(store, QStringLiteral("Rettilinea"), 1, 7, true);
    AddMachine(store, QStringLiteral("Circolare"), 2, 200, true);
    store.endGroup();
    store.sync();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::WriteInputFile(data, size, QStringLiteral("progetto.qvl"));
    QProject project;
    const bool opened = project.openProjectFile(path);
    // Only the fourth byte picks the machine.
    const int id = size >= 4 ? data[3] : 0;
    if (opened != (id == 7 || id == 200))
        FuzzSupport::Fail("the project's machine was not the one its fourth byte names");
    if (opened && project.machineName() != (id == 7 ? QLatin1String("Rettilinea") : QLatin1String("Circolare")))
        FuzzSupport::Fail("the project opened with the wrong machine");
    return 0;
}

#include "LauncherSettings.h"

#include "SettingsFileFormat.h"

#include <QSettings>

namespace LauncherSettings {

namespace {
const char *const kOrganisation = "Prevok S.p.A.";
}

std::unique_ptr<QSettings> openMachineStore()
{
    return std::make_unique<QSettings>(SettingsFileFormat::format(), QSettings::SystemScope,
                                       QString::fromLatin1(kOrganisation),
                                       QStringLiteral("QuorvelEnv"));
}

std::unique_ptr<QSettings> openUserStore()
{
    return std::make_unique<QSettings>(SettingsFileFormat::format(), QSettings::UserScope,
                                       QString::fromLatin1(kOrganisation),
                                       QStringLiteral("Quorvel"));
}

int readInt(const QSettings &settings, const QString &key)
{
    bool ok = false;
    const int value = settings.value(key, QVariant()).toInt(&ok);
    return ok ? value : 0;
}

QString machineWorkingDirectory(const QString &pathMac)
{
    return pathMac + QStringLiteral("/bin");
}

} // namespace LauncherSettings

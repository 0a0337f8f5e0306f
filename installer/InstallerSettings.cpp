#include "InstallerSettings.h"

#include <QSettings>

InstallerSettings InstallerSettings::read(const QString &fileName)
{
    const QSettings ini(fileName, QSettings::IniFormat);
    InstallerSettings settings;
    settings.setupName = ini.value(QStringLiteral("SETUPNAME")).toString();
    settings.setupId = ini.value(QStringLiteral("SETUPID"), 0).toInt();
    settings.versionEnv = ini.value(QStringLiteral("VERSIONENV")).toString();
    return settings;
}

QString readmeForDisplay(const QString &html, const InstallerSettings &settings)
{
    if (settings.setupId == 0)
        return html;
    QString shown = html;
    shown.replace(QStringLiteral("x.x.x"), settings.versionEnv, Qt::CaseSensitive);
    return shown;
}

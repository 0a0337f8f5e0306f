#include "InstallerSettings.h"

#include "SettingsFileFormat.h"

#include <QSettings>

InstallerSettings InstallerSettings::read(const QString &fileName)
{
    // The platform's own reader: a byte-order mark is skipped, commas and
    // quotes inside the setup's command line stay as written.
    const QSettings ini(fileName, SettingsFileFormat::format());
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
    const QString mark = QStringLiteral("x.x.x");
    const QString &version = settings.versionEnv;
    QString shown;
    shown.reserve(qMin(html.size(), kMaxReadmeChars));
    int from = 0;
    for (;;) {
        const int at = html.indexOf(mark, from, Qt::CaseSensitive);
        if (at < 0)
            break;
        // Stop where one more version would take the text past the bound.
        const qint64 grown = qint64(html.size()) + (shown.size() - qint64(from)) + (version.size() - mark.size());
        if (grown > kMaxReadmeChars && version.size() > mark.size())
            break;
        shown += html.midRef(from, at - from);
        shown += version;
        from = at + mark.size();
    }
    shown += html.midRef(from);
    return shown;
}

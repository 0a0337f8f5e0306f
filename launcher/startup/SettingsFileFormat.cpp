#include "SettingsFileFormat.h"

#include <QIODevice>
#include <QMap>
#include <QStringList>

namespace SettingsFileFormat {

namespace {

const QLatin1String kTopLevel("General");

QString groupPath(QString text)
{
    text.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return text;
}

} // namespace

QSettings::Format format()
{
    static const QSettings::Format registered =
        QSettings::registerFormat(QStringLiteral("conf"), &read, &write, Qt::CaseSensitive);
    return registered;
}

bool read(QIODevice &device, QSettings::SettingsMap &map)
{
    const QByteArray bytes = device.read(maxFileBytes + 1);
    if (bytes.size() > maxFileBytes)
        return false;
    QString text = QString::fromUtf8(bytes);
    if (text.startsWith(QChar(0xFEFF)))
        text.remove(0, 1);

    QString group;
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (QString line : lines) {
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) || trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('[')) && trimmed.endsWith(QLatin1Char(']'))) {
            const QString name = trimmed.mid(1, trimmed.size() - 2);
            group = name == kTopLevel ? QString() : groupPath(name);
            continue;
        }
        const int equals = line.indexOf(QLatin1Char('='));
        if (equals < 0)
            continue;
        const QString key = groupPath(line.left(equals).trimmed());
        if (key.isEmpty())
            continue;
        map.insert(group.isEmpty() ? key : group + QLatin1Char('/') + key, line.mid(equals + 1));
    }
    return true;
}

bool write(QIODevice &device, const QSettings::SettingsMap &map)
{
    // Keys grouped by the group that holds them, top level first.
    QMap<QString, QStringList> groups;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        const QString value = it.value().toString();
        if (value.contains(QLatin1Char('\n')) || value.contains(QLatin1Char('\r')))
            return false;
        const int slash = it.key().lastIndexOf(QLatin1Char('/'));
        const QString group = slash < 0 ? QString() : it.key().left(slash);
        groups[group].append(it.key().mid(slash + 1) + QLatin1Char('=') + value);
    }
    QString text;
    for (auto it = groups.constBegin(); it != groups.constEnd(); ++it) {
        QString name = it.key().isEmpty() ? QString(kTopLevel) : it.key();
        name.replace(QLatin1Char('/'), QLatin1Char('\\'));
        text += QLatin1Char('[') + name + QStringLiteral("]\n") + it.value().join(QLatin1Char('\n'))
            + QStringLiteral("\n\n");
    }
    return device.write(text.toUtf8()) >= 0;
}

} // namespace SettingsFileFormat

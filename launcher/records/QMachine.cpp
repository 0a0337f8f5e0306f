#include "QMachine.h"

#include "RecordMessages.h"
#include "startup/LauncherMessages.h"

#include <QApplication>
#include <QDataStream>

namespace {
QString entryKey(const QString &section, const QString &name)
{
    return QLatin1Char('[') + section + QStringLiteral("] ") + name;
}
} // namespace

QMachine::QMachine(QObject *parent)
    : QObject(parent)
{
}

void QMachine::keepOnly(const QString &section, const QString &name)
{
    m_onlyKey = entryKey(section, name);
}

bool QMachine::getValue(const QString &section, const QString &name, QString &value,
                        const QString &defaultValue) const
{
    const auto it = m_entries.constFind(entryKey(section, name));
    if (it == m_entries.constEnd()) {
        value = defaultValue;
        return false;
    }
    value = it.value();
    return true;
}

bool QMachine::getInt(const QString &section, const QString &name, int &value,
                      int defaultValue) const
{
    value = defaultValue;
    QString text;
    if (!getValue(section, name, text, QString()))
        return false;
    value = text.toInt(nullptr, 10);
    return true;
}

QDataStream &operator>>(QDataStream &stream, QMachine &machine)
{
    qint32 version = 0;
    stream >> version;
    // A file too short to hold its version reads as version 0, which the
    // operator is told about like any other unknown version.
    if (stream.status() != QDataStream::Ok || version != QMachine::classVersion) {
        stream.setStatus(QDataStream::ReadCorruptData);
        LauncherMessages::current().critical(
            QApplication::activeWindow(), QStringLiteral("Errore"),
            unknownVersionMessage(QStringLiteral("QMachine"), QStringLiteral("Versione caricata"),
                                  QMachine::classVersion, version));
        return stream;
    }

    // Read like Qt reads a map: stop at the first failed read, so a count
    // larger than the file only costs the entries that are really there.
    const QDataStream::Status oldStatus = stream.status();
    stream.resetStatus();
    machine.m_entries.clear();
    quint32 count = 0;
    stream >> count;
    // A file too short for the entries it announces cannot be read whole,
    // and would be read to its end for nothing.
    QIODevice *device = stream.device();
    if (stream.status() == QDataStream::Ok && device && !device->isSequential()
        && qint64(count) > device->bytesAvailable() / QMachine::minimumEntryBytes)
        stream.setStatus(QDataStream::ReadPastEnd);
    const bool keepAll = machine.m_onlyKey.isEmpty();
    for (quint32 i = 0; i < count && stream.status() == QDataStream::Ok; ++i) {
        QString key;
        QString value;
        stream >> key >> value;
        if (stream.status() != QDataStream::Ok)
            break;
        if (keepAll) {
            machine.m_entries.insert(key, value);
        } else if (key == machine.m_onlyKey) {
            machine.m_entries.remove(key);
            machine.m_entries.insert(key, value);
        }
    }
    if (stream.status() != QDataStream::Ok)
        machine.m_entries.clear();
    if (oldStatus != QDataStream::Ok)
        stream.setStatus(oldStatus);
    return stream;
}

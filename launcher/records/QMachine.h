#pragma once

#include <QMultiMap>
#include <QObject>
#include <QString>

class QDataStream;

// A machine description of type 1: entries keyed "[SECTION] NAME". Equal keys
// may repeat; a lookup finds the one that came last in the file.
class QMachine : public QObject
{
    Q_OBJECT

public:
    explicit QMachine(QObject *parent = nullptr);

    bool getValue(const QString &section, const QString &name, QString &value,
                  const QString &defaultValue) const;
    bool getInt(const QString &section, const QString &name, int &value, int defaultValue) const;

    int entryCount() const { return m_entries.size(); }

    // Makes the next reads keep the entry of this section and name only
    // (the last one of the file, which is the one a lookup finds); every
    // other entry is read past and dropped. A description may hold any
    // number of entries, and a lookup of one of them then costs no memory
    // for the others.
    void keepOnly(const QString &section, const QString &name);

    // Each entry takes at least this many bytes: the lengths of its key and
    // of its value.
    static constexpr qint64 minimumEntryBytes = 8;

    static constexpr qint32 classVersion = 1;

private:
    friend QDataStream &operator>>(QDataStream &stream, QMachine &machine);

    QMultiMap<QString, QString> m_entries;
    QString m_onlyKey; // empty: every entry is kept

    Q_DISABLE_COPY(QMachine)
};

QDataStream &operator>>(QDataStream &stream, QMachine &machine);

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

    static constexpr qint32 classVersion = 1;

private:
    friend QDataStream &operator>>(QDataStream &stream, QMachine &machine);

    QMultiMap<QString, QString> m_entries;

    Q_DISABLE_COPY(QMachine)
};

QDataStream &operator>>(QDataStream &stream, QMachine &machine);

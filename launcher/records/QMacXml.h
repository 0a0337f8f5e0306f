#pragma once

#include <QObject>
#include <QString>

class QDataStream;

// A machine description of type 2: one XML text.
class QMacXml : public QObject
{
    Q_OBJECT

public:
    explicit QMacXml(QObject *parent = nullptr);

    QString xml() const { return m_xml; }

    static constexpr qint32 classVersion = 1;

private:
    friend QDataStream &operator>>(QDataStream &stream, QMacXml &description);

    QString m_xml;

    Q_DISABLE_COPY(QMacXml)
};

QDataStream &operator>>(QDataStream &stream, QMacXml &description);

// Machine id held by a description's XML text: the MACUID of the first BODY
// element that has one, 0 when there is none, it is not a number, or the
// text is not a readable XML document.
int machineIdFromXml(const QString &xml);

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

// Far deeper than any machine description; a deeper text is damaged.
inline constexpr int maxXmlElementDepth = 1000;

// What a description's XML text says about its machine.
struct MachineXmlScan
{
    // Well formed, and nested no deeper than maxXmlElementDepth.
    bool readable = false;
    // The deepest element level the reader reached; the scan stops at the
    // first level beyond maxXmlElementDepth.
    int deepest = 0;
    // The MACUID of the first BODY element, in document order, that has one
    // as a child element; 0 when there is none, it is not a number, or the
    // text is not readable.
    int machineId = 0;
};

MachineXmlScan scanMachineXml(const QString &xml);
int machineIdFromXml(const QString &xml);

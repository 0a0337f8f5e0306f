#include "QMacXml.h"

#include "RecordMessages.h"
#include "startup/LauncherMessages.h"

#include <QDataStream>
#include <QDomDocument>
#include <QXmlStreamReader>

namespace {

// Far deeper than any machine description; the document parser recurses per
// level and would exhaust the stack on a file nested tens of thousands deep.
constexpr int maxElementDepth = 1000;

bool nestingWithinLimit(const QString &xml)
{
    QXmlStreamReader reader(xml);
    int depth = 0;
    while (!reader.atEnd()) {
        const QXmlStreamReader::TokenType token = reader.readNext();
        if (token == QXmlStreamReader::StartElement) {
            if (++depth > maxElementDepth)
                return false;
        } else if (token == QXmlStreamReader::EndElement) {
            --depth;
        }
    }
    return !reader.hasError();
}

} // namespace

QMacXml::QMacXml(QObject *parent)
    : QObject(parent)
{
}

QDataStream &operator>>(QDataStream &stream, QMacXml &description)
{
    qint32 version = 0;
    stream >> version;
    // A file too short to hold its version reads as version 0, which the
    // operator is told about like any other unknown version.
    if (stream.status() != QDataStream::Ok || version != QMacXml::classVersion) {
        stream.setStatus(QDataStream::ReadCorruptData);
        LauncherMessages::current().plain(
            unknownVersionMessage(QStringLiteral("QMacXml"), QStringLiteral("Version caricata"),
                                  QMacXml::classVersion, version));
        return stream;
    }
    stream >> description.m_xml;
    return stream;
}

int machineIdFromXml(const QString &xml)
{
    if (!nestingWithinLimit(xml))
        return 0;
    QDomDocument document;
    if (!document.setContent(xml, false))
        return 0;
    const QDomNodeList bodies = document.elementsByTagName(QStringLiteral("BODY"));
    for (int i = 0; i < bodies.count(); ++i) {
        const QDomElement id = bodies.at(i).firstChildElement(QStringLiteral("MACUID"));
        if (!id.isNull())
            return id.text().toInt(nullptr, 10);
    }
    return 0;
}

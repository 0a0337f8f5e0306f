#include "QMacXml.h"

#include "RecordMessages.h"
#include "startup/LauncherMessages.h"

#include <QDataStream>
#include <QRegularExpression>
#include <QVector>
#include <QXmlStreamReader>

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

namespace {

// The streaming reader knows XML 1.0 only, while descriptions may declare a
// later 1.x version, which a document tree reads the same for all a
// description holds; such a declaration is read as 1.0.
QString asVersion10(const QString &xml)
{
    static const QRegularExpression declaration(
        QStringLiteral("^<\\?xml\\s+version\\s*=\\s*([\"'])1\\.[0-9]+\\1"));
    const QRegularExpressionMatch match = declaration.match(xml);
    if (!match.hasMatch())
        return xml;
    QString text = xml;
    const int quote = match.capturedStart(1);
    text.replace(quote + 1, match.capturedEnd(0) - quote - 2, QStringLiteral("1.0"));
    return text;
}

} // namespace

MachineXmlScan scanMachineXml(const QString &xml)
{
    // One pass of a streaming reader, which keeps its own state on the heap:
    // no nesting of the text can exhaust the stack, and the depth counted
    // here is the reader's own. The answer is the one a document tree would
    // give: the MACUID of the first BODY, in document order, that has one as
    // a child element, and only if the whole text is well formed.
    MachineXmlScan scan;
    QXmlStreamReader reader(asVersion10(xml));
    reader.setNamespaceProcessing(false);
    struct Body
    {
        bool hasId = false;
        QString idText;
    };
    QVector<Body> bodies;       // every BODY, in document order
    QVector<int> openElements;  // per open element: its index in bodies, or -1
    int capturing = -1;         // the BODY whose MACUID text is being read
    int captureDepth = 0;
    const QString bodyName = QStringLiteral("BODY");
    const QString idName = QStringLiteral("MACUID");
    while (!reader.atEnd()) {
        switch (reader.readNext()) {
        case QXmlStreamReader::StartElement: {
            const int depth = openElements.size() + 1;
            scan.deepest = qMax(scan.deepest, depth);
            if (depth > maxXmlElementDepth)
                return scan;
            const int parent = openElements.isEmpty() ? -1 : openElements.last();
            if (capturing < 0 && parent >= 0 && !bodies.at(parent).hasId && reader.qualifiedName() == idName) {
                bodies[parent].hasId = true;
                capturing = parent;
                captureDepth = depth;
            }
            if (reader.qualifiedName() == bodyName) {
                bodies.append(Body());
                openElements.append(bodies.size() - 1);
            } else {
                openElements.append(-1);
            }
            break;
        }
        case QXmlStreamReader::EndElement:
            if (capturing >= 0 && openElements.size() == captureDepth)
                capturing = -1;
            openElements.removeLast();
            break;
        case QXmlStreamReader::Characters:
            // A document tree leaves out text that is only white space.
            if (capturing >= 0 && !reader.isWhitespace())
                bodies[capturing].idText += reader.text();
            break;
        default:
            break;
        }
    }
    if (reader.hasError())
        return scan;
    scan.readable = true;
    for (const Body &body : qAsConst(bodies)) {
        if (body.hasId) {
            scan.machineId = body.idText.toInt(nullptr, 10);
            break;
        }
    }
    return scan;
}

int machineIdFromXml(const QString &xml)
{
    return scanMachineXml(xml).machineId;
}

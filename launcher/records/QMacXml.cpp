#include "QMacXml.h"

#include "RecordMessages.h"
#include "startup/LauncherMessages.h"

#include <QDataStream>
#include <QDomDocument>

namespace {

// Far deeper than any machine description; the document parser recurses per
// level and would exhaust the stack on a file nested tens of thousands deep.
constexpr int maxElementDepth = 1000;

// Index just past the first occurrence of `end` at or after `from`; the
// text's length when there is none (the document is cut short, which the
// document parser reports).
int skipPast(const QString &xml, int from, QLatin1String end)
{
    const int at = xml.indexOf(end, from);
    return at < 0 ? xml.size() : at + end.size();
}

// Index just past the '>' that closes the tag or declaration starting at
// `from`, passing over quoted text (attribute values, literals) and, inside
// a document type declaration, its bracketed internal subset.
int skipMarkup(const QString &xml, int from)
{
    QChar quote;
    int brackets = 0;
    for (int i = from; i < xml.size(); ++i) {
        const QChar c = xml.at(i);
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == QLatin1Char('"') || c == QLatin1Char('\'')) {
            quote = c;
        } else if (c == QLatin1Char('[')) {
            ++brackets;
        } else if (c == QLatin1Char(']')) {
            --brackets;
        } else if (c == QLatin1Char('>') && brackets <= 0) {
            return i + 1;
        }
    }
    return xml.size();
}

// Counts how deep the elements of the text nest and tells whether they stay
// within maxElementDepth. It only counts: whether the text is a well-formed
// document is for the document parser to say, which reads it with namespace
// processing off and takes any XML version, so nothing here may refuse a
// document that parser accepts. Prefixes, versions and encodings are not
// looked at.
bool nestingWithinLimit(const QString &xml)
{
    int depth = 0;
    int i = 0;
    const int size = xml.size();
    while (i < size) {
        const int open = xml.indexOf(QLatin1Char('<'), i);
        if (open < 0 || open + 1 >= size)
            break;
        const QChar next = xml.at(open + 1);
        if (xml.midRef(open, 4) == QLatin1String("<!--")) {
            i = skipPast(xml, open + 4, QLatin1String("-->"));
        } else if (xml.midRef(open, 9) == QLatin1String("<![CDATA[")) {
            i = skipPast(xml, open + 9, QLatin1String("]]>"));
        } else if (next == QLatin1Char('?')) {
            i = skipPast(xml, open + 2, QLatin1String("?>"));
        } else if (next == QLatin1Char('!')) {
            i = skipMarkup(xml, open + 2);
        } else if (next == QLatin1Char('/')) {
            // A stray end tag is the parser's to refuse; it must not make
            // room for deeper nesting further on.
            depth = qMax(0, depth - 1);
            i = skipMarkup(xml, open + 2);
        } else {
            i = skipMarkup(xml, open + 1);
            // An empty-element tag ends in "/>" and opens no level.
            if (xml.at(i - 1) != QLatin1Char('>') || xml.at(i - 2) != QLatin1Char('/')) {
                if (++depth > maxElementDepth)
                    return false;
            }
        }
    }
    return true;
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

#include "SettingsFileFormat.h"

#include <QIODevice>
#include <QMap>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QStringList>
#include <QTextCodec>

namespace SettingsFileFormat {

namespace {

const QLatin1String kTopLevel("General");

bool isBlank(QChar c)
{
    return c == QLatin1Char(' ') || c == QLatin1Char('\t');
}

int hexDigit(QChar c)
{
    const ushort u = c.unicode();
    if (u >= '0' && u <= '9')
        return u - '0';
    if (u >= 'a' && u <= 'f')
        return u - 'a' + 10;
    if (u >= 'A' && u <= 'F')
        return u - 'A' + 10;
    return -1;
}

// UTF-8 when the bytes are UTF-8, Latin-1 otherwise: a file saved by an
// editor or a Qt program in Latin-1 keeps its accented letters instead of
// turning them into replacement characters. Every byte counts, NUL included.
QString decodeText(const QByteArray &bytes)
{
    static QTextCodec *const utf8 = QTextCodec::codecForMib(106);
    QTextCodec::ConverterState state(QTextCodec::IgnoreHeader);
    const QString text = utf8->toUnicode(bytes.constData(), bytes.size(), &state);
    if (state.invalidChars == 0 && state.remainingChars == 0)
        return text;
    return QString::fromLatin1(bytes.constData(), bytes.size());
}

// The escape at `at` (a backslash) appended to `out`; returns the index
// after it. Only what Qt's INI writer produces is decoded, so a backslash
// that a person typed before any other character stays in the text.
int appendEscape(const QString &text, int at, int end, QString &out)
{
    if (at + 1 >= end) {
        out += QLatin1Char('\\');
        return end;
    }
    const QChar c = text.at(at + 1);
    static const char simple[][2] = {{'a', '\a'}, {'b', '\b'}, {'f', '\f'}, {'n', '\n'}, {'r', '\r'}, {'t', '\t'},
                                     {'v', '\v'}, {'"', '"'},  {'?', '?'},  {'\'', '\''}, {'\\', '\\'}};
    for (const auto &pair : simple) {
        if (c == QLatin1Char(pair[0])) {
            out += QLatin1Char(pair[1]);
            return at + 2;
        }
    }
    int digitBase = 0;
    int i = at + 2;
    if (c == QLatin1Char('x') && i < end && hexDigit(text.at(i)) >= 0)
        digitBase = 16;
    else if (c == QLatin1Char('0'))
        digitBase = 8, i = at + 1;
    if (digitBase == 0) {
        out += QLatin1Char('\\');
        return at + 1;
    }
    // As many digits as follow (Qt escapes a digit that follows an escape),
    // keeping the low 16 bits as Qt does.
    uint code = 0;
    for (; i < end; ++i) {
        const int digit = hexDigit(text.at(i));
        if (digit < 0 || digit >= digitBase)
            break;
        code = (code * digitBase + uint(digit)) & 0xFFFF;
    }
    out += QChar(ushort(code));
    return i;
}

// Index of the double quote that closes a quoted piece opened before
// `from`, or -1.
int closingQuote(const QString &text, int from)
{
    for (int i = from; i < text.size(); ++i) {
        if (text.at(i) == QLatin1Char('\\'))
            ++i;
        else if (text.at(i) == QLatin1Char('"'))
            return i;
    }
    return -1;
}

// The value text without its outer blanks, with Qt's quoted pieces opened
// and its escapes decoded; everything else as written.
QString unquotedValue(const QString &text)
{
    const int size = text.size();
    int i = 0;
    while (i < size && isBlank(text.at(i)))
        ++i;
    QString out;
    out.reserve(size - i);
    int keep = 0; // what escapes and quotes produced is never trimmed
    bool pieceStart = true;
    while (i < size) {
        const QChar c = text.at(i);
        if (pieceStart && c == QLatin1Char('"')) {
            const int close = closingQuote(text, i + 1);
            int after = close + 1;
            while (close >= 0 && after < size && isBlank(text.at(after)))
                ++after;
            // Quotes count only around a whole piece, as Qt writes them.
            if (close >= 0 && (after == size || text.at(after) == QLatin1Char(','))) {
                for (int j = i + 1; j < close;) {
                    if (text.at(j) == QLatin1Char('\\'))
                        j = appendEscape(text, j, close, out);
                    else
                        out += text.at(j++);
                }
                keep = out.size();
                i = after;
                pieceStart = false;
                continue;
            }
        }
        pieceStart = false;
        if (c == QLatin1Char('\\')) {
            i = appendEscape(text, i, size, out);
            keep = out.size();
            continue;
        }
        out += c;
        ++i;
        if (c == QLatin1Char(',')) {
            while (i < size && isBlank(text.at(i)))
                out += text.at(i++);
            pieceStart = true;
        }
    }
    int end = out.size();
    while (end > keep && isBlank(out.at(end - 1)))
        --end;
    out.truncate(end);
    return out;
}

// The arguments of "@Rect(1 2 3 4)" and the like, split as Qt splits them.
QStringList geometryArguments(const QString &value, int open)
{
    return value.mid(open + 1, value.size() - open - 2).split(QLatin1Char(' '));
}

// The value as Qt's INI reader turns a text into a variant.
QVariant typedValue(const QString &value)
{
    if (!value.startsWith(QLatin1Char('@')))
        return value;
    if (value.endsWith(QLatin1Char(')'))) {
        if (value.startsWith(QLatin1String("@ByteArray(")))
            return value.midRef(11, value.size() - 12).toLatin1();
        if (value.startsWith(QLatin1String("@String(")))
            return value.mid(8, value.size() - 9);
        if (value == QLatin1String("@Invalid()"))
            return QVariant();
        if (value.startsWith(QLatin1String("@Rect("))) {
            const QStringList a = geometryArguments(value, 5);
            if (a.size() == 4)
                return QRect(a.at(0).toInt(), a.at(1).toInt(), a.at(2).toInt(), a.at(3).toInt());
        } else if (value.startsWith(QLatin1String("@Size("))) {
            const QStringList a = geometryArguments(value, 5);
            if (a.size() == 2)
                return QSize(a.at(0).toInt(), a.at(1).toInt());
        } else if (value.startsWith(QLatin1String("@Point("))) {
            const QStringList a = geometryArguments(value, 6);
            if (a.size() == 2)
                return QPoint(a.at(0).toInt(), a.at(1).toInt());
        }
    }
    if (value.startsWith(QLatin1String("@@")))
        return value.mid(1);
    return value;
}

// A key path without empty groups: "a\\b" and "\a\" name the same key as "a/b" and "a".
QString normalisedPath(const QString &path)
{
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

// Qt's escaping of one string value; `plainBytes` keeps every character
// above 0x7E as an escape (byte arrays), otherwise they are written as UTF-8.
void appendEscapedValue(const QString &value, bool plainBytes, QByteArray &out)
{
    const int start = out.size();
    bool needsQuotes = false;
    bool escapeNextIfDigit = false;
    for (int i = 0; i < value.size(); ++i) {
        const QChar qc = value.at(i);
        const ushort ch = qc.unicode();
        if (ch == ';' || ch == ',' || ch == '=')
            needsQuotes = true;
        if (escapeNextIfDigit && hexDigit(qc) >= 0) {
            out += "\\x" + QByteArray::number(ch, 16);
            continue;
        }
        escapeNextIfDigit = false;
        switch (ch) {
        case '\0': out += "\\0"; escapeNextIfDigit = true; break;
        case '\a': out += "\\a"; break;
        case '\b': out += "\\b"; break;
        case '\f': out += "\\f"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        case '\v': out += "\\v"; break;
        case '"':
        case '\\':
            out += '\\';
            out += char(ch);
            break;
        default:
            if (!plainBytes && qc.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate()) {
                out += value.midRef(i, 2).toUtf8();
                ++i;
            } else if (ch <= 0x1F || (ch >= 0x7F && plainBytes) || qc.isSurrogate()) {
                // A lone surrogate has no UTF-8 form; its escape keeps it.
                out += "\\x" + QByteArray::number(ch, 16);
                escapeNextIfDigit = true;
            } else {
                out += QString(qc).toUtf8();
            }
        }
    }
    if (needsQuotes || (out.size() > start && (out.at(start) == ' ' || out.at(out.size() - 1) == ' '))) {
        out.insert(start, '"');
        out += '"';
    }
}

void appendEscapedName(const QString &name, QByteArray &out)
{
    static const char hex[] = "0123456789ABCDEF";
    for (const QChar qc : name) {
        const ushort ch = qc.unicode();
        if (ch == '/') {
            out += '\\';
        } else if ((ch >= 'a' && ch <= 'z') || (ch >= 'A' && ch <= 'Z') || (ch >= '0' && ch <= '9') || ch == '_'
                   || ch == '-' || ch == '.') {
            out += char(ch);
        } else if (ch <= 0xFF) {
            out += '%';
            out += hex[ch / 16];
            out += hex[ch % 16];
        } else {
            out += "%U";
            for (int shift = 12; shift >= 0; shift -= 4)
                out += hex[(ch >> shift) & 0xF];
        }
    }
}

QByteArray escapedValue(const QVariant &value)
{
    QByteArray out;
    if (!value.isValid()) {
        out = "@Invalid()";
    } else if (value.userType() == QMetaType::QStringList) {
        const QStringList items = value.toStringList();
        for (int i = 0; i < items.size(); ++i) {
            if (i > 0)
                out += ", ";
            appendEscapedValue(items.at(i), false, out);
        }
    } else if (value.userType() == QMetaType::QByteArray) {
        appendEscapedValue(QLatin1String("@ByteArray(") + QString::fromLatin1(value.toByteArray())
                               + QLatin1Char(')'),
                           true, out);
    } else {
        QString text = value.toString();
        if (text.startsWith(QLatin1Char('@')))
            text.prepend(QLatin1Char('@'));
        appendEscapedValue(text, false, out);
    }
    return out;
}

} // namespace

QString nameFromText(const QByteArray &bytes)
{
    const QString text = decodeText(bytes);
    QString name;
    name.reserve(text.size());
    for (int i = 0; i < text.size();) {
        const QChar c = text.at(i);
        if (c == QLatin1Char('\\')) {
            name += QLatin1Char('/');
            ++i;
            continue;
        }
        if (c == QLatin1Char('%')) {
            const bool wide = i + 1 < text.size() && text.at(i + 1) == QLatin1Char('U');
            const int first = i + (wide ? 2 : 1);
            const int digits = wide ? 4 : 2;
            uint code = 0;
            bool ok = first + digits <= text.size();
            for (int d = 0; ok && d < digits; ++d) {
                const int digit = hexDigit(text.at(first + d));
                ok = digit >= 0;
                code = code * 16 + uint(qMax(digit, 0));
            }
            if (ok) {
                name += QChar(ushort(code));
                i = first + digits;
                continue;
            }
        }
        name += c;
        ++i;
    }
    return name;
}

QVariant valueFromText(const QByteArray &text)
{
    return typedValue(unquotedValue(decodeText(text)));
}

QSettings::Format format()
{
    static const QSettings::Format registered =
        QSettings::registerFormat(QStringLiteral("conf"), &read, &write, Qt::CaseSensitive);
    return registered;
}

bool read(QIODevice &device, QSettings::SettingsMap &map)
{
    QByteArray bytes = device.read(maxFileBytes + 1);
    if (bytes.size() > maxFileBytes)
        return false;
    if (bytes.startsWith("\xef\xbb\xbf"))
        bytes.remove(0, 3);

    QString group;
    int lineStart = 0;
    while (lineStart < bytes.size()) {
        int lineEnd = lineStart;
        while (lineEnd < bytes.size() && bytes.at(lineEnd) != '\n' && bytes.at(lineEnd) != '\r')
            ++lineEnd;
        const QByteArray line = bytes.mid(lineStart, lineEnd - lineStart).trimmed();
        lineStart = lineEnd + 1;
        if (line.isEmpty() || line.startsWith(';') || line.startsWith('#'))
            continue;
        if (line.startsWith('[')) {
            int close = line.indexOf(']');
            if (close < 0)
                close = line.size();
            const QByteArray name = line.mid(1, close - 1).trimmed();
            if (qstricmp(name.constData(), "general") == 0)
                group.clear();
            else if (qstricmp(name.constData(), "%general") == 0)
                group = QString::fromLatin1(name.mid(1));
            else
                group = normalisedPath(nameFromText(name));
            continue;
        }
        const int equals = line.indexOf('=');
        if (equals < 0)
            continue;
        const QString key = normalisedPath(nameFromText(line.left(equals).trimmed()));
        if (key.isEmpty())
            continue;
        map.insert(group.isEmpty() ? key : group + QLatin1Char('/') + key, valueFromText(line.mid(equals + 1)));
    }
    return true;
}

bool write(QIODevice &device, const QSettings::SettingsMap &map)
{
    // Keys by their first group, as Qt writes them: "[Machines]" holds
    // "Rettilinea%20%E8\PathBin=...".
    QMap<QString, QByteArray> sections;
    for (auto it = map.constBegin(); it != map.constEnd(); ++it) {
        const int slash = it.key().indexOf(QLatin1Char('/'));
        QByteArray &lines = sections[slash < 0 ? QString() : it.key().left(slash)];
        appendEscapedName(it.key().mid(slash + 1), lines);
        lines += '=' + escapedValue(it.value()) + '\n';
    }
    QByteArray text;
    for (auto it = sections.constBegin(); it != sections.constEnd(); ++it) {
        QByteArray name;
        appendEscapedName(it.key(), name);
        if (name.isEmpty())
            name = kTopLevel.latin1();
        else if (qstricmp(name.constData(), "general") == 0)
            name.prepend('%');
        text += '[' + name + "]\n" + it.value() + '\n';
    }
    return device.write(text) == text.size();
}

} // namespace SettingsFileFormat

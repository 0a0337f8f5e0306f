#include "PageDocument.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>
#include <QUrl>

PageDocument::PageDocument(const QDir &folder, QObject *parent)
    : QTextDocument(parent)
    , m_folder(folder)
{
}

QImage PageDocument::missingPicture()
{
    return QImage(QStringLiteral(":/qt-project.org/styles/commonstyle/images/file-16.png"));
}

QVariant PageDocument::loadResource(int type, const QUrl &name)
{
    // Pictures written into the page itself hold no file name to follow.
    if (name.scheme().compare(QLatin1String("data"), Qt::CaseInsensitive) == 0)
        return QTextDocument::loadResource(type, name);
    QVariant value;
    const QByteArray bytes = readFile(name);
    if (type != QTextDocument::ImageResource) {
        value = bytes;
    } else {
        // A picture that cannot be shown must still be a picture: for an
        // empty one the text layout would load the file named in the page
        // by itself, past every bound.
        QImage image = decodedPicture(bytes);
        value = image.isNull() ? missingPicture() : image;
    }
    // Kept as a resource of the document, so that every paint does not read
    // the file again.
    addResource(type, name, value);
    return value;
}

QByteArray PageDocument::readFile(const QUrl &name) const
{
    QString path;
    if (name.isRelative())
        path = name.path();
    else if (name.isLocalFile())
        path = name.toLocalFile();
    else
        return QByteArray();
    const QFileInfo info(QDir::isAbsolutePath(path) ? path : m_folder.filePath(path));
    const QString folder = m_folder.canonicalPath();
    const QString file = info.canonicalFilePath();
    if (folder.isEmpty() || !file.startsWith(folder + QLatin1Char('/')) || !info.isFile()
        || info.size() > maxResourceBytes)
        return QByteArray();
    QFile input(file);
    if (!input.open(QIODevice::ReadOnly))
        return QByteArray();
    const QByteArray bytes = input.read(maxResourceBytes + 1);
    return bytes.size() > maxResourceBytes ? QByteArray() : bytes;
}

QImage PageDocument::decodedPicture(const QByteArray &bytes)
{
    QBuffer buffer;
    buffer.setData(bytes);
    QImageReader reader(&buffer);
    const QSize size = reader.size();
    if (size.isValid() && qint64(size.width()) * size.height() > maxImagePixels)
        return QImage();
    return reader.read();
}

#pragma once

#include <QDir>
#include <QImage>
#include <QTextDocument>

// The document of an installer page. Pictures and style sheets the page
// refers to are loaded only from regular files inside the installer's
// folder and only up to maxResourceBytes: a page naming /dev/zero, a pipe,
// a huge file or a file elsewhere on the system shows a missing picture
// instead of blocking or exhausting the memory of the installer.
class PageDocument : public QTextDocument
{
    Q_OBJECT
    Q_DISABLE_COPY(PageDocument)

public:
    explicit PageDocument(const QDir &folder, QObject *parent = nullptr);

    static constexpr qint64 maxResourceBytes = 16 * 1024 * 1024;
    // Pictures that would unpack to more pixels are refused too.
    static constexpr qint64 maxImagePixels = 32 * 1024 * 1024;

    // What a page shows in place of a picture it may not or cannot load.
    static QImage missingPicture();

protected:
    QVariant loadResource(int type, const QUrl &name) override;

private:
    // The file's bytes; empty when it is not one the page may load.
    QByteArray readFile(const QUrl &name) const;
    static QImage decodedPicture(const QByteArray &bytes);

    QDir m_folder;
};

#include "UrlRecorder.h"

#include <QDesktopServices>

UrlRecorder::UrlRecorder(const QString &scheme, QObject *parent)
    : QObject(parent)
    , m_scheme(scheme)
{
    QDesktopServices::setUrlHandler(m_scheme, this, "openUrl");
}

UrlRecorder::~UrlRecorder()
{
    QDesktopServices::unsetUrlHandler(m_scheme);
}

void UrlRecorder::openUrl(const QUrl &url)
{
    urls.append(url);
}

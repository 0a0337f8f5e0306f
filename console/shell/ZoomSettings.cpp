#include "ZoomSettings.h"

#include <QSettings>
#include <QUrl>

#include <memory>

namespace ZoomSettings {

namespace {

std::unique_ptr<QSettings> Store()
{
    return std::make_unique<QSettings>(QSettings::IniFormat, QSettings::UserScope,
                                       QStringLiteral("Prevok S.p.A."), QStringLiteral("Brenlow"));
}

// An address from a channel list may hold any text; slashes and the like
// would make groups or break the key, so it is stored percent-encoded.
QString KeyOf(const QString &address)
{
    return QStringLiteral("Zoom/")
        + QString::fromLatin1(QUrl::toPercentEncoding(address, QByteArray(".-:")));
}

} // namespace

int Load(const QString &address)
{
    if (address.isEmpty())
        return kMinZoom;
    bool ok = false;
    const int zoom = Store()->value(KeyOf(address)).toInt(&ok);
    return ok && zoom >= kMinZoom && zoom <= kMaxZoom ? zoom : kMinZoom;
}

void Save(const QString &address, int zoom)
{
    if (address.isEmpty() || zoom < kMinZoom || zoom > kMaxZoom)
        return;
    const auto store = Store();
    if (zoom == kMinZoom)
        store->remove(KeyOf(address));
    else
        store->setValue(KeyOf(address), zoom);
}

} // namespace ZoomSettings

#include "HelpManual.h"

namespace HelpManual {

namespace {
// The platform's installation folder, the one place that names it.
#ifdef Q_OS_WIN
const char *const kPlatformFolderUrl = "file:///C:/Prevok/Quorvel";
#else
const char *const kPlatformFolderUrl = "file:///opt/Prevok/Quorvel";
#endif
const char *const kManualFile = "1.0.0.0.pdf";
} // namespace

QString languageFolder(int language)
{
    switch (language) {
    case 0:
        return QStringLiteral("/help/it/");
    case 2:
        return QStringLiteral("/help/es/");
    case 7:
        return QStringLiteral("/help/szh/");
    case 4:
    default:
        return QStringLiteral("/help/en/");
    }
}

QUrl manualUrl(int language)
{
    const QString text = QString::fromLatin1(kPlatformFolderUrl) + languageFolder(language)
        + QString::fromLatin1(kManualFile);
    return QUrl(text, QUrl::TolerantMode);
}

} // namespace HelpManual

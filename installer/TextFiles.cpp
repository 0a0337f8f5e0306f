#include "TextFiles.h"

#include <QFile>
#include <QFileInfo>

bool readTextFile(const QString &name, QString &target)
{
    // A pipe or a device of that name would block the window's start.
    if (!QFileInfo(name).isFile())
        return false;
    QFile file(name);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.read(kMaxTextFileBytes);
    file.close();
    const int nul = bytes.indexOf('\0');
    if (nul >= 0)
        bytes.truncate(nul);
    target = QString::fromUtf8(bytes);
    return true;
}

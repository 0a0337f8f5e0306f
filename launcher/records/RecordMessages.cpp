#include "RecordMessages.h"

QString unknownVersionMessage(const QString &className, const QString &versionLabel,
                              qint32 expected, qint32 loaded)
{
    const QString pattern = QStringLiteral("Classe:\t%1\nVersione:\t%2\n") + versionLabel
        + QStringLiteral(":\t%3\nFunzione:\t%4\n\nMessaggio:\t%5\n");
    const QChar fill = QLatin1Char(' ');
    return pattern.arg(className, 0, fill)
        .arg(expected, 0, 10, fill)
        .arg(static_cast<quint32>(loaded), 0, 10, fill)
        .arg(QStringLiteral("operator>>"), 0, fill)
        .arg(QStringLiteral("Versione oggetto sconosciuta"), 0, fill);
}

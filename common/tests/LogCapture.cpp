#include "LogCapture.h"

#include <QLoggingCategory>

namespace {

QStringList g_categories;
QStringList g_lines;
QtMessageHandler g_previous = nullptr;

void Handle(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    const QString category = QString::fromLatin1(context.category ? context.category : "");
    if (g_categories.contains(category))
        g_lines << category + QStringLiteral(": ") + message;
    else if (g_previous)
        g_previous(type, context, message);
}

} // namespace

LogCapture::LogCapture(const QStringList &categories, bool enabled)
{
    g_categories = categories;
    g_lines.clear();
    g_previous = qInstallMessageHandler(&Handle);
    if (enabled)
        QLoggingCategory::setFilterRules(categories.join(QStringLiteral(".debug=true\n")) + QStringLiteral(".debug=true"));
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
    QLoggingCategory::setFilterRules(QString());
}

QStringList LogCapture::lines(const QStringList &parts) const
{
    QStringList found = g_lines;
    for (const QString &part : parts)
        found = found.filter(part);
    return found;
}

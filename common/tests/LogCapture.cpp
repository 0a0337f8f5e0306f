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

LogCapture::LogCapture(const QStringList &categories)
{
    g_categories = categories;
    g_lines.clear();
    g_previous = qInstallMessageHandler(&Handle);
}

LogCapture::~LogCapture()
{
    qInstallMessageHandler(g_previous);
    QLoggingCategory::setFilterRules(QString());
}

void LogCapture::setEnabled(bool enabled)
{
    QStringList rules;
    for (const QString &category : qAsConst(g_categories))
        rules << category + QStringLiteral(".debug=true");
    QLoggingCategory::setFilterRules(enabled ? rules.join(QLatin1Char('\n')) : QString());
}

QStringList LogCapture::lines() const
{
    return g_lines;
}

int LogCapture::count(const QStringList &parts) const
{
    int found = 0;
    for (const QString &line : qAsConst(g_lines)) {
        bool all = true;
        for (const QString &part : parts)
            all = all && line.contains(part);
        found += all ? 1 : 0;
    }
    return found;
}

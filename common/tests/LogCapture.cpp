#include "LogCapture.h"

#include <QLoggingCategory>

#include <algorithm>

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

QStringList LogCapture::lines() const
{
    return g_lines;
}

int LogCapture::count(const QStringList &parts) const
{
    return int(std::count_if(g_lines.begin(), g_lines.end(), [&parts](const QString &line) {
        return std::all_of(parts.begin(), parts.end(), [&line](const QString &part) { return line.contains(part); });
    }));
}

#include "TestController.h"

#include <QFile>
#include <QtTest>

SimOptions TestController::Options()
{
    SimOptions options;
    options.screenPort = 0;
    options.statsPort = 0;
    options.quiet = true;
    options.rateMs = 3600000;
    options.statsMs = 3600000;
    return options;
}

bool TestController::Start(const SimOptions &options)
{
    SimOptions withLog = options;
    withLog.keyLog = m_dir.filePath(QStringLiteral("keys.log"));
    m_server = std::make_unique<ControllerServer>(withLog);
    m_server->SetClock([] { return FixedTime(); });
    QString error;
    int exitCode = 0;
    if (!m_server->Start(&error, &exitCode)) {
        qWarning("controller did not start: %s", qPrintable(error));
        return false;
    }
    return true;
}

QStringList TestController::KeyLogLines() const
{
    QFile file(m_dir.filePath(QStringLiteral("keys.log")));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLatin1(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

bool TestController::WaitForKeyLogLines(int count, int timeoutMs) const
{
    return QTest::qWaitFor([&] { return KeyLogLines().size() >= count; }, timeoutMs);
}

#include "SimulatedController.h"

#include <QFile>
#include <QTest>

SimulatedController::SimulatedController(const QString &program)
    : m_program(program)
{
}

SimulatedController::~SimulatedController()
{
    m_process.kill();
    m_process.waitForFinished(5000);
}

bool SimulatedController::Start(const QString &address, const QStringList &options)
{
    m_process.setProgram(m_program);
    m_process.setArguments(QStringList{QStringLiteral("--address"), address,
                                       QStringLiteral("--key-log"), m_dir.filePath(QStringLiteral("keys.log")),
                                       QStringLiteral("--quiet")}
                           + options);
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    m_process.start();
    if (!m_process.waitForStarted(5000))
        return false;

    // "READY <address> <screenport> <statsport>"
    QByteArray out;
    if (!QTest::qWaitFor([&] { return (out += m_process.readAllStandardOutput()).contains('\n'); }, 10000))
        return false;
    const QList<QByteArray> ready = out.left(out.indexOf('\n')).trimmed().split(' ');
    if (ready.value(0) != "READY")
        return false;
    m_screenPort = quint16(ready.value(2).toUInt());
    m_statsPort = quint16(ready.value(3).toUInt());
    return m_screenPort != 0 && m_statsPort != 0;
}

QStringList SimulatedController::KeyLines() const
{
    QFile file(m_dir.filePath(QStringLiteral("keys.log")));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text))
        return {};
    QStringList lines;
    while (!file.atEnd()) {
        const QString line = QString::fromLatin1(file.readLine()).trimmed();
        // "<time> key flags=0xNN code=0xNN": the part after the time.
        const int key = line.indexOf(QLatin1String(" key "));
        if (key >= 0)
            lines << line.mid(key + 1);
    }
    return lines;
}

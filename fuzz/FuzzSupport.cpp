#include "FuzzSupport.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <cstdlib>

namespace FuzzSupport {

void EnsureApplication()
{
    if (QCoreApplication::instance())
        return;
    static int argc = 1;
    static char name[] = "fuzz";
    static char *argv[] = {name, nullptr};
    new QCoreApplication(argc, argv);
}

QString WriteInputFile(const uint8_t *data, size_t size, const QString &name)
{
    // In memory where the system offers it: a file rewritten from the start
    // on a disk file system may be flushed to the disk on every close.
    static QTemporaryDir folder(QDir(QStringLiteral("/dev/shm")).exists()
                                    ? QStringLiteral("/dev/shm/quorvel-fuzz-XXXXXX")
                                    : QDir::tempPath() + QStringLiteral("/quorvel-fuzz-XXXXXX"));
    const QString path = folder.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        Fail("cannot write the scratch input file");
    file.write(reinterpret_cast<const char *>(data), qint64(size));
    file.close();
    return path;
}

void Fail(const char *what)
{
    std::fprintf(stderr, "invariant broken: %s\n", what);
    std::fflush(stderr);
    std::abort();
}

int PieceCutter::NextSize()
{
    // xorshift32: cheap, and the same seed always cuts the same way.
    m_state ^= m_state << 13;
    m_state ^= m_state >> 17;
    m_state ^= m_state << 5;
    switch (m_state % 4) {
    case 0:
        return 1;
    case 1:
        return 1 + int((m_state >> 8) % 16);
    default:
        return 1 + int((m_state >> 8) % 700);
    }
}

void FeedInPieces(const uint8_t *data, size_t size, const std::function<void(QByteArray &buffer)> &step)
{
    if (size < 4)
        return;
    uint32_t seed = 0;
    std::memcpy(&seed, data, 4);
    PieceCutter cutter(seed);
    const char *stream = reinterpret_cast<const char *>(data + 4);
    const int length = int(size - 4);
    QByteArray buffer;
    for (int at = 0; at < length;) {
        const int piece = std::min(cutter.NextSize(), length - at);
        buffer.append(stream + at, piece);
        at += piece;
        step(buffer);
    }
}

} // namespace FuzzSupport

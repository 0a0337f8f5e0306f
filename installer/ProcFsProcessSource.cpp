#include "ProcFsProcessSource.h"

#include <QFile>

#include <cerrno>
#include <cstdlib>
#include <dirent.h>
#include <fcntl.h>
#include <unistd.h>

namespace {

// Entries are read a page at a time; a short name or a setup's arguments fit in one.
constexpr int kReadChunk = 4096;

bool isAllDigits(const char *text)
{
    if (*text == '\0')
        return false;
    for (; *text; ++text) {
        if (*text < '0' || *text > '9')
            return false;
    }
    return true;
}

} // namespace

ProcFsProcessSource::ProcFsProcessSource(const QString &root)
    : m_root(QFile::encodeName(root))
{
}

QVector<qint64> ProcFsProcessSource::processIds() const
{
    QVector<qint64> pids;
    DIR *dir = ::opendir(m_root.constData());
    if (!dir)
        return pids;
    pids.reserve(512);
    while (const dirent *entry = ::readdir(dir)) {
        if (isAllDigits(entry->d_name))
            pids.append(std::strtoll(entry->d_name, nullptr, 10));
    }
    ::closedir(dir);
    return pids;
}

bool ProcFsProcessSource::readShortName(qint64 pid, QByteArray &name) const
{
    if (!readEntry(pid, "comm", name))
        return false;
    if (name.endsWith('\n'))
        name.chop(1);
    return true;
}

bool ProcFsProcessSource::readCommandLine(qint64 pid, QByteArray &args) const
{
    return readEntry(pid, "cmdline", args);
}

bool ProcFsProcessSource::readExecutablePath(qint64 pid, QByteArray &path) const
{
    const QByteArray link = m_root + '/' + QByteArray::number(pid) + "/exe";
    char target[kReadChunk];
    const ssize_t length = ::readlink(link.constData(), target, sizeof target);
    if (length <= 0 || length >= ssize_t(sizeof target))
        return false;
    path = QByteArray(target, int(length));
    // A program file replaced or removed while it runs is shown with this
    // mark; the process still runs under the file's name.
    static const QByteArray deleted(" (deleted)");
    if (path.endsWith(deleted))
        path.chop(deleted.size());
    return true;
}

// Reads a whole /proc entry with plain system calls: the scan runs once a
// second over every process, and QFile's buffering and stat calls would
// double its cost. A process that ended since it was listed simply fails.
bool ProcFsProcessSource::readEntry(qint64 pid, const char *entry, QByteArray &content) const
{
    const QByteArray path = m_root + '/' + QByteArray::number(pid) + '/' + entry;
    const int fd = ::open(path.constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    content.clear();
    char chunk[kReadChunk];
    bool ok = true;
    for (;;) {
        const ssize_t got = ::read(fd, chunk, sizeof chunk);
        if (got > 0) {
            content.append(chunk, int(got));
        } else if (got < 0 && errno == EINTR) {
            continue;
        } else {
            ok = got == 0;
            break;
        }
    }
    ::close(fd);
    return ok;
}

const ProcessSource &systemProcesses()
{
    static const ProcFsProcessSource source;
    return source;
}

#include "ProcFsReader.h"

#include <QFile>

#include <cerrno>
#include <climits>
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

ProcFsReader::ProcFsReader(const QString &root)
    : m_root(QFile::encodeName(root))
{
}

QVector<qint64> ProcFsReader::processIds() const
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

QByteArray ProcFsReader::entryPath(qint64 pid, const char *entry) const
{
    return m_root + '/' + QByteArray::number(pid) + '/' + entry;
}

// Reads a whole /proc entry with plain system calls: the installer scans
// every process once a second, and QFile's buffering and stat calls would
// double the cost of a scan.
bool ProcFsReader::readEntry(qint64 pid, const char *entry, QByteArray &content) const
{
    const int fd = ::open(entryPath(pid, entry).constData(), O_RDONLY | O_CLOEXEC);
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

QByteArray ProcFsReader::executableLink(qint64 pid) const
{
    char target[PATH_MAX];
    const ssize_t length = ::readlink(entryPath(pid, "exe").constData(), target, sizeof target);
    if (length <= 0)
        return {};
    return QByteArray(target, int(length));
}

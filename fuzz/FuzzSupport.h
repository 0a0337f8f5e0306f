#pragma once

#include <QByteArray>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>

// Shared by the fuzz targets: the Qt application object some readers need,
// the input written to a file for readers that take a path, and the piece
// sizes a stream target cuts its input into.
namespace FuzzSupport {

// Creates the one QCoreApplication of the process, if none exists yet.
void EnsureApplication();

// Path of a scratch file in a folder of the process's own; each call
// overwrites it with the input.
QString WriteInputFile(const uint8_t *data, size_t size, const QString &name);

// Stops the fuzzer with a clear reason when an invariant breaks.
[[noreturn]] void Fail(const char *what);

// Cuts a byte stream into pieces whose sizes come from a seed, the way the
// network cuts a controller's stream into reads: single bytes, short runs,
// and pieces that span several units.
class PieceCutter
{
public:
    explicit PieceCutter(uint32_t seed) : m_state(seed | 1u) {}
    int NextSize();

private:
    uint32_t m_state;
};

// Feeds a stream target's input the way reads bring it: the first four
// bytes seed the cut, the rest is the stream, appended to one buffer piece
// by piece; the step runs after each piece with that buffer. Inputs shorter
// than the seed are skipped.
void FeedInPieces(const uint8_t *data, size_t size, const std::function<void(QByteArray &buffer)> &step);

} // namespace FuzzSupport

#include "RecordingModel.h"

namespace {

// Little-endian unsigned of `bytes` bytes at `at`; false past the end.
bool Take(const std::uint8_t *data, std::size_t size, std::size_t &at, int bytes, std::uint64_t &value)
{
    if (at > size || size - at < std::size_t(bytes))
        return false;
    value = 0;
    for (int i = bytes - 1; i >= 0; --i)
        value = value << 8 | data[at + std::size_t(i)];
    at += std::size_t(bytes);
    return true;
}

constexpr std::uint64_t kLargestRecord = 1024 * 1024;
// Times are signed 64-bit microseconds on the reading side.
constexpr std::uint64_t kLatestTime = 0x7FFFFFFFFFFFFFFFull;

} // namespace

RecordingModel RecordingModel::Read(const std::uint8_t *data, std::size_t size)
{
    RecordingModel file;
    static const char magic[] = "BRNLWREC";
    if (size < 8)
        return file;
    for (int i = 0; i < 8; ++i) {
        if (data[i] != std::uint8_t(magic[i]))
            return file;
    }
    std::size_t at = 8;
    std::uint64_t version = 0, headerBytes = 0;
    if (!Take(data, size, at, 2, version) || !Take(data, size, at, 2, headerBytes) || version != 1)
        return file;
    if (size - at < headerBytes)
        return file;
    const std::size_t recordsStart = at + headerBytes;
    const std::size_t headerEnd = recordsStart;
    std::uint64_t start = 0, port = 0, addressBytes = 0;
    if (!Take(data, headerEnd, at, 8, start) || !Take(data, headerEnd, at, 2, port)
        || !Take(data, headerEnd, at, 2, addressBytes) || headerEnd - at < addressBytes)
        return file;
    file.startMs = start;
    file.port = std::uint16_t(port);
    file.address.assign(data + at, data + at + addressBytes);

    at = recordsStart;
    std::int64_t last = 0;
    while (at < size) {
        std::uint64_t micros = 0, length = 0;
        if (!Take(data, size, at, 8, micros) || !Take(data, size, at, 4, length))
            return file;
        if (length == 0 || length > kLargestRecord || micros > kLatestTime || std::int64_t(micros) < last)
            return file;
        if (size - at < length)
            return file;
        last = std::int64_t(micros);
        file.records.push_back({last, std::vector<std::uint8_t>(data + at, data + at + length)});
        at += length;
    }
    file.accepted = true;
    return file;
}

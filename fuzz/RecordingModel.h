#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// A plain reading of a screen recording file, written from the file layout
// alone and sharing no code with the console's reader, for the fuzz target
// to compare against:
//   "BRNLWREC", u16 version (1), u16 H, then H header bytes: u64 start (ms),
//   u16 port, u16 A, A bytes of address, and fields of later versions;
//   then records to the end: u64 microseconds, u32 N (1 to 1 MiB), N bytes.
// A file cut short anywhere but between two records, a record of 0 bytes
// or over 1 MiB, or a time that goes back is damaged and refused whole.
struct RecordingModel
{
    struct Record
    {
        std::int64_t micros = 0;
        std::vector<std::uint8_t> bytes;
    };

    bool accepted = false;
    std::uint64_t startMs = 0;
    std::uint16_t port = 0;
    std::vector<std::uint8_t> address; // UTF-8, as stored
    std::vector<Record> records;

    static RecordingModel Read(const std::uint8_t *data, std::size_t size);
};

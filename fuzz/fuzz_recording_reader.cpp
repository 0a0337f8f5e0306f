// A screen recording as a technician may bring it in a fault report, read
// by the console's recording reader (as ctrlsim --replay reads it) and by a
// plain model of the file layout. Both must accept or refuse the same
// files, and for an accepted one agree on the header and on every record,
// also when the reader reads it a second time from its first record.
#include "FuzzSupport.h"
#include "RecordingModel.h"
#include "StreamRecording.h"

#include <cstring>

namespace {

bool SameRecord(const StreamRecording::Chunk &chunk, const RecordingModel::Record &record)
{
    return chunk.micros == record.micros && std::size_t(chunk.bytes.size()) == record.bytes.size()
        && std::memcmp(chunk.bytes.constData(), record.bytes.data(), record.bytes.size()) == 0;
}

// Reads every record; false when the reader stopped on damage or disagreed.
bool ReadAll(RecordingReader &reader, const RecordingModel &model)
{
    StreamRecording::Chunk chunk;
    std::size_t count = 0;
    while (reader.Next(&chunk)) {
        if (count >= model.records.size() || !SameRecord(chunk, model.records[count]))
            FuzzSupport::Fail("a record differs from the model");
        ++count;
    }
    if (reader.Failed())
        return false;
    if (count != model.records.size())
        FuzzSupport::Fail("the reader ended before the model's last record");
    return true;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const RecordingModel model = RecordingModel::Read(data, size);
    const QString path = FuzzSupport::WriteInputFile(data, size, QStringLiteral("panel.brnlw"));

    RecordingReader reader;
    QString error;
    const bool opened = reader.Open(path, &error);
    const bool accepted = opened && ReadAll(reader, model);
    if (accepted != model.accepted)
        FuzzSupport::Fail(accepted ? "the reader accepted a damaged recording" : "the reader refused a sound recording");
    if (!opened && error.isEmpty())
        FuzzSupport::Fail("a refused recording came without a reason");
    if (!accepted)
        return 0;

    const StreamRecording::Header &header = reader.Header();
    // Sized: an address may hold NUL bytes, which must not cut it short.
    const QString address =
        QString::fromUtf8(reinterpret_cast<const char *>(model.address.data()), int(model.address.size()));
    if (header.version != 1 || header.port != model.port || header.address != address
        || header.started.toMSecsSinceEpoch() != qint64(model.startMs))
        FuzzSupport::Fail("the header differs from the model");

    // A replay that loops reads the file again from its first record.
    if (!reader.Rewind() || !ReadAll(reader, model))
        FuzzSupport::Fail("a second reading after a rewind differs");

    StreamRecording::Summary summary;
    if (!RecordingReader::Check(path, &summary, &error) || summary.records != qint64(model.records.size()))
        FuzzSupport::Fail("the whole-file check disagrees with reading record by record");
    return 0;
}

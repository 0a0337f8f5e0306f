// The screen stream a controller sends, fed to the block decoder in pieces
// of random size as the network delivers it, and beside it to a plain model
// of the block formats. The first four bytes choose the cut; the rest is
// the stream. After every piece both must agree on the panel format, the
// keypad layout, the status text, the bytes still waiting and every row
// written; at the end the panel picture must show, pixel by pixel, what the
// model says the operator should see.
#include "FuzzSupport.h"
#include "PanelPicture.h"
#include "ScreenBlockParser.h"
#include "ScreenImage.h"
#include "ScreenStreamModel.h"

#include <cstring>

namespace {

void CompareRow(const ScreenImage &image, const ScreenStreamModel &model, int y)
{
    if (std::memcmp(image.Row(y), model.Row(y), ScreenImage::kRowBytes) != 0) {
        std::fprintf(stderr, "row %d differs\n", y);
        FuzzSupport::Fail("the decoded image differs from the model");
    }
}

// Whole pictures are compared by Qt's own loops: comparisons written here
// would be traced for the fuzzer pixel by pixel and cost most of its time.
void ComparePicture(const PanelPicture &picture, const ScreenStreamModel &model)
{
    int width = 0;
    int height = 0;
    const std::vector<std::uint32_t> panel = model.ShownPanel(&width, &height);
    if (picture.PanelSize() != (panel.empty() ? QSize() : QSize(width, height)))
        FuzzSupport::Fail("the panel has the wrong size for its format");
    if (panel.empty())
        return;
    const QImage expected(reinterpret_cast<const uchar *>(panel.data()), width, height, width * 4,
                          QImage::Format_ARGB32);
    const QImage shown = picture.Picture().copy(0, 0, width, height).convertToFormat(QImage::Format_ARGB32);
    if (shown != expected)
        FuzzSupport::Fail("the panel picture differs from the model");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    using namespace FuzzSupport;
    QString lastStatus;
    ScreenBlockParser parser([&lastStatus](const QString &text) { lastStatus = text; });
    ScreenImage image;
    PanelPicture picture;
    ScreenStreamModel model;
    FeedInPieces(data, size, [&](QByteArray &buffer) {
        // The newest piece is what the buffer gained since the last step.
        const int before = int(model.Waiting().size());
        const int piece = buffer.size() - before;
        model.Receive(reinterpret_cast<const uint8_t *>(buffer.constData()) + before, std::size_t(piece));
        parser.Parse(buffer, image);

        if (image.DisplayMode() != model.Mode() || image.KeyboardLayout() != model.Layout())
            Fail("panel format or keypad layout differs from the model");
        if (lastStatus.toStdString() != model.Status())
            Fail("the status text differs from the model");
        const auto &waiting = model.Waiting();
        if (std::size_t(buffer.size()) != waiting.size()
            || (!waiting.empty() && std::memcmp(buffer.constData(), waiting.data(), waiting.size()) != 0))
            Fail("the bytes left waiting differ from the model");
        for (int y = 0; y < ScreenImage::kRows; ++y) {
            if (image.ChangedRows().test(std::size_t(y)))
                CompareRow(image, model, y);
        }
        picture.Update(image);
    });
    for (int y = 0; y < ScreenImage::kRows; ++y)
        CompareRow(image, model, y);
    ComparePicture(picture, model);
    return 0;
}

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
    for (int x = 0; x < ScreenImage::kRowBytes; ++x) {
        if (image.Row(y)[x] != model.Byte(y, x)) {
            std::fprintf(stderr, "row %d, byte %d: decoded %d, expected %d\n", y, x, image.Row(y)[x],
                         model.Byte(y, x));
            FuzzSupport::Fail("the decoded image differs from the model");
        }
    }
}

void ComparePicture(const PanelPicture &picture, const ScreenStreamModel &model)
{
    const QSize expected = model.Mode() == 0 ? QSize()
        : model.Mode() == 1                  ? QSize(PanelPicture::kMonoWidth, PanelPicture::kMonoHeight)
                                             : QSize(PanelPicture::kColourWidth, PanelPicture::kColourHeight);
    if (picture.PanelSize() != expected)
        FuzzSupport::Fail("the panel has the wrong size for its format");
    for (int y = 0; y < expected.height(); ++y) {
        for (int x = 0; x < expected.width(); ++x) {
            if (picture.Picture().pixel(x, y) != model.ShownColour(x, y)) {
                std::fprintf(stderr, "pixel (%d, %d): shown %08x, expected %08x\n", x, y,
                             picture.Picture().pixel(x, y), model.ShownColour(x, y));
                FuzzSupport::Fail("the panel picture differs from the model");
            }
        }
    }
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

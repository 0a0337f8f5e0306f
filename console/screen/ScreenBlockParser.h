#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

class ScreenImage;

// Told about every block the parser decodes or rejects, for those that need
// to know which bands or lines arrived (a snapshot waits for a whole panel).
class ScreenBlockObserver
{
public:
    virtual ~ScreenBlockObserver() = default;
    // A block of this kind byte and band or line number went into the image.
    virtual void OnBlockDecoded(int kind, int number) = 0;
    // A block could not be valid and the receive buffer was emptied.
    virtual void OnStreamRejected() = 0;
};

// Decodes the screen blocks standing at the front of a channel's receive
// buffer into the image. Complete blocks are decoded and removed; an
// incomplete one waits for more bytes; a block that cannot be valid empties
// the whole buffer, which is how the stream finds its feet again.
//
// Block kinds 0..8: kind mod 3 is the format (monochrome band, raw colour
// line, run-length colour line), kind div 3 the controller's keypad layout.
class ScreenBlockParser
{
public:
    static constexpr int kMonoBlockSize = 242;
    static constexpr int kRawBlockSize = 322;
    static constexpr int kRunLengthHeaderSize = 4;
    static constexpr int kLastBand = 16;
    static constexpr int kLastLine = 239;

    // Receives the status texts of the screen window ("blocco linea: %d", ...).
    using StatusSink = std::function<void(const QString &)>;
    // Receives, once a call, the line or band number of the last block
    // decoded, in place of the "blocco linea: %d" text of every block: a
    // window streaming its panel decodes hundreds of blocks between two
    // paints and shows only the last text. Not called when the call ended
    // in a rejected block, whose text replaced them.
    using BlockSink = std::function<void(int number)>;

    explicit ScreenBlockParser(StatusSink status = {}, BlockSink blocks = {});

    // The status text of a decoded block.
    static QString BlockText(int number);

    // Decodes every complete block at the front of buffer; returns whether
    // at least one block was decoded.
    bool Parse(QByteArray &buffer, ScreenImage &image);

    // Not owned; null for none.
    void SetObserver(ScreenBlockObserver *observer) { m_observer = observer; }

private:
    void Status(const QString &text) const;
    void Reject(QByteArray &buffer, const QString &text) const;

    StatusSink m_status;
    BlockSink m_blocks;
    ScreenBlockObserver *m_observer = nullptr;
};

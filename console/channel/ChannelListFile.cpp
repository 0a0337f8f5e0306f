#include "ChannelListFile.h"

#include "UserMessages.h"

#include <utility>

QStringList SplitChannelListLines(const QByteArray &content)
{
    QStringList lines;
    int start = 0;
    while (start < content.size()) {
        const int newline = content.indexOf('\n', start);
        if (newline < 0) {
            // The last line has no line end of its own: nothing to remove.
            lines << QString::fromLocal8Bit(content.constData() + start, content.size() - start);
            break;
        }
        int end = newline;
        if (end > start && content.at(end - 1) == '\r')
            --end;
        // With its length given, so that a NUL inside the line stays and
        // the line is refused as the bad address it is, not cut short
        // into another one.
        lines << QString::fromLocal8Bit(content.constData() + start, end - start);
        start = newline + 1;
    }
    return lines;
}

namespace {

// Holds the messages of one line while it is opened, in place of the
// console's sink, which it restores when it goes.
class HeldMessages final : public UserMessages
{
public:
    HeldMessages()
        : m_sink(Messages())
    {
        SetMessages(this);
    }
    ~HeldMessages() override { SetMessages(&m_sink); }

    void Show(const QString &caption, const QString &text, MessageIcon icon) override
    {
        m_held.append({caption, text, icon});
    }
    bool IsEmpty() const { return m_held.isEmpty(); }
    // Shows what was held through the console's sink, in order, and holds
    // nothing more.
    void Release()
    {
        // A box runs an event loop: what is reported meanwhile goes
        // straight to the console's sink.
        SetMessages(&m_sink);
        const QList<Held> held = std::exchange(m_held, {});
        for (const Held &message : held)
            m_sink.Show(message.caption, message.text, message.icon);
    }

private:
    struct Held
    {
        QString caption;
        QString text;
        MessageIcon icon;
    };
    UserMessages &m_sink;
    QList<Held> m_held;
};

} // namespace

void OpenChannelListLines(const QStringList &lines, const std::function<bool(const QString &line)> &open)
{
    int refused = 0;
    for (const QString &line : lines) {
        HeldMessages held;
        const bool opened = open(line);
        if (!opened && !held.IsEmpty() && ++refused > kShownRefusedLines)
            continue;
        held.Release();
    }
    if (refused > kShownRefusedLines) {
        ShowMessage(QStringLiteral("Rifiutate altre %1 righe dell'elenco canali").arg(refused - kShownRefusedLines),
                    MessageIcon::Error);
    }
}

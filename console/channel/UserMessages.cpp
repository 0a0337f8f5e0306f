#include "UserMessages.h"

#include <QTextStream>

namespace {

// Used until the program installs its boxes: a console run without a GUI
// (tests, tools) still sees every failure on stderr.
class StderrMessages final : public UserMessages
{
public:
    void Show(const QString &caption, const QString &text, MessageIcon) override
    {
        QTextStream(stderr) << caption << ": " << text << '\n';
    }
};

StderrMessages g_stderrMessages;
UserMessages *g_sink = nullptr;

} // namespace

UserMessages &Messages()
{
    return g_sink ? *g_sink : static_cast<UserMessages &>(g_stderrMessages);
}

void SetMessages(UserMessages *sink)
{
    g_sink = sink;
}

void ShowMessage(const QString &text, MessageIcon icon)
{
    Messages().Show(QString::fromLatin1(kAppTitle), text, icon);
}

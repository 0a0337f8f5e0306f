// Proves that the sanitizer run still sees leaked objects. It starts like
// every widget test (the offscreen platform, a window with text, fonts
// through fontconfig), then loses a QObject that holds a controller-sized
// receive buffer. scripts/sanitize.sh runs it with the suppressions of the
// whole suite and fails unless LeakSanitizer reports the buffer: a
// suppression wide enough to hide this would hide the same leak in the
// console.
#include <QApplication>
#include <QByteArray>
#include <QLabel>
#include <QObject>
#include <QTimer>

namespace {

class BufferedPeer : public QObject
{
public:
    explicit BufferedPeer(QObject *parent = nullptr)
        : QObject(parent)
        , m_received(100000, 'k')
    {
    }

private:
    QByteArray m_received;
};

} // namespace

int main(int argc, char **argv)
{
    QApplication app(argc, argv);
    QLabel label(QStringLiteral("Canale già aperto"));
    label.show();
    QTimer::singleShot(0, &app, &QCoreApplication::quit);
    app.exec();

    // Lost on purpose: nothing owns it and nothing deletes it.
    new BufferedPeer;
    return 0;
}

#include "KeyboardDlg.h"
#include "KeyboardSet.h"
#include "KprotListener.h"
#include "RecordingMessages.h"
#include "SimulatedController.h"

#include <QAbstractButton>
#include <QTest>

// A click on the keypad reaches a simulated controller: the controller's
// key log shows the make and the break message.

namespace {

// Screen blocks are not looked at here; they are dropped as they come.
class DroppingListener final : public CKprotListener
{
public:
    explicit DroppingListener(CKprotChannel *channel) : m_channel(channel) {}
    void OnChannelData() override { m_channel->GetReceiveBuffer().clear(); }

private:
    CKprotChannel *m_channel;
};

const char *const kControllerAddress = "127.0.23.41";

} // namespace

class TestKeyboardEndToEnd : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void clickReachesController_data();
    void clickReachesController();

private:
    QScopedPointer<SimulatedController> m_controller;
    quint16 m_port = 0;
};

void TestKeyboardEndToEnd::initTestCase()
{
    m_controller.reset(new SimulatedController(QStringLiteral(CTRLSIM_PATH)));
    QVERIFY(m_controller->Start(QString::fromLatin1(kControllerAddress),
                                {QStringLiteral("--format"), QStringLiteral("mono"),
                                 QStringLiteral("--screen-port"), QStringLiteral("0"),
                                 QStringLiteral("--stats-port"), QStringLiteral("0")}));
    m_port = m_controller->ScreenPort();
}

void TestKeyboardEndToEnd::cleanupTestCase()
{
    m_controller.reset();
}

void TestKeyboardEndToEnd::clickReachesController_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("latch");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QStringList>("expected");

    QTest::newRow("0: F0") << 0 << QString() << "F0"
                           << QStringList{"key flags=0x10 code=0x12", "key flags=0x11 code=0x12"};
    QTest::newRow("1: SHIFT Q") << 1 << "SHIFT" << "Q"
                                << QStringList{"key flags=0x04 code=0x71", "key flags=0x05 code=0x71"};
    QTest::newRow("2: LAMPADA") << 2 << QString() << "LAMPADA"
                                << QStringList{"key flags=0x00 code=0xed", "key flags=0x01 code=0xed"};
}

void TestKeyboardEndToEnd::clickReachesController()
{
    QFETCH(int, layout);
    QFETCH(QString, latch);
    QFETCH(QString, key);
    QFETCH(QStringList, expected);

    RecordingMessages messages;
    CKprotChannel channel;
    DroppingListener listener(&channel);
    channel.Open(QString::fromLatin1(kControllerAddress), &listener, m_port);
    QVERIFY(channel.IsOpen());

    CKeyboardSet keyboards;
    keyboards.CreateKeyboards();
    keyboards.ShowKeyboard(layout, &channel);
    CKeyboardDlg *keyboard = keyboards.Keyboard(layout);
    QVERIFY(QTest::qWaitForWindowExposed(keyboard));
    QCOMPARE(keyboard->windowTitle(), QString::fromLatin1(kControllerAddress));

    const auto find = [keyboard](const QString &name) -> QAbstractButton * {
        for (QAbstractButton *button : keyboard->findChildren<QAbstractButton *>()) {
            if (button->accessibleName() == name)
                return button;
        }
        return nullptr;
    };
    if (!latch.isEmpty())
        QTest::mouseClick(find(latch), Qt::LeftButton);
    const int before = m_controller->KeyLines().size();
    QAbstractButton *button = find(key);
    QVERIFY(button);
    QTest::mousePress(button, Qt::LeftButton);
    QTest::qWait(50); // idle passes run meanwhile
    QTest::mouseRelease(button, Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(m_controller->KeyLines().size(), before + 2, 5000);
    QCOMPARE(m_controller->KeyLines().mid(before), expected);
    QVERIFY(messages.entries.isEmpty());
}

QTEST_MAIN(TestKeyboardEndToEnd)
#include "tst_keyboard_e2e.moc"

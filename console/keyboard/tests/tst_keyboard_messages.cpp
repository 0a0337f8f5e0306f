#include "KeyMessage.h"
#include "RecordingKeyboard.h"
#include "VirtualKeys.h"

#include <QAbstractButton>
#include <QLabel>
#include <QTest>

#include <memory>

// The key messages of every keypad: each key with and without each latch,
// the latch priorities, and the scan order of a pass.

namespace {

// The controller's key tables: the first family's flags and code, its SHIFT
// code, the second family's code and its SHIFT code.
struct FullKeyboardKey
{
    const char *name;
    int flags0, code0, shift0, code1, shift1;
};

const FullKeyboardKey kFullKeyboard[] = {
    {"F0", 0x10, 0x12, 0x12, 0xF0, 0xF0},
    {"F1", 0x10, 0x13, 0x13, 0xF1, 0xF1},
    {"F2", 0x10, 0x14, 0x14, 0xF2, 0xF2},
    {"F3", 0x10, 0x15, 0x15, 0xF3, 0xF3},
    {"F4", 0x10, 0x16, 0x16, 0xF4, 0xF4},
    {"F5", 0x10, 0x17, 0x17, 0xF5, 0xF5},
    {"F6", 0x10, 0x18, 0x18, 0xF6, 0xF6},
    {"F7", 0x10, 0x19, 0x19, 0xF7, 0xF7},
    {"F8", 0x10, 0x1A, 0x1A, 0xF8, 0xF8},
    {"F9", 0x10, 0x1B, 0x1B, 0xF9, 0xF9},
    {"TAB", 0x10, 0x04, 0x04, 0x09, 0x09},
    {"Q", 0x00, 0x51, 0x71, 0x51, 0x71},
    {"W", 0x00, 0x57, 0x77, 0x57, 0x77},
    {"E", 0x00, 0x45, 0x65, 0x45, 0x65},
    {"R", 0x00, 0x52, 0x72, 0x52, 0x72},
    {"T", 0x00, 0x54, 0x74, 0x54, 0x74},
    {"Y", 0x00, 0x59, 0x79, 0x59, 0x79},
    {"U", 0x00, 0x55, 0x75, 0x55, 0x75},
    {"I", 0x00, 0x49, 0x69, 0x49, 0x69},
    {"O", 0x00, 0x4F, 0x6F, 0x4F, 0x6F},
    {"P", 0x00, 0x50, 0x70, 0x50, 0x70},
    {"=", 0x00, 0x3D, 0x2D, 0x3D, 0x2D},
    {"DEL", 0x10, 0x02, 0x02, 0x7F, 0x7F},
    {"A", 0x00, 0x41, 0x61, 0x41, 0x61},
    {"S", 0x00, 0x53, 0x73, 0x53, 0x73},
    {"D", 0x00, 0x44, 0x64, 0x44, 0x64},
    {"F", 0x00, 0x46, 0x66, 0x46, 0x66},
    {"G", 0x00, 0x47, 0x67, 0x47, 0x67},
    {"H", 0x00, 0x48, 0x68, 0x48, 0x68},
    {"J", 0x00, 0x4A, 0x6A, 0x4A, 0x6A},
    {"K", 0x00, 0x4B, 0x6B, 0x4B, 0x6B},
    {"L", 0x00, 0x4C, 0x6C, 0x4C, 0x6C},
    {";", 0x00, 0x3B, 0x2B, 0x3B, 0x2B},
    {":", 0x00, 0x3A, 0x3A, 0x3A, 0x3A},
    {"RETURN", 0x10, 0x05, 0x05, 0x0D, 0x0D},
    {"Z", 0x00, 0x5A, 0x7A, 0x5A, 0x7A},
    {"X", 0x00, 0x58, 0x78, 0x58, 0x78},
    {"C", 0x00, 0x43, 0x63, 0x43, 0x63},
    {"V", 0x00, 0x56, 0x76, 0x56, 0x76},
    {"B", 0x00, 0x42, 0x62, 0x42, 0x62},
    {"N", 0x00, 0x4E, 0x6E, 0x4E, 0x6E},
    {"M", 0x00, 0x4D, 0x6D, 0x4D, 0x6D},
    {".", 0x00, 0x2E, 0x2E, 0x2E, 0x2E},
    {"/", 0x00, 0x2F, 0x3F, 0x2F, 0x3F},
    {"ESC", 0x10, 0x06, 0x06, 0x1B, 0x1B},
    {"SPACE", 0x00, 0x20, 0x20, 0x20, 0x20},
    {"FRECCIA SINISTRA", 0x10, 0x07, 0x07, 0xE0, 0xE0},
    {"FRECCIA DESTRA", 0x10, 0x08, 0x08, 0xE1, 0xE1},
    {"FRECCIA SU", 0x10, 0x09, 0x09, 0xE2, 0xE2},
    {"FRECCIA GIU", 0x10, 0x0A, 0x0A, 0xE3, 0xE3},
    {"7", 0x00, 0x37, 0x27, 0x37, 0x27},
    {"8", 0x00, 0x38, 0x28, 0x38, 0x28},
    {"9", 0x00, 0x39, 0x29, 0x39, 0x29},
    {"HELP", 0x10, 0x0B, 0x0B, 0xE4, 0xE4},
    {"4", 0x00, 0x34, 0x24, 0x34, 0x24},
    {"5", 0x00, 0x35, 0x25, 0x35, 0x25},
    {"6", 0x00, 0x36, 0x26, 0x36, 0x26},
    {"1", 0x00, 0x31, 0x21, 0x31, 0x21},
    {"2", 0x00, 0x32, 0x22, 0x32, 0x22},
    {"3", 0x00, 0x33, 0x23, 0x33, 0x23},
    {"0", 0x00, 0x30, 0x30, 0x30, 0x30},
    {"APRIAGO", 0x10, 0x0F, 0x0F, 0xE8, 0xE8},
    {"FRECCETTONE GIU", 0x10, 0x0D, 0x0D, 0xEC, 0xEC},
    {"VALVOLA PARZIALIZZATRICE", 0x10, 0x0E, 0x0E, 0xE7, 0xE7},
    {"FRECCETTONE SU", 0x10, 0x0C, 0x0C, 0xEB, 0xEB},
};

struct CompactKey
{
    const char *name;
    int code;
};

const CompactKey kCompactKeypad[] = {
    {"LUMACA", 0xEB},
    {"TARTARUGA", 0xEC},
    {"LAMPADA", 0xED},
    {"SOFFIO APRIAGO", 0xEE},
    {"VENTOLA", 0xEF},
    {"F0", 0xF0},
    {"F1", 0xF1},
    {"F2", 0xF2},
    {"F3", 0xF3},
    {"F4", 0xF4},
    {"F5", 0xF5},
    {"F6", 0xF6},
    {"F7", 0xF7},
    {"F8", 0xF8},
    {"DEL", 0x7F},
    {"RETURN", 0x0D},
    {"ESC", 0x1B},
    {"SPACE", 0x20},
    {"FRECCIA SINISTRA", 0xE0},
    {"FRECCIA DESTRA", 0xE1},
    {"FRECCIA SU", 0xE2},
    {"FRECCIA GIU", 0xE3},
    {"7", 0x37},
    {"8", 0x38},
    {"9", 0x39},
    {"HELP", 0xE4},
    {"4", 0x34},
    {"5", 0x35},
    {"6", 0x36},
    {"1", 0x31},
    {"2", 0x32},
    {"3", 0x33},
    {"0", 0x30},
    {"FRECCETTONE GIU", 0xE6},
    {"FRECCETTONE SU", 0xE5},
};

struct LatchFlag
{
    int layout;
    const char *name;
    int flag;
};

const LatchFlag kLatchFlags[] = {
    {0, "SHIFT", 0x04}, {0, "CTRL", 0x02}, {0, "ENT", 0x08},
    {1, "SHIFT", 0x04}, {1, "CTRL", 0x02}, {1, "ENT", 0x08}, {1, "FN", 0x02},
    {2, "SHIFT", 0x04}, {2, "CTRL", 0x02}, {2, "ALT", 0x08},
};

} // namespace

class TestKeyboardMessages : public QObject
{
    Q_OBJECT

private slots:
    void everyKeyUnderEveryLatch_data();
    void everyKeyUnderEveryLatch();
    void latchPriorities_data();
    void latchPriorities();
    void plainKeysInTableOrderWithoutRepeat();
    void twoKeysHeldUnderLatch();
    void unlatchingShiftWhileKeyHeld();
    void latchingWhileKeyHeld();
    void noChannelNoPass();
    void lampadaTogglesLookOnly();
    void controlIdsBelongToTheirLayout();
    void layoutTablesConsistent();

private:
    std::unique_ptr<RecordingKeyboard> Make(int layout);
    FakeKeyState m_keys;
    CKprotChannel m_channel; // never opened: the recording keypad does not write
};

std::unique_ptr<RecordingKeyboard> TestKeyboardMessages::Make(int layout)
{
    m_keys = FakeKeyState();
    auto keyboard = std::make_unique<RecordingKeyboard>(layout, &m_keys);
    keyboard->AttachChannel(&m_channel);
    return keyboard;
}

void TestKeyboardMessages::everyKeyUnderEveryLatch_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("latch");
    QTest::addColumn<QByteArray>("make");
    QTest::addColumn<QByteArray>("release");

    const auto addRow = [](int layout, const char *key, const char *latch, int flags, int code) {
        QTest::addRow("%d %s %s", layout, key, latch)
            << layout << QString::fromLatin1(key) << QString::fromLatin1(latch)
            << KeyMessageBytes(flags, code) << KeyMessageBytes(flags | 0x01, code);
    };

    for (const FullKeyboardKey &k : kFullKeyboard) {
        addRow(0, k.name, "", k.flags0, k.code0);
        addRow(1, k.name, "", 0x00, k.code1);
        for (const LatchFlag &latch : kLatchFlags) {
            const bool shift = qstrcmp(latch.name, "SHIFT") == 0;
            if (latch.layout == 0)
                addRow(0, k.name, latch.name, k.flags0 | latch.flag, shift ? k.shift0 : k.code0);
            else if (latch.layout == 1)
                addRow(1, k.name, latch.name, latch.flag, shift ? k.shift1 : k.code1);
        }
    }
    for (const CompactKey &k : kCompactKeypad) {
        addRow(2, k.name, "", 0x00, k.code);
        for (const LatchFlag &latch : kLatchFlags) {
            if (latch.layout == 2)
                addRow(2, k.name, latch.name, latch.flag, k.code);
        }
    }
}

void TestKeyboardMessages::everyKeyUnderEveryLatch()
{
    QFETCH(int, layout);
    QFETCH(QString, key);
    QFETCH(QString, latch);
    QFETCH(QByteArray, make);
    QFETCH(QByteArray, release);

    auto keyboard = Make(layout);
    QAbstractButton *button = keyboard->Key(key.toLatin1().constData());
    QVERIFY(button);
    if (!latch.isEmpty()) {
        QAbstractButton *latchButton = keyboard->Latch(latch.toLatin1().constData());
        QVERIFY(latchButton);
        latchButton->setChecked(true);
        keyboard->PollKeys();
        QCOMPARE(keyboard->TakeSent(), QByteArray());
    }

    button->setDown(true);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), make);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray()); // held: no repeat

    button->setDown(false);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), release);

    // Letting go of the latch afterwards sends nothing more.
    if (!latch.isEmpty())
        keyboard->Latch(latch.toLatin1().constData())->setChecked(false);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());
}

void TestKeyboardMessages::latchPriorities_data()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QStringList>("latches");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QByteArray>("expected");

    const auto both = [](int flags, int code) -> QByteArray {
        return KeyMessageBytes(flags, code) + KeyMessageBytes(flags | 0x01, code);
    };
    QTest::newRow("0: SHIFT over CTRL") << 0 << QStringList{"CTRL", "SHIFT"} << "Q" << both(0x04, 0x71);
    QTest::newRow("0: CTRL over ENT") << 0 << QStringList{"ENT", "CTRL"} << "F0" << both(0x12, 0x12);
    QTest::newRow("0: all three") << 0 << QStringList{"SHIFT", "CTRL", "ENT"} << "7" << both(0x04, 0x27);
    QTest::newRow("1: FN alone is CTRL") << 1 << QStringList{"FN"} << "DEL" << both(0x02, 0x7F);
    QTest::newRow("1: CTRL and FN") << 1 << QStringList{"FN", "CTRL"} << "DEL" << both(0x02, 0x7F);
    QTest::newRow("1: ENT over FN") << 1 << QStringList{"FN", "ENT"} << "A" << both(0x08, 0x41);
    QTest::newRow("1: SHIFT over all") << 1 << QStringList{"FN", "ENT", "CTRL", "SHIFT"} << "Q"
                                       << both(0x04, 0x71);
    QTest::newRow("2: CTRL over ALT") << 2 << QStringList{"ALT", "CTRL"} << "2" << both(0x02, 0x32);
    QTest::newRow("2: SHIFT keeps the code") << 2 << QStringList{"SHIFT", "ALT"} << "2" << both(0x04, 0x32);
}

void TestKeyboardMessages::latchPriorities()
{
    QFETCH(int, layout);
    QFETCH(QStringList, latches);
    QFETCH(QString, key);
    QFETCH(QByteArray, expected);

    auto keyboard = Make(layout);
    for (const QString &latch : latches)
        keyboard->Latch(latch.toLatin1().constData())->setChecked(true);
    QAbstractButton *button = keyboard->Key(key.toLatin1().constData());
    button->setDown(true);
    keyboard->PollKeys();
    button->setDown(false);
    keyboard->PollKeys();
    // One make and one break only, with the winning latch's flag.
    QCOMPARE(keyboard->TakeSent(), expected);
}

void TestKeyboardMessages::plainKeysInTableOrderWithoutRepeat()
{
    auto keyboard = Make(0);
    // Pressed in the opposite order of the table.
    keyboard->Key("A")->setDown(true);
    keyboard->Key("F0")->setDown(true);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x10, 0x12) + KeyMessageBytes(0x00, 0x41));
    for (int i = 0; i < 5; ++i)
        keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());
    keyboard->Key("A")->setDown(false);
    keyboard->Key("F0")->setDown(false);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x11, 0x12) + KeyMessageBytes(0x01, 0x41));
}

void TestKeyboardMessages::twoKeysHeldUnderLatch()
{
    auto keyboard = Make(1);
    keyboard->Latch("SHIFT")->setChecked(true);
    keyboard->Key("W")->setDown(true);
    keyboard->Key("Q")->setDown(true);
    keyboard->PollKeys();
    // Only the key earlier in the table.
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x04, 0x71));

    keyboard->Key("Q")->setDown(false);
    keyboard->PollKeys();
    // The later key now, while it is still held; Q's break waits.
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x04, 0x77));

    keyboard->Key("W")->setDown(false);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x05, 0x71) + KeyMessageBytes(0x05, 0x77));
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());
}

void TestKeyboardMessages::unlatchingShiftWhileKeyHeld()
{
    auto keyboard = Make(0);
    keyboard->Latch("SHIFT")->setChecked(true);
    keyboard->Key("A")->setDown(true);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x04, 0x61));

    keyboard->Latch("SHIFT")->setChecked(false);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x05, 0x61));
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x41));

    keyboard->Key("A")->setDown(false);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0x41));
}

void TestKeyboardMessages::latchingWhileKeyHeld()
{
    auto keyboard = Make(1);
    keyboard->Key("5")->setDown(true);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0x35));

    keyboard->Latch("CTRL")->setChecked(true);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x02, 0x35));

    keyboard->Key("5")->setDown(false);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x03, 0x35));
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray()); // the plain break waits for the latch

    keyboard->Latch("CTRL")->setChecked(false);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0x35));
}

void TestKeyboardMessages::noChannelNoPass()
{
    auto keyboard = Make(0);
    keyboard->DetachChannel(nullptr);
    keyboard->Key("ESC")->setDown(true);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), QByteArray());
    // Nothing was recorded as sent, so the make goes out once attached.
    keyboard->AttachChannel(&m_channel);
    keyboard->PollKeys();
    QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x10, 0x06));
}

void TestKeyboardMessages::lampadaTogglesLookOnly()
{
    auto keyboard = Make(2);
    keyboard->show();
    QAbstractButton *lamp = keyboard->Key("LAMPADA");
    for (int click = 0; click < 2; ++click) {
        QTest::mousePress(lamp, Qt::LeftButton);
        keyboard->PollKeys();
        QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x00, 0xED));
        QTest::mouseRelease(lamp, Qt::LeftButton);
        keyboard->PollKeys();
        QCOMPARE(keyboard->TakeSent(), KeyMessageBytes(0x01, 0xED));
        QCOMPARE(lamp->isChecked(), click == 0); // pressed-in look after every other click
    }
}

void TestKeyboardMessages::controlIdsBelongToTheirLayout()
{
    // 1099 is Q on the full keyboards and LUMACA on the compact keypad;
    // 1045 is a picture on the second keyboard and VENTOLA on the compact one.
    auto full = Make(0);
    full->findChild<QAbstractButton *>(QStringLiteral("key1099"))->setDown(true);
    full->PollKeys();
    QCOMPARE(full->TakeSent(), KeyMessageBytes(0x00, 0x51));

    auto second = Make(1);
    QVERIFY(second->findChild<QLabel *>(QStringLiteral("picture1045")));
    QVERIFY(!second->findChild<QAbstractButton *>(QStringLiteral("key1045")));

    auto compact = Make(2);
    compact->findChild<QAbstractButton *>(QStringLiteral("key1099"))->setDown(true);
    compact->findChild<QAbstractButton *>(QStringLiteral("key1045"))->setDown(true);
    compact->PollKeys();
    QCOMPARE(compact->TakeSent(), KeyMessageBytes(0x00, 0xEB) + KeyMessageBytes(0x00, 0xEF));
}

void TestKeyboardMessages::layoutTablesConsistent()
{
    for (int layout = 0; layout < kKeyboardLayoutCount; ++layout) {
        auto keyboard = Make(layout);
        const KeyboardLayout &data = keyboard->GetLayout();
        QCOMPARE(data.index, layout);
        QCOMPARE(data.templateId, 134 + layout);
        QCOMPARE(RecordingKeyboard(layout, &m_keys).windowTitle(), QStringLiteral("Dialog"));

        // Every control inside the window, no two buttons overlapping.
        QList<QWidget *> controls;
        for (int i = 0; i < data.keys.size(); ++i)
            controls << keyboard->KeyButton(i);
        for (int i = 0; i < data.latches.size(); ++i)
            controls << keyboard->LatchButton(i);
        for (QWidget *control : controls)
            QVERIFY2(keyboard->rect().contains(control->geometry()), qPrintable(control->toolTip()));
        for (int a = 0; a < controls.size(); ++a) {
            for (int b = a + 1; b < controls.size(); ++b) {
                QVERIFY2(!controls[a]->geometry().intersects(controls[b]->geometry()),
                         qPrintable(controls[a]->toolTip() + QLatin1String(" / ") + controls[b]->toolTip()));
            }
        }

        // Every PC key of the tables is read, SPACE last, and nothing else.
        QList<int> mirrored;
        for (int pcKey : data.mirrorList)
            mirrored << pcKey;
        QCOMPARE(mirrored.last(), VK_SPACE);
        QList<int> expected;
        for (const KeyDef &key : data.keys) {
            if (key.pcKey != VK_NONE)
                expected << key.pcKey;
        }
        for (const LatchDef &latch : data.latches)
            expected << latch.pcKey;
        std::sort(mirrored.begin(), mirrored.end());
        std::sort(expected.begin(), expected.end());
        QCOMPARE(mirrored, expected);
    }
}

QTEST_MAIN(TestKeyboardMessages)
#include "tst_keyboard_messages.moc"

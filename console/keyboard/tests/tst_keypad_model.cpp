#include "KeyStateSource.h"
#include "KeyboardLayout.h"
#include "KeypadModel.h"
#include "VirtualKeys.h"

#include <QHash>
#include <QSet>
#include <QTest>

#include <functional>
#include <memory>
#include <vector>

// The keypad state machine without a window, rule by rule: plain keys,
// latched keys, and the mirroring of PC keys. Each scenario is a script of
// operator actions with a pass at every "|", and the messages the
// controller must receive from each pass.
//
// Script words:
//   Q+  Q-        the key's button pushed / let go (mouse; '_' for blanks)
//   *SHIFT /SHIFT the latch checked / unchecked with the mouse
//   @Q+  @Q-      the PC key held / let go
//   @Space!       the PC key pressed and released between two passes
//   away  back    another application active / the console active again
//   |             one pass

namespace {

// Keys and latches as plain flags, with the keypad focus.
class FakeControls : public CKeypadControls
{
public:
    explicit FakeControls(const KeyboardLayout &layout)
        : pushed(size_t(layout.keys.size()), false), checked(size_t(layout.latches.size()), false)
    {
    }
    bool IsKeyPushed(int key) const override { return pushed[size_t(key)]; }
    void SetKeyPushed(int key, bool down) override { pushed[size_t(key)] = down; }
    bool IsLatchChecked(int latch) const override { return checked[size_t(latch)]; }
    void SetLatchChecked(int latch, bool on) override { checked[size_t(latch)] = on; }
    void FocusKey(int key) override { focused = key; }

    std::vector<bool> pushed;
    std::vector<bool> checked;
    int focused = -1;
};

// PC keys as the operator holds them; like the console's real key state, a
// pass sees a change only from the start of the pass on.
class ScriptedKeyState : public CKeyStateSource
{
public:
    bool HasFocusWindow() const override { return focus; }
    void BeginPass() override
    {
        held = pressing;
        ++passes;
    }
    bool IsKeyHeld(int virtualKey) const override { return held.contains(virtualKey); }
    bool TakeKeyHeldOrPressed(int virtualKey) override
    {
        return tapped.remove(virtualKey) || held.contains(virtualKey);
    }

    bool focus = true;
    QSet<int> pressing;
    QSet<int> held;
    QSet<int> tapped;
    int passes = 0;
};

class RecordingSink : public CKeyMessageSink
{
public:
    void SendKeyMessage(quint8 flags, quint8 code) override
    {
        sent << QStringLiteral("%1%2").arg(flags, 2, 16, QLatin1Char('0')).arg(code, 2, 16, QLatin1Char('0'));
        if (afterSend)
            afterSend();
    }
    QString Take()
    {
        const QString all = sent.join(QLatin1Char(' '));
        sent.clear();
        return all;
    }
    QStringList sent;
    std::function<void()> afterSend;
};

int VirtualKeyNamed(const QString &name)
{
    static const QHash<QString, int> named = {
        {QStringLiteral("Shift"), VK_SHIFT}, {QStringLiteral("Ctrl"), VK_CONTROL},
        {QStringLiteral("Alt"), VK_MENU},    {QStringLiteral("Enter"), VK_RETURN},
        {QStringLiteral("Space"), VK_SPACE}, {QStringLiteral("Esc"), VK_ESCAPE},
        {QStringLiteral("F10"), VK_F10},     {QStringLiteral("F12"), VK_F12},
        {QStringLiteral("F11"), 0x7A},       {QStringLiteral("Home"), VK_HOME},
        {QStringLiteral("PgUp"), VK_PRIOR},  {QStringLiteral("Del"), VK_DELETE},
    };
    if (name.size() == 1)
        return name.at(0).toLatin1();
    return named.value(name, VK_NONE);
}

struct Keypad
{
    explicit Keypad(int layout)
        : data(KeyboardLayoutAt(layout)), controls(data), model(data, &keys, &controls, &sink)
    {
    }

    int Key(const QString &name) const
    {
        for (int i = 0; i < data.keys.size(); ++i) {
            if (QString::fromLatin1(data.keys[i].name) == name)
                return i;
        }
        return -1;
    }
    int Latch(const QString &name) const
    {
        for (int i = 0; i < data.latches.size(); ++i) {
            if (QString::fromLatin1(data.latches[i].name) == name)
                return i;
        }
        return -1;
    }

    // Plays a script; returns the messages of each pass, or fails the test
    // on a word it does not know.
    QStringList Play(const QString &script)
    {
        QStringList passes;
        const QStringList words = script.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (QString word : words) {
            word.replace(QLatin1Char('_'), QLatin1Char(' '));
            const QChar last = word.at(word.size() - 1);
            if (word == QLatin1String("|")) {
                model.RunPass();
                passes << sink.Take();
            } else if (word == QLatin1String("away") || word == QLatin1String("back")) {
                keys.focus = word == QLatin1String("back");
            } else if (word.startsWith(QLatin1Char('@'))) {
                const int vk = VirtualKeyNamed(word.mid(1, word.size() - 2));
                if (vk == VK_NONE)
                    return {QStringLiteral("unknown PC key ") + word};
                if (last == QLatin1Char('+'))
                    keys.pressing.insert(vk);
                else if (last == QLatin1Char('-'))
                    keys.pressing.remove(vk);
                else
                    keys.tapped.insert(vk);
            } else if (word.startsWith(QLatin1Char('*')) || word.startsWith(QLatin1Char('/'))) {
                const int latch = Latch(word.mid(1));
                if (latch < 0)
                    return {QStringLiteral("unknown latch ") + word};
                controls.checked[size_t(latch)] = word.startsWith(QLatin1Char('*'));
            } else {
                const int key = Key(word.left(word.size() - 1));
                if (key < 0 || (last != QLatin1Char('+') && last != QLatin1Char('-')))
                    return {QStringLiteral("unknown key ") + word};
                controls.pushed[size_t(key)] = last == QLatin1Char('+');
            }
        }
        return passes;
    }

    const KeyboardLayout &data;
    ScriptedKeyState keys;
    FakeControls controls;
    RecordingSink sink;
    CKeypadModel model;
};

void AddScriptColumns()
{
    QTest::addColumn<int>("layout");
    QTest::addColumn<QString>("script");
    QTest::addColumn<QStringList>("expected");
}

void PlayScript()
{
    QFETCH(int, layout);
    QFETCH(QString, script);
    QFETCH(QStringList, expected);
    Keypad keypad(layout);
    QCOMPARE(keypad.Play(script), expected);
}

} // namespace

class TestKeypadModel : public QObject
{
    Q_OBJECT

private slots:
    void plainKeys_data();
    void plainKeys() { PlayScript(); }
    void latchedKeys_data();
    void latchedKeys() { PlayScript(); }
    void mirroredPcKeys_data();
    void mirroredPcKeys() { PlayScript(); }
    void focusFollowsTheTypingKeys();
    void passStartedDuringASendIsSkipped();
};

void TestKeypadModel::plainKeys_data()
{
    AddScriptColumns();
    QTest::newRow("one make, one break, no repeat while held")
        << 0 << "F0+ | | | F0- | |" << QStringList{"1012", "", "", "1112", ""};
    QTest::newRow("keys held together go in table order")
        << 0 << "A+ F0+ | A- F0- |" << QStringList{"1012 0041", "1112 0141"};
    QTest::newRow("second family: non-character keys are plain codes")
        << 1 << "ESC+ DEL+ | ESC- DEL- |" << QStringList{"007f 001b", "017f 011b"};
    QTest::newRow("compact keypad: one control id, another key")
        << 2 << "LUMACA+ | LUMACA- |" << QStringList{"00eb", "01eb"};
    QTest::newRow("a latch alone sends nothing")
        << 1 << "*SHIFT | *CTRL | /SHIFT /CTRL |" << QStringList{"", "", ""};
}

void TestKeypadModel::latchedKeys_data()
{
    AddScriptColumns();
    QTest::newRow("SHIFT changes the code on the second family")
        << 1 << "*SHIFT | Q+ | Q- | 7+ | 7- |" << QStringList{"", "0471", "0571", "0427", "0527"};
    QTest::newRow("special key of the first family under SHIFT")
        << 0 << "*SHIFT F0+ | F0- |" << QStringList{"1412", "1512"};
    QTest::newRow("compact keypad: SHIFT keeps the code")
        << 2 << "*SHIFT 2+ | 2- |" << QStringList{"0432", "0532"};
    QTest::newRow("only the first key down; the next when it is let go; breaks together")
        << 1 << "*SHIFT W+ Q+ | Q- | W- | |" << QStringList{"0471", "0477", "0571 0577", ""};
    QTest::newRow("SHIFT wins over CTRL")
        << 0 << "*CTRL *SHIFT Q+ | Q- |" << QStringList{"0471", "0571"};
    QTest::newRow("FN sends CTRL's flag")
        << 1 << "*FN DEL+ | DEL- |" << QStringList{"027f", "037f"};
    QTest::newRow("ENT wins over FN")
        << 1 << "*FN *ENT A+ | A- |" << QStringList{"0841", "0941"};
    QTest::newRow("unlatching SHIFT while the key is held")
        << 0 << "*SHIFT A+ | /SHIFT | | A- |" << QStringList{"0461", "0561", "0041", "0141"};
    QTest::newRow("latching while the key is held; plain break after the latch")
        << 1 << "5+ | *CTRL | 5- | | /CTRL |" << QStringList{"0035", "0235", "0335", "", "0135"};
}

void TestKeypadModel::mirroredPcKeys_data()
{
    AddScriptColumns();
    QTest::newRow("PC F10 is F0")
        << 1 << "@F10+ | | @F10- |" << QStringList{"00f0", "", "01f0"};
    QTest::newRow("PC Shift holds the SHIFT latch")
        << 1 << "@Shift+ | @Q+ | @Q- | @Shift- |" << QStringList{"", "0471", "0571", ""};
    QTest::newRow("letting go of PC Shift unchecks a mouse-checked latch")
        << 0 << "*SHIFT | @Shift+ | @Shift- | Q+ | Q- |" << QStringList{"", "", "", "0051", "0151"};
    QTest::newRow("PC F12 is FN on the second family only")
        << 1 << "@F12+ | A+ | A- | @F12- |" << QStringList{"", "0241", "0341", ""};
    QTest::newRow("a PC key without a keypad key is ignored")
        << 2 << "@Q+ @F11+ | @Q- @F11- |" << QStringList{"", ""};
    QTest::newRow("a SPACE tap between passes counts once")
        << 0 << "@Space! | | |" << QStringList{"0020", "0120", ""};
    QTest::newRow("a tap of another key between passes counts once too")
        << 0 << "@A! | | |" << QStringList{"0041", "0141", ""};
    QTest::newRow("another application active: nothing, not even the mouse")
        << 1 << "away @A+ B+ | back |" << QStringList{"", "0041 0042"};
    QTest::newRow("held while another application is active: break when back")
        << 1 << "@A+ | away @A- | back |" << QStringList{"0041", "", "0141"};
}

void TestKeypadModel::focusFollowsTheTypingKeys()
{
    Keypad keypad(1);
    const int returnKey = keypad.Key(QStringLiteral("RETURN"));
    const int spaceKey = keypad.Key(QStringLiteral("SPACE"));

    // A mirrored key keeps the focus on RETURN, which PC Enter drives.
    QCOMPARE(keypad.Play(QStringLiteral("@Enter+ |")), QStringList{"000d"});
    QCOMPARE(keypad.controls.focused, returnKey);
    QVERIFY(keypad.controls.pushed[size_t(returnKey)]);

    // The space bar pushes the focused button, so the focus moves to SPACE
    // and RETURN is let go in the same pass.
    QCOMPARE(keypad.Play(QStringLiteral("@Space+ |")), QStringList{"010d 0020"});
    QCOMPARE(keypad.controls.focused, spaceKey);
    QVERIFY(!keypad.controls.pushed[size_t(returnKey)]);

    // SPACE let go: the focus goes back to RETURN.
    QCOMPARE(keypad.Play(QStringLiteral("@Enter- @Space- |")), QStringList{"0120"});
    QCOMPARE(keypad.controls.focused, returnKey);
    QVERIFY(!keypad.controls.pushed[size_t(spaceKey)]);

    // Another application active: the key state is not even read.
    const int passes = keypad.keys.passes;
    keypad.Play(QStringLiteral("away | |"));
    QCOMPARE(keypad.keys.passes, passes);
}

void TestKeypadModel::passStartedDuringASendIsSkipped()
{
    // A blocking send runs a nested event loop, from which a pass may be
    // asked for: it must not run inside the first one.
    Keypad keypad(0);
    int nestedRuns = 0;
    keypad.sink.afterSend = [&keypad, &nestedRuns] {
        // Q comes before A in the scan: the running pass is past it.
        keypad.controls.pushed[size_t(keypad.Key(QStringLiteral("Q")))] = true;
        if (keypad.model.RunPass())
            ++nestedRuns;
    };
    QCOMPARE(keypad.Play(QStringLiteral("A+ |")), QStringList{"0041"});
    QCOMPARE(nestedRuns, 0);
    keypad.sink.afterSend = nullptr;
    // The key pushed meanwhile goes out with the next pass, once.
    QCOMPARE(keypad.Play(QStringLiteral("| |")), (QStringList{"0051", ""}));
}

QTEST_APPLESS_MAIN(TestKeypadModel)
#include "tst_keypad_model.moc"

#pragma once

#include "KeyboardLayout.h"

#include <QtGlobal>

#include <vector>

class CKeyStateSource;

// The keys and latches of a keypad as its state machine sees them: whether
// each key's button is pushed and each latch is checked, and the few things
// the mirroring of PC keys does to them. The keypad window implements it
// with its buttons; tests with plain flags.
class CKeypadControls
{
public:
    virtual ~CKeypadControls() = default;

    // The key's button is pushed: held by the mouse, by the space bar on
    // the focused button, or by the mirroring of its PC key.
    virtual bool IsKeyPushed(int key) const = 0;
    virtual void SetKeyPushed(int key, bool pushed) = 0;
    virtual bool IsLatchChecked(int latch) const = 0;
    virtual void SetLatchChecked(int latch, bool checked) = 0;
    // Gives the key's button the keypad's focus, if it does not have it.
    virtual void FocusKey(int key) = 0;
    // A pass has read the keys: a click that came and went before it has
    // been counted (IsKeyPushed reports such a click until then).
    virtual void EndPass() {}
};

// Where the key messages of a keypad go.
class CKeyMessageSink
{
public:
    virtual ~CKeyMessageSink() = default;
    virtual void SendKeyMessage(quint8 flags, quint8 code) = 0;
};

// The state machine of one keypad. Each pass mirrors the held PC keys onto
// the keypad's keys and latches, then sends a make message for every key
// that went down and a break message for every key that came up, under the
// first active latch that has anything to do or else plainly.
//
// The flags below remember what the controller was told; they survive
// hiding and re-attaching the keypad and are lost only with it.
class CKeypadModel
{
public:
    // Nothing is owned; all must outlive the model.
    CKeypadModel(const KeyboardLayout &layout, CKeyStateSource *keys, CKeypadControls *controls,
                 CKeyMessageSink *sink);

    // One pass. True when it sent a message or moved a key or latch: the
    // next pass may then have more to do (a SPACE tap's break, the plain
    // make of a key still held when its latch is let go), so passes go on
    // until one changes nothing. A pass started while another runs (from a
    // nested event loop under a send) is skipped and gives false.
    bool RunPass();

    // Reads the PC keys into the mirror flags, the buttons and the latches.
    // False when the console has no focus window (another application is
    // active): nothing is read and the pass must end.
    bool MirrorPcKeys();
    // Sends for one latch; true when the latch handled the pass.
    bool SendLatchedKeys(int latch);
    void SendPlainKeys();

    // The keypad stops typing into its controller (another screen window,
    // a menu or a dialog, the console left, the keypad off): every key it
    // sent a make for counts as broken (the key ledger sends the breaks to
    // the controller), and every key down now is held over, left out until
    // it has been let go, so that it is not made again when typing resumes.
    void LetGoOfKeys();

    bool IsKeyDown(int key) const;
    bool IsLatchActive(int latch) const;
    bool IsKeyMirrored(int key) const { return m_keyMirrored[size_t(key)] != 0; }
    int KeyCount() const { return m_keyCount; }
    int ReturnKey() const { return m_returnKey; }
    int SpaceKey() const { return m_spaceKey; }

private:
    void ResolveMirrorList();
    bool IsKeyPressedNow(int key) const;
    void EndHoldOvers();
    void EndHoldOver(int key, const char *why);
    void LogHeldOver() const;
    bool LatchSent(int latch, int key) const { return m_latchSent[size_t(latch * m_keyCount + key)]; }
    void SetLatchSent(int latch, int key, bool sent) { m_latchSent[size_t(latch * m_keyCount + key)] = sent; }
    quint8 CodeUnderLatch(int latch, int key) const;
    quint8 BaseFlags(int key) const;
    void Send(quint8 flags, quint8 code);
    void Push(int key, bool pushed);
    void Check(int latch, bool checked);

    // What a PC key of the mirror list drives.
    struct MirrorTarget
    {
        enum Kind : quint8 { Nothing, Key, Latch, Space };
        int virtualKey;
        Kind kind;
        int index;
    };

    const KeyboardLayout &m_layout;
    CKeyStateSource *m_keys;
    CKeypadControls *m_controls;
    CKeyMessageSink *m_sink;

    int m_keyCount = 0;
    int m_returnKey = -1;
    int m_spaceKey = -1;
    std::vector<MirrorTarget> m_mirrorTargets;

    // All false at construction.
    std::vector<quint8> m_keyMirrored;
    std::vector<quint8> m_latchMirrored;
    std::vector<quint8> m_plainSent;
    std::vector<quint8> m_latchSent; // latch-major: [latch][key]
    std::vector<quint8> m_heldOver;  // down when typing stopped, not yet let go

    bool m_inPass = false;
    bool m_changed = false; // in this pass
};

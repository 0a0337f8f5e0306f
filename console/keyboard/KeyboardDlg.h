#pragma once

#include "KeyboardLayout.h"
#include "KprotChannel.h"

#include <QDialog>
#include <QPointer>

#include <vector>

class CKeyStateSource;
class QAbstractButton;
class QLabel;
class QPushButton;

// One on-screen keypad: a modeless window of bitmap keys, modifier latches
// and fixed pictures copied from a controller's keypad. It is polled, never
// driven by clicks: each pass reads the buttons and the PC keys that mirror
// them and sends a make message when a key goes down and a break message
// when it comes up, through the channel of the screen window it is attached
// to.
//
// The window has a caption but no close box; Esc, Enter and every other
// input leave it open. Only its owner (CKeyboardSet) hides and destroys it.
class CKeyboardDlg : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(CKeyboardDlg)

public:
    // Builds the window (hidden) for a keypad. keys tells which PC keys are
    // held; mainFrame is the window the keypad is placed against. Neither is
    // owned. The window has no parent.
    explicit CKeyboardDlg(const KeyboardLayout &layout, CKeyStateSource *keys,
                          QWidget *mainFrame = nullptr);
    ~CKeyboardDlg() override;

    // Binds the window to a screen window's channel (not owned); the caption
    // becomes the channel's host when it differs from the attached one.
    void AttachChannel(CKprotChannel *channel);
    // With null, forgets the attached channel; with a channel, forgets the
    // attached one only when it names the same host.
    void DetachChannel(CKprotChannel *channel);
    CKprotChannel *GetChannel() const { return m_channel; }

    // Puts the window centred on the main frame, bottom to bottom.
    void PlaceKeyboard();
    // One polling pass: mirror the PC keys, then send what changed.
    void PollKeys();

    const KeyboardLayout &GetLayout() const { return m_layout; }
    QAbstractButton *KeyButton(int key) const;
    QAbstractButton *LatchButton(int latch) const;
    QLabel *Picture(int picture) const;

protected:
    // Reads the PC keys into the mirror flags and the buttons. False when the
    // console has no focus window (another application is active).
    bool MirrorPcKeys();
    // Sends for one latch; true when the latch handled the pass.
    bool SendLatchedKeys(int latch);
    void SendPlainKeys();
    // Hands one key message to the attached channel. Tests record here.
    virtual void SendKeyMessage(quint8 flags, quint8 code);

    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

public slots:
    void reject() override;

private:
    void BuildControls();
    bool IsKeyDown(int key) const;
    bool IsLatchActive(int latch) const;
    bool LatchSent(int latch, int key) const { return m_latchSent[size_t(latch * m_keyCount + key)]; }
    void SetLatchSent(int latch, int key, bool sent) { m_latchSent[size_t(latch * m_keyCount + key)] = sent; }
    quint8 CodeUnderLatch(int latch, int key) const;
    quint8 BaseFlags(int key) const;

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
    QPointer<QWidget> m_mainFrame;
    QPointer<CKprotChannel> m_channel;

    int m_keyCount = 0;
    int m_returnKey = -1;
    int m_spaceKey = -1;
    std::vector<QPushButton *> m_keyButtons;
    std::vector<QPushButton *> m_latchButtons;
    std::vector<QLabel *> m_pictures;
    std::vector<MirrorTarget> m_mirrorTargets;

    // All false at construction; they survive hiding and re-attaching.
    std::vector<quint8> m_keyMirrored;
    std::vector<quint8> m_latchMirrored;
    std::vector<quint8> m_plainSent;
    std::vector<quint8> m_latchSent; // latch-major: [latch][key]

    bool m_inPass = false;
    bool m_placedOnShow = false;
};

#pragma once

#include "KeyboardLayout.h"
#include "KeypadModel.h"
#include "KprotChannel.h"

#include <QDialog>
#include <QPointer>

#include <vector>

class CKeyLedger;
class CKeyStateSource;
class QAbstractButton;
class QLabel;
class QPushButton;

// One on-screen keypad: a modeless window of bitmap keys, modifier latches
// and fixed pictures copied from a controller's keypad. It is the view of a
// keypad state machine (CKeypadModel), never driven by clicks directly:
// each pass reads the buttons and the PC keys that mirror them and sends a
// make message when a key goes down and a break message when it comes up,
// through the channel of the screen window it is attached to.
//
// The window has a caption but no close box; Esc, Enter and every other
// input leave it open. Only its owner (CKeyboardSet) hides and destroys it.
class CKeyboardDlg : public QDialog, public CKeypadControls, public CKeyMessageSink
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
    // Key messages go through the ledger (not owned) when one is given,
    // straight to the attached channel otherwise.
    void SetKeyLedger(CKeyLedger *ledger) { m_ledger = ledger; }
    bool HasKeyLedger() const { return m_ledger != nullptr; }
    // Typing into the controller stops: what was made counts as broken and
    // keys down now are held over until let go (CKeypadModel::LetGoOfKeys).
    void LetGoOfKeys() { m_model.LetGoOfKeys(); }

    // Puts the window centred on the main frame, bottom to bottom.
    void PlaceKeyboard();
    // One polling pass: mirror the PC keys, then send what changed. Nothing
    // while no channel is attached. True when the pass changed something,
    // so that another pass is due (CKeypadModel::RunPass).
    bool PollKeys();

    const KeyboardLayout &GetLayout() const { return m_layout; }
    QAbstractButton *KeyButton(int key) const;
    QAbstractButton *LatchButton(int latch) const;
    QLabel *Picture(int picture) const;

    // The keypad's buttons as its state machine reads and drives them.
    bool IsKeyPushed(int key) const override;
    void SetKeyPushed(int key, bool pushed) override;
    bool IsLatchChecked(int latch) const override;
    void SetLatchChecked(int latch, bool checked) override;
    void FocusKey(int key) override;
    void EndPass() override;

signals:
    // A key or latch was pushed, let go or toggled: a pass has work to do.
    void ControlsChanged();

protected:
    // Hands one key message to the attached channel. Tests record here.
    void SendKeyMessage(quint8 flags, quint8 code) override;

    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;
    void hideEvent(QHideEvent *event) override;

public slots:
    void reject() override;

private:
    void BuildControls();

    const KeyboardLayout &m_layout;
    CKeyStateSource *m_keys;
    QPointer<QWidget> m_mainFrame;
    QPointer<CKprotChannel> m_channel;
    CKeyLedger *m_ledger = nullptr;

    std::vector<QPushButton *> m_keyButtons;
    // Pushed by the mouse since the last pass: a click whose press and
    // release came in one batch still counts once.
    std::vector<quint8> m_clickedSincePass;
    std::vector<QPushButton *> m_latchButtons;
    std::vector<QLabel *> m_pictures;

    CKeypadModel m_model;
    bool m_placedOnShow = false;
};

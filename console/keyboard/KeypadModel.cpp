#include "KeypadModel.h"

#include "KeyMessage.h"
#include "KeyStateSource.h"
#include "KeysLog.h"
#include "VirtualKeys.h"

#include <algorithm>

CKeypadModel::CKeypadModel(const KeyboardLayout &layout, CKeyStateSource *keys,
                           CKeypadControls *controls, CKeyMessageSink *sink)
    : m_layout(layout)
    , m_keys(keys)
    , m_controls(controls)
    , m_sink(sink)
    , m_keyCount(layout.keys.size())
{
    m_keyMirrored.assign(size_t(m_keyCount), 0);
    m_heldOver.assign(size_t(m_keyCount), 0);
    m_plainSent.assign(size_t(m_keyCount), 0);
    m_latchMirrored.assign(size_t(layout.latches.size()), 0);
    m_latchSent.assign(size_t(layout.latches.size() * m_keyCount), 0);

    for (int i = 0; i < m_keyCount; ++i) {
        if (layout.keys[i].pcKey == VK_RETURN)
            m_returnKey = i;
        else if (layout.keys[i].pcKey == VK_SPACE)
            m_spaceKey = i;
    }
    ResolveMirrorList();
}

void CKeypadModel::ResolveMirrorList()
{
    // Resolved once, so a pass only reads flags and buttons.
    m_mirrorTargets.reserve(size_t(m_layout.mirrorList.size()));
    for (const int pcKey : m_layout.mirrorList) {
        MirrorTarget target{pcKey, MirrorTarget::Nothing, -1};
        if (pcKey == VK_SPACE && m_spaceKey >= 0) {
            target = {pcKey, MirrorTarget::Space, m_spaceKey};
        } else {
            for (int i = 0; i < m_keyCount && target.kind == MirrorTarget::Nothing; ++i) {
                if (m_layout.keys[i].pcKey == pcKey)
                    target = {pcKey, MirrorTarget::Key, i};
            }
            for (int i = 0; i < m_layout.latches.size() && target.kind == MirrorTarget::Nothing; ++i) {
                if (m_layout.latches[i].pcKey == pcKey)
                    target = {pcKey, MirrorTarget::Latch, i};
            }
        }
        m_mirrorTargets.push_back(target);
    }
}

bool CKeypadModel::RunPass()
{
    // A send may run a nested event loop (a blocking write, a message box);
    // a pass started from there would interleave with this one.
    if (m_inPass)
        return false;
    m_inPass = true;
    m_changed = false;
    if (MirrorPcKeys()) {
        EndHoldOvers();
        bool handled = false;
        for (int latch = 0; latch < m_layout.latches.size() && !handled; ++latch)
            handled = SendLatchedKeys(latch);
        if (!handled)
            SendPlainKeys();
        m_controls->EndPass();
    }
    m_inPass = false;
    return m_changed;
}

void CKeypadModel::Send(quint8 flags, quint8 code)
{
    m_changed = true;
    m_sink->SendKeyMessage(flags, code);
}

void CKeypadModel::Push(int key, bool pushed)
{
    m_changed = true;
    m_controls->SetKeyPushed(key, pushed);
}

void CKeypadModel::Check(int latch, bool checked)
{
    m_changed = true;
    m_controls->SetLatchChecked(latch, checked);
}

bool CKeypadModel::MirrorPcKeys()
{
    if (!m_keys || !m_keys->HasFocusWindow())
        return false;
    m_keys->BeginPass();

    for (const MirrorTarget &target : m_mirrorTargets) {
        switch (target.kind) {
        case MirrorTarget::Nothing:
            break;
        case MirrorTarget::Key: {
            quint8 &mirrored = m_keyMirrored[size_t(target.index)];
            // A key held over is pressed again when a new press came.
            if (m_keys->WasPressedSinceTake(target.virtualKey))
                EndHoldOver(target.index, "pressed anew");
            // A tap whose press and release both came since the last pass
            // still counts as down for this one; its break follows.
            if (m_keys->TakeKeyHeldOrPressed(target.virtualKey)) {
                // Keeps the keypad's focus on RETURN, the key the PC's
                // Enter drives, while PC keys type.
                if (m_returnKey >= 0)
                    m_controls->FocusKey(m_returnKey);
                if (!mirrored) {
                    mirrored = 1;
                    Push(target.index, true);
                }
            } else if (mirrored) {
                mirrored = 0;
                Push(target.index, false);
            }
            break;
        }
        case MirrorTarget::Latch: {
            quint8 &mirrored = m_latchMirrored[size_t(target.index)];
            if (m_keys->TakeKeyHeldOrPressed(target.virtualKey)) {
                if (!mirrored) {
                    mirrored = 1;
                    Check(target.index, true);
                }
            } else if (mirrored) {
                // Letting go of the PC key unlatches, even a latch that was
                // checked by mouse before.
                mirrored = 0;
                Check(target.index, false);
            }
            break;
        }
        case MirrorTarget::Space: {
            quint8 &mirrored = m_keyMirrored[size_t(target.index)];
            if (m_keys->WasPressedSinceTake(target.virtualKey))
                EndHoldOver(target.index, "pressed anew");
            if (m_keys->TakeKeyHeldOrPressed(target.virtualKey)) {
                // The space bar also pushes the focused button; with the
                // focus on SPACE it pushes SPACE itself, not RETURN.
                m_controls->FocusKey(target.index);
                if (!mirrored) {
                    if (m_returnKey >= 0) {
                        m_keyMirrored[size_t(m_returnKey)] = 0;
                        Push(m_returnKey, false);
                    }
                    mirrored = 1;
                    Push(target.index, true);
                }
            } else if (mirrored) {
                if (m_returnKey >= 0)
                    m_controls->FocusKey(m_returnKey);
                mirrored = 0;
                Push(target.index, false);
            }
            break;
        }
        }
    }
    return true;
}

bool CKeypadModel::IsKeyPressedNow(int key) const
{
    return m_keyMirrored[size_t(key)] || m_controls->IsKeyPushed(key);
}

bool CKeypadModel::IsKeyDown(int key) const
{
    return !m_heldOver[size_t(key)] && IsKeyPressedNow(key);
}

void CKeypadModel::EndHoldOvers()
{
    // A held-over key counts again once it has been seen up.
    for (int key = 0; key < m_keyCount; ++key) {
        if (!IsKeyPressedNow(key))
            EndHoldOver(key, "seen up");
    }
}

void CKeypadModel::EndHoldOver(int key, const char *why)
{
    quint8 &heldOver = m_heldOver[size_t(key)];
    if (!heldOver)
        return;
    heldOver = 0;
    qCDebug(lcKeys) << "key" << m_layout.keys[key].name << "counts again:" << why;
}

void CKeypadModel::LetGoOfKeys()
{
    std::fill(m_plainSent.begin(), m_plainSent.end(), 0);
    std::fill(m_latchSent.begin(), m_latchSent.end(), 0);
    for (int key = 0; key < m_keyCount; ++key)
        m_heldOver[size_t(key)] = IsKeyPressedNow(key) ? 1 : 0;
    if (!m_keys)
        return;
    for (const MirrorTarget &target : m_mirrorTargets) {
        if (target.kind != MirrorTarget::Key && target.kind != MirrorTarget::Space)
            continue;
        // A PC key held now is held over too, also one this keypad has not
        // mirrored yet (the keypads were just made, or shown for another
        // layout); presses seen since the last pass were meant for the
        // controller left.
        if (m_keys->IsKeyHeld(target.virtualKey))
            m_heldOver[size_t(target.index)] = 1;
        m_keys->TakeKeyHeldOrPressed(target.virtualKey);
    }
    for (const MirrorTarget &target : m_mirrorTargets) {
        if (target.kind == MirrorTarget::Latch)
            m_keys->TakeKeyHeldOrPressed(target.virtualKey);
    }
    LogHeldOver();
}

void CKeypadModel::LogHeldOver() const
{
    if (!lcKeys().isDebugEnabled())
        return;
    QStringList names;
    for (int key = 0; key < m_keyCount; ++key) {
        if (m_heldOver[size_t(key)])
            names << QString::fromLatin1(m_layout.keys[key].name);
    }
    if (!names.isEmpty())
        qCDebug(lcKeys).noquote() << "held over, not sent until let go and pressed again:" << names.join(QLatin1Char(' '));
}

bool CKeypadModel::IsLatchActive(int latch) const
{
    return m_latchMirrored[size_t(latch)] || m_controls->IsLatchChecked(latch);
}

quint8 CKeypadModel::BaseFlags(int key) const
{
    return m_layout.keys[key].special ? KF_SPECIAL : 0;
}

quint8 CKeypadModel::CodeUnderLatch(int latch, int key) const
{
    const KeyDef &def = m_layout.keys[key];
    return m_layout.latches[latch].flag == KF_SHIFT ? def.shiftCode : def.code;
}

bool CKeypadModel::SendLatchedKeys(int latch)
{
    const quint8 flag = m_layout.latches[latch].flag;
    bool handled = false;

    if (IsLatchActive(latch)) {
        // Under a latch only the first key down counts, once.
        for (int key = 0; key < m_keyCount; ++key) {
            if (!IsKeyDown(key))
                continue;
            if (!LatchSent(latch, key)) {
                SetLatchSent(latch, key, true);
                Send(quint8(BaseFlags(key) | flag), CodeUnderLatch(latch, key));
            }
            return true;
        }
        handled = true;
    }

    // No key down under this latch, or the latch was let go: every key sent
    // with its flag comes up now, in table order.
    for (int key = 0; key < m_keyCount; ++key) {
        if (!LatchSent(latch, key))
            continue;
        SetLatchSent(latch, key, false);
        Send(quint8(BaseFlags(key) | flag | KF_BREAK), CodeUnderLatch(latch, key));
        handled = true;
    }
    return handled;
}

void CKeypadModel::SendPlainKeys()
{
    for (int key = 0; key < m_keyCount; ++key) {
        const bool down = IsKeyDown(key);
        quint8 &sent = m_plainSent[size_t(key)];
        // The flag changes first: a message the channel fails to send is
        // not repeated.
        if (down && !sent) {
            sent = 1;
            Send(BaseFlags(key), m_layout.keys[key].code);
        } else if (!down && sent) {
            sent = 0;
            Send(quint8(BaseFlags(key) | KF_BREAK), m_layout.keys[key].code);
        }
    }
}

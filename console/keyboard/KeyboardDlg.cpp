#include "KeyboardDlg.h"

#include "DialogUnits.h"
#include "KeyBitmaps.h"
#include "KeyMessage.h"
#include "KeyStateSource.h"
#include "KprotChannel.h"
#include "VirtualKeys.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>

namespace {

QRect PixelRect(const DialogRect &r)
{
    // Window geometry comes in dialog units, turned into pixels at the
    // console's one fixed scale whatever font the desktop uses.
    return DluRect(r.x, r.y, r.width, r.height);
}

} // namespace

CKeyboardDlg::CKeyboardDlg(const KeyboardLayout &layout, CKeyStateSource *keys, QWidget *mainFrame)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::MSWindowsFixedSizeDialogHint)
    , m_layout(layout)
    , m_keys(keys)
    , m_mainFrame(mainFrame)
    , m_keyCount(layout.keys.size())
{
    setModal(false);
    // A keypad left on screen must not keep the console running after its
    // main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Dialog"));
    setFixedSize(DluX(layout.width), DluY(layout.height));

    m_keyMirrored.assign(size_t(m_keyCount), 0);
    m_plainSent.assign(size_t(m_keyCount), 0);
    m_latchMirrored.assign(size_t(layout.latches.size()), 0);
    m_latchSent.assign(size_t(layout.latches.size() * m_keyCount), 0);

    BuildControls();
    PlaceKeyboard();
}

CKeyboardDlg::~CKeyboardDlg() = default;

void CKeyboardDlg::BuildControls()
{
    const QPalette colours = palette();

    for (int i = 0; i < m_keyCount; ++i) {
        const KeyDef &key = m_layout.keys[i];
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("key%1").arg(key.controlId));
        button->setAccessibleName(QString::fromLatin1(key.name));
        button->setToolTip(QString::fromLatin1(key.name));
        button->setGeometry(PixelRect(key.rect));
        button->setFocusPolicy(Qt::ClickFocus); // no tab stop
        button->setAutoDefault(false);
        button->setCheckable(key.toggles);
        const QPixmap face = DrawKeyBitmap(key.bitmap, colours);
        button->setIcon(QIcon(face));
        button->setIconSize(face.size());
        m_keyButtons.push_back(button);
        if (key.pcKey == VK_RETURN)
            m_returnKey = i;
        else if (key.pcKey == VK_SPACE)
            m_spaceKey = i;
    }
    // RETURN looks like the default button; Enter still does nothing.
    if (m_returnKey >= 0)
        m_keyButtons[size_t(m_returnKey)]->setDefault(true);

    for (const LatchDef &latch : m_layout.latches) {
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("latch%1").arg(latch.controlId));
        button->setAccessibleName(QString::fromLatin1(latch.name));
        button->setToolTip(QString::fromLatin1(latch.name));
        button->setGeometry(PixelRect(latch.rect));
        button->setFocusPolicy(Qt::ClickFocus);
        button->setAutoDefault(false);
        button->setCheckable(true); // each click toggles; checked is drawn pressed in
        const QPixmap face = DrawKeyBitmap(latch.bitmap, colours);
        button->setIcon(QIcon(face));
        button->setIconSize(face.size());
        m_latchButtons.push_back(button);
    }

    for (const PictureDef &picture : m_layout.pictures) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("picture%1").arg(picture.controlId));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        const QPixmap image = DrawKeyBitmap(picture.bitmap, colours);
        label->setPixmap(image);
        const QRect place = PixelRect(picture.rect);
        if (picture.centred) {
            label->setAlignment(Qt::AlignCenter);
            label->setGeometry(place);
        } else {
            // An uncentred picture control takes the size of its bitmap.
            label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
            const int frame = 2 * label->frameWidth();
            label->setGeometry(place.x(), place.y(), image.width() + frame, image.height() + frame);
        }
        m_pictures.push_back(label);
    }

    // Resolve the mirror list once, so a pass only reads flags and buttons.
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

QAbstractButton *CKeyboardDlg::KeyButton(int key) const
{
    return key >= 0 && key < m_keyCount ? m_keyButtons[size_t(key)] : nullptr;
}

QAbstractButton *CKeyboardDlg::LatchButton(int latch) const
{
    return latch >= 0 && latch < int(m_latchButtons.size()) ? m_latchButtons[size_t(latch)] : nullptr;
}

QLabel *CKeyboardDlg::Picture(int picture) const
{
    return picture >= 0 && picture < int(m_pictures.size()) ? m_pictures[size_t(picture)] : nullptr;
}

void CKeyboardDlg::AttachChannel(CKprotChannel *channel)
{
    if (channel && (!m_channel || m_channel->GetHost() != channel->GetHost()))
        setWindowTitle(channel->GetHost());
    m_channel = channel;
}

void CKeyboardDlg::DetachChannel(CKprotChannel *channel)
{
    if (!channel)
        m_channel = nullptr;
    else if (m_channel && m_channel->GetHost() == channel->GetHost())
        m_channel = nullptr;
}

void CKeyboardDlg::PlaceKeyboard()
{
    if (!m_mainFrame)
        return;
    const QRect frame = m_mainFrame->frameGeometry();
    const QRect own = frameGeometry();
    // Integer division truncates towards zero, also when the keypad is wider
    // than the main frame.
    const int left = frame.x() + (frame.width() - own.width()) / 2;
    const int top = frame.y() + frame.height() - own.height();
    move(left, top);
    update();
}

void CKeyboardDlg::PollKeys()
{
    // A send may run a nested event loop (a blocking write, a message box);
    // a pass started from there would interleave with this one.
    if (m_inPass || !m_channel)
        return;
    m_inPass = true;
    if (MirrorPcKeys()) {
        bool handled = false;
        for (int latch = 0; latch < m_layout.latches.size() && !handled; ++latch)
            handled = SendLatchedKeys(latch);
        if (!handled)
            SendPlainKeys();
    }
    m_inPass = false;
}

bool CKeyboardDlg::MirrorPcKeys()
{
    if (!m_keys || !m_keys->HasFocusWindow())
        return false;

    QPushButton *returnButton = m_returnKey >= 0 ? m_keyButtons[size_t(m_returnKey)] : nullptr;
    for (const MirrorTarget &target : m_mirrorTargets) {
        switch (target.kind) {
        case MirrorTarget::Nothing:
            break;
        case MirrorTarget::Key: {
            QPushButton *button = m_keyButtons[size_t(target.index)];
            quint8 &mirrored = m_keyMirrored[size_t(target.index)];
            if (m_keys->IsKeyHeld(target.virtualKey)) {
                // Keeps the keypad's focus on RETURN, the key the PC's
                // Enter drives, while PC keys type.
                if (returnButton && !returnButton->hasFocus())
                    returnButton->setFocus(Qt::OtherFocusReason);
                if (!mirrored) {
                    mirrored = 1;
                    button->setDown(true);
                }
            } else if (mirrored) {
                mirrored = 0;
                button->setDown(false);
            }
            break;
        }
        case MirrorTarget::Latch: {
            QPushButton *button = m_latchButtons[size_t(target.index)];
            quint8 &mirrored = m_latchMirrored[size_t(target.index)];
            if (m_keys->IsKeyHeld(target.virtualKey)) {
                if (!mirrored) {
                    mirrored = 1;
                    button->setChecked(true);
                }
            } else if (mirrored) {
                // Letting go of the PC key unlatches, even a latch that was
                // checked by mouse before.
                mirrored = 0;
                button->setChecked(false);
            }
            break;
        }
        case MirrorTarget::Space: {
            QPushButton *button = m_keyButtons[size_t(target.index)];
            quint8 &mirrored = m_keyMirrored[size_t(target.index)];
            if (m_keys->TakeKeyHeldOrPressed(target.virtualKey)) {
                // The space bar also pushes the focused button; with the
                // focus on SPACE it pushes SPACE itself, not RETURN.
                if (!button->hasFocus())
                    button->setFocus(Qt::OtherFocusReason);
                if (!mirrored) {
                    if (m_returnKey >= 0) {
                        m_keyMirrored[size_t(m_returnKey)] = 0;
                        returnButton->setDown(false);
                    }
                    mirrored = 1;
                    button->setDown(true);
                }
            } else if (mirrored) {
                if (returnButton)
                    returnButton->setFocus(Qt::OtherFocusReason);
                mirrored = 0;
                button->setDown(false);
            }
            break;
        }
        }
    }
    return true;
}

bool CKeyboardDlg::IsKeyDown(int key) const
{
    return m_keyMirrored[size_t(key)] || m_keyButtons[size_t(key)]->isDown();
}

bool CKeyboardDlg::IsLatchActive(int latch) const
{
    return m_latchMirrored[size_t(latch)] || m_latchButtons[size_t(latch)]->isChecked();
}

quint8 CKeyboardDlg::BaseFlags(int key) const
{
    return m_layout.keys[key].special ? KF_SPECIAL : 0;
}

quint8 CKeyboardDlg::CodeUnderLatch(int latch, int key) const
{
    const KeyDef &def = m_layout.keys[key];
    return m_layout.latches[latch].flag == KF_SHIFT ? def.shiftCode : def.code;
}

bool CKeyboardDlg::SendLatchedKeys(int latch)
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
                SendKeyMessage(quint8(BaseFlags(key) | flag), CodeUnderLatch(latch, key));
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
        SendKeyMessage(quint8(BaseFlags(key) | flag | KF_BREAK), CodeUnderLatch(latch, key));
        handled = true;
    }
    return handled;
}

void CKeyboardDlg::SendPlainKeys()
{
    for (int key = 0; key < m_keyCount; ++key) {
        const bool down = IsKeyDown(key);
        quint8 &sent = m_plainSent[size_t(key)];
        // The flag changes first: a message the channel fails to send is
        // not repeated.
        if (down && !sent) {
            sent = 1;
            SendKeyMessage(BaseFlags(key), m_layout.keys[key].code);
        } else if (!down && sent) {
            sent = 0;
            SendKeyMessage(quint8(BaseFlags(key) | KF_BREAK), m_layout.keys[key].code);
        }
    }
}

void CKeyboardDlg::SendKeyMessage(quint8 flags, quint8 code)
{
    if (!m_channel)
        return;
    const char message[kKeyMessageSize] = {char(flags), char(code)};
    m_channel->SendBytes(message, kKeyMessageSize);
}

void CKeyboardDlg::keyPressEvent(QKeyEvent *event)
{
    // Esc and Enter reach the controller as key messages; to the window
    // itself they mean nothing.
    switch (event->key()) {
    case Qt::Key_Escape:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        event->accept();
        return;
    default:
        QDialog::keyPressEvent(event);
    }
}

void CKeyboardDlg::reject()
{
    // The keypad is never closed by its own input.
}

void CKeyboardDlg::closeEvent(QCloseEvent *event)
{
    event->ignore();
}

void CKeyboardDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    // The first showing knows the window frame; place the keypad with it.
    if (!m_placedOnShow) {
        m_placedOnShow = true;
        PlaceKeyboard();
    }
}

void CKeyboardDlg::hideEvent(QHideEvent *event)
{
    // A hidden window loses the mouse, so no button can still be held by it;
    // keys held through the PC keyboard stay down.
    for (int key = 0; key < m_keyCount; ++key) {
        if (!m_keyMirrored[size_t(key)])
            m_keyButtons[size_t(key)]->setDown(false);
    }
    QDialog::hideEvent(event);
}

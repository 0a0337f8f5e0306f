#include "KeyboardDlg.h"

#include "DialogUnits.h"
#include "KeyBitmaps.h"
#include "KeyLedger.h"
#include "KeyMessage.h"
#include "KeysLog.h"
#include "KprotChannel.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QPixmapCache>
#include <QPushButton>

#include <algorithm>

namespace {

QRect PixelRect(const DialogRect &r)
{
    // Window geometry comes in dialog units, turned into pixels at the
    // console's one fixed scale whatever font the desktop uses.
    return DluRect(r.x, r.y, r.width, r.height);
}

// A face is drawn once for each palette: "Tastiera" makes the three keypads
// anew each time it turns them on.
QPixmap KeyFace(const KeyBitmap &bitmap, const QPalette &palette)
{
    const QString key = QStringLiteral("brenlow-key-%1-%2").arg(quintptr(&bitmap)).arg(palette.cacheKey());
    QPixmap face;
    if (!QPixmapCache::find(key, &face)) {
        face = DrawKeyBitmap(bitmap, palette);
        QPixmapCache::insert(key, face);
    }
    return face;
}

} // namespace

CKeyboardDlg::CKeyboardDlg(const KeyboardLayout &layout, CKeyStateSource *keys, QWidget *mainFrame)
    : QDialog(nullptr, Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint
                           | Qt::MSWindowsFixedSizeDialogHint)
    , m_layout(layout)
    , m_keys(keys)
    , m_mainFrame(mainFrame)
    , m_model(layout, keys, this, this)
{
    setModal(false);
    // A keypad left on screen must not keep the console running after its
    // main window closed.
    setAttribute(Qt::WA_QuitOnClose, false);
    setWindowTitle(QStringLiteral("Dialog"));
    setFixedSize(DluX(layout.width), DluY(layout.height));

    BuildControls();
    PlaceKeyboard();
}

CKeyboardDlg::~CKeyboardDlg()
{
    // The buttons outlive this part of the window: a button let go as it is
    // destroyed must not reach the keypad any more.
    for (QPushButton *button : m_keyButtons)
        button->disconnect(this);
    for (QPushButton *button : m_latchButtons)
        button->disconnect(this);
}

void CKeyboardDlg::BuildControls()
{
    const QPalette colours = palette();
    m_clickedSincePass.assign(size_t(m_layout.keys.size()), 0);

    for (const KeyDef &key : m_layout.keys) {
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("key%1").arg(key.controlId));
        button->setAccessibleName(QString::fromLatin1(key.name));
        button->setToolTip(QString::fromLatin1(key.name));
        button->setGeometry(PixelRect(key.rect));
        button->setFocusPolicy(Qt::ClickFocus); // no tab stop
        button->setAutoDefault(false);
        button->setCheckable(key.toggles);
        const QPixmap face = KeyFace(key.bitmap, colours);
        button->setIcon(QIcon(face));
        button->setIconSize(face.size());
        m_keyButtons.push_back(button);
        // A pass has work whenever the mouse or the space bar pushes or
        // lets go of a key.
        const size_t index = m_keyButtons.size() - 1;
        connect(button, &QAbstractButton::pressed, this, [this, index] {
            // A menu or a modal dialog owns the mouse meanwhile.
            if (!QApplication::activePopupWidget() && !QApplication::activeModalWidget())
                m_clickedSincePass[index] = 1;
            emit ControlsChanged();
        });
        connect(button, &QAbstractButton::released, this, &CKeyboardDlg::ControlsChanged);
    }
    // RETURN looks like the default button; Enter still does nothing.
    if (m_model.ReturnKey() >= 0)
        m_keyButtons[size_t(m_model.ReturnKey())]->setDefault(true);

    for (const LatchDef &latch : m_layout.latches) {
        auto *button = new QPushButton(this);
        button->setObjectName(QStringLiteral("latch%1").arg(latch.controlId));
        button->setAccessibleName(QString::fromLatin1(latch.name));
        button->setToolTip(QString::fromLatin1(latch.name));
        button->setGeometry(PixelRect(latch.rect));
        button->setFocusPolicy(Qt::ClickFocus);
        button->setAutoDefault(false);
        button->setCheckable(true); // each click toggles; checked is drawn pressed in
        const QPixmap face = KeyFace(latch.bitmap, colours);
        button->setIcon(QIcon(face));
        button->setIconSize(face.size());
        m_latchButtons.push_back(button);
        connect(button, &QAbstractButton::toggled, this, &CKeyboardDlg::ControlsChanged);
    }

    for (const PictureDef &picture : m_layout.pictures) {
        auto *label = new QLabel(this);
        label->setObjectName(QStringLiteral("picture%1").arg(picture.controlId));
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setLineWidth(1);
        const QPixmap image = KeyFace(picture.bitmap, colours);
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
}

QAbstractButton *CKeyboardDlg::KeyButton(int key) const
{
    return key >= 0 && key < int(m_keyButtons.size()) ? m_keyButtons[size_t(key)] : nullptr;
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

bool CKeyboardDlg::PollKeys()
{
    if (!m_channel) {
        qCDebug(lcKeys) << "keypad" << windowTitle() << "follows no screen window: its keys are not read";
        return false;
    }
    return m_model.RunPass();
}

bool CKeyboardDlg::IsKeyPushed(int key) const
{
    return m_keyButtons[size_t(key)]->isDown() || m_clickedSincePass[size_t(key)];
}

void CKeyboardDlg::EndPass()
{
    std::fill(m_clickedSincePass.begin(), m_clickedSincePass.end(), 0);
}

void CKeyboardDlg::SetKeyPushed(int key, bool pushed)
{
    m_keyButtons[size_t(key)]->setDown(pushed);
}

bool CKeyboardDlg::IsLatchChecked(int latch) const
{
    return m_latchButtons[size_t(latch)]->isChecked();
}

void CKeyboardDlg::SetLatchChecked(int latch, bool checked)
{
    m_latchButtons[size_t(latch)]->setChecked(checked);
}

void CKeyboardDlg::FocusKey(int key)
{
    // A button held by the mouse would let go when it lost the focus, and
    // its click would never be sent.
    const QWidget *focus = focusWidget();
    for (const QPushButton *held : m_keyButtons) {
        if (held == focus && held->isDown() && QApplication::mouseButtons() != Qt::NoButton)
            return;
    }
    QPushButton *button = m_keyButtons[size_t(key)];
    if (!button->hasFocus())
        button->setFocus(Qt::OtherFocusReason);
}

void CKeyboardDlg::SendKeyMessage(quint8 flags, quint8 code)
{
    if (m_ledger) {
        m_ledger->Send(m_channel, flags, code);
        return;
    }
    if (!m_channel) {
        qCDebug(lcKeys) << "key message" << flags << code << "not sent: the keypad follows no screen window";
        return;
    }
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
    for (int key = 0; key < m_model.KeyCount(); ++key) {
        if (!m_model.IsKeyMirrored(key))
            m_keyButtons[size_t(key)]->setDown(false);
    }
    EndPass();
    QDialog::hideEvent(event);
}

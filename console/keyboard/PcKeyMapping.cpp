#include "PcKeyMapping.h"

#include "VirtualKeys.h"

#include <QGuiApplication>
#include <QKeyEvent>

namespace {

// X11 key codes of the main-block digit row 1..9, 0: the same on every
// keyboard, whatever characters the layout prints on the keys.
constexpr quint32 kXcbDigitRowFirst = 10;
constexpr quint32 kXcbDigitRowLast = 19;

bool OnXcb()
{
    static const bool xcb = QGuiApplication::platformName() == QLatin1String("xcb");
    return xcb;
}

} // namespace

int VirtualKeyFromQtKey(int qtKey, Qt::KeyboardModifiers modifiers)
{
    if (qtKey >= Qt::Key_A && qtKey <= Qt::Key_Z)
        return qtKey; // Qt's letter keys carry the capitals' codes
    if (qtKey >= Qt::Key_0 && qtKey <= Qt::Key_9)
        return modifiers.testFlag(Qt::KeypadModifier) ? VK_NONE : qtKey;
    if (qtKey >= Qt::Key_F1 && qtKey <= Qt::Key_F24)
        return VK_F1 + (qtKey - Qt::Key_F1);

    switch (qtKey) {
    case Qt::Key_Tab:
    case Qt::Key_Backtab:
        return VK_TAB;
    case Qt::Key_Return:
    case Qt::Key_Enter:
        return VK_RETURN;
    case Qt::Key_Shift:
        return VK_SHIFT;
    case Qt::Key_Control:
        return VK_CONTROL;
    case Qt::Key_Alt:
        return VK_MENU;
    case Qt::Key_Escape:
        return VK_ESCAPE;
    case Qt::Key_Space:
        return VK_SPACE;
    case Qt::Key_PageUp:
        return VK_PRIOR;
    case Qt::Key_PageDown:
        return VK_NEXT;
    case Qt::Key_Home:
        return VK_HOME;
    case Qt::Key_Left:
        return VK_LEFT;
    case Qt::Key_Up:
        return VK_UP;
    case Qt::Key_Right:
        return VK_RIGHT;
    case Qt::Key_Down:
        return VK_DOWN;
    case Qt::Key_Delete:
        return VK_DELETE;
    default:
        return VK_NONE;
    }
}

int VirtualKeyFromEvent(const QKeyEvent &event)
{
    const int key = VirtualKeyFromQtKey(event.key(), event.modifiers());
    if (key != VK_NONE)
        return key;
    const quint32 scanCode = event.nativeScanCode();
    if (OnXcb() && scanCode >= kXcbDigitRowFirst && scanCode <= kXcbDigitRowLast
        && !event.modifiers().testFlag(Qt::KeypadModifier)) {
        // 10 is the 1 key, 18 the 9 key, 19 the 0 key.
        return scanCode == kXcbDigitRowLast ? '0' : int('1' + (scanCode - kXcbDigitRowFirst));
    }
    return VK_NONE;
}

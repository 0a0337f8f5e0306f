#include "ScreenImage.h"

ScreenImage::ScreenImage() = default;

void ScreenImage::SetFormat(int displayMode, int keyboardLayout)
{
    m_displayMode = displayMode;
    m_keyboardLayout = keyboardLayout;
}

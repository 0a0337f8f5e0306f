#pragma once

#include "UserMessages.h"

// The console's message boxes on screen: modal, over the active window.
class WidgetMessages final : public UserMessages
{
public:
    void Show(const QString &caption, const QString &text, MessageIcon icon) override;
};

#pragma once

#include <QString>

// The console reports every failure at once in a modal message box captioned
// with the application title. The boxes go through this small layer so that
// the channel, the screen windows and the keyboards can be driven by tests,
// which install a recorder instead of a blocking box.

enum class MessageIcon { Error, Exclamation, Information, Question };

// Caption of every message box of the console.
inline const char *const kAppTitle = "Brenlow";

class UserMessages
{
public:
    virtual ~UserMessages() = default;
    // Shows text with the given caption and icon; returns when the user closed it.
    virtual void Show(const QString &caption, const QString &text, MessageIcon icon) = 0;
};

// The sink in use. Until the program installs its own, messages go to stderr.
UserMessages &Messages();
// Installs a sink (not owned); nullptr restores the stderr fallback.
void SetMessages(UserMessages *sink);

// Shortcut for the console's usual box, captioned "Brenlow".
void ShowMessage(const QString &text, MessageIcon icon);

#pragma once

#include <QString>

class QWidget;

// The message boxes the launcher can show. Production code goes through
// LauncherMessages::current(); tests install a recorder so that no modal box
// waits for a click in a headless run.
class LauncherMessages
{
public:
    virtual ~LauncherMessages();

    // Critical box with an Ok button only and no default button.
    virtual void critical(QWidget *parent, const QString &title, const QString &text) = 0;
    // Modal box without parent, title or icon, with an Ok button.
    virtual void plain(const QString &text) = 0;
    // Warning box with a single Close button.
    virtual void warning(QWidget *parent, const QString &title, const QString &text) = 0;

    static LauncherMessages &current();
    // Replaces the boxes in use; nullptr puts the real message boxes back.
    static void install(LauncherMessages *messages);
};

// The real modal message boxes.
class LauncherMessageBoxes : public LauncherMessages
{
public:
    void critical(QWidget *parent, const QString &title, const QString &text) override;
    void plain(const QString &text) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;
};

#pragma once

#include <QString>
#include <QVector>

#include <memory>

// One top-level window of the desktop.
struct DesktopWindow
{
    quint64 id = 0;
    qint64 pid = 0; // owning process, 0 when unknown
    QString title;
};

// The desktop's top-level windows and the raising of one of them.
class DesktopWindows
{
public:
    virtual ~DesktopWindows();
    // Top-level windows from the top of the stacking order downwards.
    virtual QVector<DesktopWindow> topDown() = 0;
    // Brings target to the foreground on behalf of the window own: restored
    // when it is minimised, maximised otherwise.
    virtual void raise(const DesktopWindow &target, const DesktopWindow &own) = 0;
};

// A desktop whose windows cannot be listed: nothing is ever raised.
class NoDesktopWindows : public DesktopWindows
{
public:
    QVector<DesktopWindow> topDown() override { return {}; }
    void raise(const DesktopWindow &, const DesktopWindow &) override {}
};

// The windows of the session's desktop. On Linux the launcher checks for the
// main program before it has any window of its own, and a window manager
// lists only mapped windows, so the own window is never found there and
// raising is left to the main program: the session desktop lists nothing.
std::unique_ptr<DesktopWindows> createSessionDesktopWindows();

#pragma once

#include "KeypadInput.h"
#include "PanelCanvas.h"
#include "PanelFormat.h"

#include <QString>
#include <QTime>

// Who the simulated controller is, as its panel shows it.
struct PanelIdentity
{
    QString address;
    PanelFormat format = PanelFormat::Mono;
    int layout = 0;
    qint32 chipId = 9;
    qint32 revision = 0;
};

// The controller's display: title, clock, address, panel and keypad
// settings, the input line with the last key message, and a knitting
// carriage that moves on every tick, so a console shows visible updates.
// In colour it adds lamps, colour-level bars and the full 256-colour palette.
// With the flood strip on, a narrow stripe at the right edge changes on every
// row at each flood step, so every band or line differs from the step before.
class ControllerPanel
{
public:
    ControllerPanel(const PanelIdentity &identity, bool floodStrip);

    void Tick() { ++m_ticks; }
    void AdvanceFlood() { ++m_floodPhase; }
    void ApplyKey(quint8 flags, quint8 code) { m_input.Apply(flags, code); }
    void SetConsoleCount(int count) { m_consoles = count; }

    const KeypadInput &Input() const { return m_input; }
    quint64 Ticks() const { return m_ticks; }

    // A full picture of the panel at the given time of day.
    PanelCanvas Render(const QTime &clock) const;
    // Redraws only the flood stripe, for the next flood step.
    void DrawFloodStrip(PanelCanvas &canvas) const;

private:
    struct Colours;
    void RenderText(PanelCanvas &canvas, const Colours &colours, const QTime &clock) const;
    void RenderColourAreas(PanelCanvas &canvas) const;
    void RenderCarriage(PanelCanvas &canvas, const Colours &colours, int top, int height) const;
    QString ChipLine() const;

    PanelIdentity m_identity;
    bool m_floodStrip;
    KeypadInput m_input;
    quint64 m_ticks = 0;
    quint64 m_floodPhase = 0;
    int m_consoles = 0;
};

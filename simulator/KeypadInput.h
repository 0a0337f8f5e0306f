#pragma once

#include <QString>

// What the controller makes of the keys a console sends: the text of its
// input line, the line last confirmed with RETURN, and the last key message.
// Keys act when pressed (make); releases only update the last key shown.
class KeypadInput
{
public:
    static constexpr int kMaxInputLength = 48;

    explicit KeypadInput(int layout) : m_layout(layout) {}

    void Apply(quint8 flags, quint8 code);

    QString Input() const { return m_input; }
    QString Entered() const { return m_entered; }
    QString LastKey() const { return m_lastKey; }
    bool HasLastKey() const { return m_messageCount > 0; }
    quint8 LastFlags() const { return m_lastFlags; }
    quint8 LastCode() const { return m_lastCode; }
    quint64 MessageCount() const { return m_messageCount; }

private:
    enum class Edit { None, Type, Backspace, Enter, Clear };
    Edit EditFor(quint8 flags, quint8 code) const;

    int m_layout;
    QString m_input;
    QString m_entered;
    QString m_lastKey;
    quint8 m_lastFlags = 0;
    quint8 m_lastCode = 0;
    quint64 m_messageCount = 0;
};

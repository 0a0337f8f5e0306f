#pragma once

#include <QWidget>

#include <array>

class QLineEdit;

// An IPv4 address entry of four fields, each taking 0 to 255, separated by
// fixed dots. Typing a dot or a third digit moves on to the next field;
// Backspace in an empty field goes back to the previous one.
class IPv4AddressEdit : public QWidget
{
    Q_OBJECT
    Q_DISABLE_COPY(IPv4AddressEdit)

public:
    explicit IPv4AddressEdit(QWidget *parent = nullptr);

    // True when every field holds a number.
    bool IsComplete() const;
    // The four fields as "%d.%d.%d.%d" (no leading zeros); empty unless complete.
    QString Address() const;
    // Fills the fields from a dotted text; fields it lacks stay empty.
    void SetAddress(const QString &address);
    QLineEdit *Field(int index) const { return m_fields[std::size_t(index)]; }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    int IndexOf(QObject *field) const;

    std::array<QLineEdit *, 4> m_fields{};
};

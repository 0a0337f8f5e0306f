#include "IPv4AddressEdit.h"

#include <QHBoxLayout>
#include <QValidator>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>

namespace {

// One field of the address: up to three digits worth 0 to 255; anything
// else cannot even be typed.
class ByteValidator final : public QValidator
{
public:
    using QValidator::QValidator;
    State validate(QString &input, int &) const override
    {
        if (input.isEmpty())
            return Intermediate;
        for (const QChar c : qAsConst(input))
            if (!c.isDigit() || c.unicode() > '9')
                return Invalid;
        return input.size() <= 3 && input.toInt() <= 255 ? Acceptable : Invalid;
    }
};

} // namespace

IPv4AddressEdit::IPv4AddressEdit(QWidget *parent)
    : QWidget(parent)
{
    auto *layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    for (int i = 0; i < 4; ++i) {
        auto *field = new QLineEdit(this);
        field->setObjectName(QStringLiteral("field%1").arg(i));
        field->setValidator(new ByteValidator(field));
        field->setMaxLength(3);
        field->setAlignment(Qt::AlignCenter);
        field->installEventFilter(this);
        m_fields[std::size_t(i)] = field;
        layout->addWidget(field, 1);
        if (i < 3) {
            auto *dot = new QLabel(QStringLiteral("."), this);
            dot->setAlignment(Qt::AlignCenter);
            layout->addWidget(dot);
        }
        connect(field, &QLineEdit::textEdited, this, [this, i](const QString &text) {
            if (i < 3 && text.size() == 3) {
                m_fields[std::size_t(i + 1)]->setFocus();
                m_fields[std::size_t(i + 1)]->selectAll();
            }
        });
    }
    setFocusProxy(m_fields[0]);
}

int IPv4AddressEdit::IndexOf(QObject *field) const
{
    for (int i = 0; i < 4; ++i)
        if (m_fields[std::size_t(i)] == field)
            return i;
    return -1;
}

bool IPv4AddressEdit::eventFilter(QObject *watched, QEvent *event)
{
    const int i = IndexOf(watched);
    if (i >= 0 && event->type() == QEvent::KeyPress) {
        const auto *key = static_cast<QKeyEvent *>(event);
        if (key->text() == QLatin1String(".")) {
            if (i < 3 && !m_fields[std::size_t(i)]->text().isEmpty()) {
                m_fields[std::size_t(i + 1)]->setFocus();
                m_fields[std::size_t(i + 1)]->selectAll();
            }
            return true;
        }
        if (key->key() == Qt::Key_Backspace && i > 0 && m_fields[std::size_t(i)]->text().isEmpty()) {
            m_fields[std::size_t(i - 1)]->setFocus();
            m_fields[std::size_t(i - 1)]->end(false);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}

bool IPv4AddressEdit::IsComplete() const
{
    for (const QLineEdit *field : m_fields) {
        bool ok = false;
        const int value = field->text().toInt(&ok);
        if (!ok || value < 0 || value > 255)
            return false;
    }
    return true;
}

QString IPv4AddressEdit::Address() const
{
    if (!IsComplete())
        return {};
    QStringList parts;
    for (const QLineEdit *field : m_fields)
        parts << QString::number(field->text().toInt());
    return parts.join(QLatin1Char('.'));
}

void IPv4AddressEdit::SetAddress(const QString &address)
{
    const QStringList parts = address.split(QLatin1Char('.'));
    for (int i = 0; i < 4; ++i)
        m_fields[std::size_t(i)]->setText(i < parts.size() ? parts.at(i) : QString());
}

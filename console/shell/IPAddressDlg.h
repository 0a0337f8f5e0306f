#pragma once

#include <QDialog>

namespace Ui {
class CIPAddressDlg;
}

// Asks the operator for a controller's IPv4 address. OK is taken only when
// all four fields are filled; the address then reads "%d.%d.%d.%d".
class CIPAddressDlg : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(CIPAddressDlg)

public:
    explicit CIPAddressDlg(QWidget *parent = nullptr);
    ~CIPAddressDlg() override;

    QString Address() const { return m_address; }

    void accept() override;

private:
    Ui::CIPAddressDlg *m_ui;
    QString m_address;
};

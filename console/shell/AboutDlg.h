#pragma once

#include <QDialog>

namespace Ui {
class CAboutDlg;
}

// The console's about box: program icon, name and version.
class CAboutDlg : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(CAboutDlg)

public:
    explicit CAboutDlg(QWidget *parent = nullptr);
    ~CAboutDlg() override;

private:
    Ui::CAboutDlg *m_ui;
};

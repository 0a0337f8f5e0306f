#include "IPAddressDlg.h"

#include "IPv4AddressEdit.h"
#include "ui_IPAddressDlg.h"

CIPAddressDlg::CIPAddressDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::CIPAddressDlg)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(size());
    connect(m_ui->IDOK, &QPushButton::clicked, this, &CIPAddressDlg::accept);
    connect(m_ui->IDCANCEL, &QPushButton::clicked, this, &CIPAddressDlg::reject);
    m_ui->IDC_IPADDRESS->setFocus();
}

CIPAddressDlg::~CIPAddressDlg()
{
    delete m_ui;
}

void CIPAddressDlg::accept()
{
    // An address with an empty field is not an address: stay open, quietly.
    if (!m_ui->IDC_IPADDRESS->IsComplete())
        return;
    m_address = m_ui->IDC_IPADDRESS->Address();
    QDialog::accept();
}

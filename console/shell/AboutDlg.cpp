#include "AboutDlg.h"

#include "ConsoleIcons.h"
#include "ProgramVersions.h"
#include "ui_AboutDlg.h"

CAboutDlg::CAboutDlg(QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::CAboutDlg)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);
    setFixedSize(size());
    m_ui->IDC_ICON->setPixmap(ConsoleIcons::ProgramIcon().pixmap(32, 32));
    m_ui->IDC_VERSION->setText(QStringLiteral("Brenlow Versione ") + QLatin1String(ProgramVersions::kConsole));
    connect(m_ui->IDOK, &QPushButton::clicked, this, &CAboutDlg::accept);
}

CAboutDlg::~CAboutDlg()
{
    delete m_ui;
}

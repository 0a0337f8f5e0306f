#include "QDlgQuorvelAbout.h"
#include "ProgramVersions.h"
#include "ui_QDlgQuorvelAbout.h"

#include <QDesktopServices>
#include <QKeyEvent>

namespace {

// The launcher module's version: major in bits 24-31, minor in bits 16-23,
// build in bits 0-15. Module and product carry the platform's release.
constexpr quint32 moduleVersion = ProgramVersions::kLauncherPacked;
const char *const moduleName = "QuorvelEnv";
const char *const releaseDate = "22/3/2021";
constexpr unsigned productMajor = ProgramVersions::kPlatformMajor;
constexpr unsigned productMinor = ProgramVersions::kPlatformMinor;
constexpr unsigned productBuild = ProgramVersions::kPlatformBuild;

const char *const machineMakerAddress = "https://vrandel.example.com/";
const char *const softwareMakerAddress = "https://prevok.example.com/";

void setupLinkButton(QCommandLinkButton *button, const QUrl &site)
{
    button->setText(site.host());
    button->setToolTip(site.toString());
}

} // namespace

QDlgQuorvelAbout::QDlgQuorvelAbout(const QString &buildId, QWidget *parent, Qt::WindowFlags flags)
    : QDialog(parent, flags)
    , m_ui(new Ui::QDlgQuorvelAboutClass)
    , m_buildId(buildId)
{
    // A title bar of its own making, without the help button. The close
    // button stays: it is the one way to close the box, as no key does.
    Qt::WindowFlags windowFlags = this->windowFlags();
    windowFlags &= ~(Qt::WindowContextHelpButtonHint | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    windowFlags |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
    setWindowFlags(windowFlags);

    m_ui->setupUi(this);
    setupLinkButton(m_ui->m_cmdLinkVrandel, machineMakerSite());
    setupLinkButton(m_ui->m_cmdLinkPrevok, softwareMakerSite());

    m_ui->groupBox_2->setStyleSheet(
        QStringLiteral("QGroupBox {border: 2px solid gray; border-radius: 5px; margin-top: 1ex;}"));
    m_ui->m_tblProduct->setRowCount(1);
    fillRow(m_ui->m_tblProduct, ProductRow);
    m_ui->m_tblModules->setRowCount(1);
    fillRow(m_ui->m_tblModules, ModuleRow);
    setDetailsVisible(false);
}

QDlgQuorvelAbout::~QDlgQuorvelAbout()
{
    delete m_ui;
}

QString QDlgQuorvelAbout::versionText(quint32 packedVersion)
{
    return QStringLiteral("%1.%2.%3")
        .arg((packedVersion >> 24) & 0xFF)
        .arg((packedVersion >> 16) & 0xFF)
        .arg(packedVersion & 0xFFFF);
}

QUrl QDlgQuorvelAbout::machineMakerSite()
{
    return QUrl(QString::fromLatin1(machineMakerAddress));
}

QUrl QDlgQuorvelAbout::softwareMakerSite()
{
    return QUrl(QString::fromLatin1(softwareMakerAddress));
}

void QDlgQuorvelAbout::fillVersionRow(RowKind kind, QString &name, QString &version,
                                      QString &date) const
{
    date = QString::fromLatin1(releaseDate);
    if (kind == ProductRow) {
        name = tr("Product");
        version = QStringLiteral("%1.%2.%3").arg(productMajor).arg(productMinor).arg(productBuild);
        if (!m_buildId.isEmpty())
            version += QLatin1Char('.') + m_buildId;
    } else {
        name = QString::fromLatin1(moduleName);
        version = versionText(moduleVersion);
    }
}

void QDlgQuorvelAbout::fillRow(QTableWidget *table, RowKind kind)
{
    QString name;
    QString version;
    QString date;
    fillVersionRow(kind, name, version, date);
    const QString texts[] = {name.toUpper(), version, date};
    for (int column = 0; column < 3; ++column) {
        auto *item = new QTableWidgetItem(texts[column]);
        item->setFlags(Qt::ItemIsSelectable | Qt::ItemIsEnabled);
        if (kind == ProductRow) {
            QFont font = item->font();
            font.setWeight(QFont::Bold);
            item->setFont(font);
            item->setData(Qt::BackgroundRole, QColor(Qt::yellow));
        }
        table->setItem(0, column, item);
    }
}

void QDlgQuorvelAbout::setDetailsVisible(bool visible)
{
    m_ui->m_tblModules->setVisible(visible);
    if (visible) {
        m_ui->m_pbViewModules->setIcon(QIcon(QStringLiteral(":/Quorvel/Resources/ButPageUp.png")));
        m_ui->labDetails->setText(tr("Meno dettagli"));
    } else {
        m_ui->m_pbViewModules->setIcon(QIcon(QStringLiteral(":/Quorvel/Resources/ButPageDown.png")));
        m_ui->labDetails->setText(tr("Più dettagli"));
    }
}

void QDlgQuorvelAbout::keyPressEvent(QKeyEvent *event)
{
    // The box is closed by its owner only: Escape is passed on, every other
    // key is swallowed, and the dialog's own Escape and Enter never run.
    if (event->key() == Qt::Key_Escape)
        event->ignore();
}

void QDlgQuorvelAbout::on_m_cmdLinkVrandel_clicked()
{
    QDesktopServices::openUrl(machineMakerSite());
}

void QDlgQuorvelAbout::on_m_cmdLinkPrevok_clicked()
{
    QDesktopServices::openUrl(softwareMakerSite());
}

void QDlgQuorvelAbout::on_m_pbViewModules_clicked()
{
    // The table's own hidden state, so the toggle also holds before the box is shown.
    setDetailsVisible(m_ui->m_tblModules->isHidden());
}

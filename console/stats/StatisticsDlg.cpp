#include "StatisticsDlg.h"

#include "KprotChannel.h"
#include "StatisticsTexts.h"
#include "StatisticsLayout.h"
#include "ui_StatisticsDlg.h"

#include <QLabel>
#include <QPushButton>

using namespace StatisticsTexts;

CStatisticsDlg::CStatisticsDlg(const QString &host, QWidget *parent)
    : QDialog(parent)
    , m_ui(new Ui::CStatisticsDlg)
{
    m_ui->setupUi(this);
    setWindowFlags(windowFlags() & ~Qt::WindowContextHelpButtonHint);

    FitFont();
    setFixedSize(StatisticsLayout::UnitsToPixelsX(StatisticsLayout::kWidthUnits),
                 StatisticsLayout::UnitsToPixelsY(StatisticsLayout::kHeightUnits));

    // Every field starts empty, the chip line's template text included, and
    // stays so until the first record with a known chip.
    m_valueControls.insert(StatisticsIds::IDC_CHIP_LINE, m_ui->IDC_CHIP_LINE);
    for (const auto &counter : StatisticsCounters()) {
        auto *control = findChild<QLabel *>(QLatin1String(counter.objectName));
        Q_ASSERT(control);
        if (control)
            m_valueControls.insert(counter.controlId, control);
    }
    for (QLabel *control : qAsConst(m_valueControls))
        control->clear();

    connect(m_ui->IDOK, &QPushButton::clicked, this, &CStatisticsDlg::accept);

    // The caption names the controller asked for, also when it cannot be
    // reached, so the operator sees which one the empty window belongs to.
    setWindowTitle(QStringLiteral("Dati statistici - ") + host);

    // A child, so that it goes with the window however the window ends.
    m_channel = new CKprotChannel(this);
    m_channel->Open(host, this, STATS_PORT);
}

CStatisticsDlg::~CStatisticsDlg()
{
    delete m_channel;
    delete m_ui;
}

void CStatisticsDlg::FitFont()
{
    // The form is drawn for the 8 pt dialog font. The desktop's sans font is
    // often wider, and the longest register names would be cut off in their
    // boxes; the window takes the largest size up to the dialog font's at
    // which every label fits, the same for all texts.
    QFont dialogFont = font();
    for (int pixels = StatisticsLayout::kFontPixelSize; pixels >= StatisticsLayout::kSmallestFontPixelSize;
         --pixels) {
        dialogFont.setPixelSize(pixels);
        const QFontMetrics metrics(dialogFont);
        bool fits = true;
        for (const QLabel *label : findChildren<QLabel *>()) {
            if (label->frameShape() != QFrame::NoFrame
                && metrics.horizontalAdvance(label->text()) > label->contentsRect().width()) {
                fits = false;
                break;
            }
        }
        if (fits)
            break;
    }
    setFont(dialogFont);
}

void CStatisticsDlg::OnChannelData()
{
    if (!m_channel)
        return;
    if (m_parser.Parse(m_channel->GetReceiveBuffer()))
        ShowRecord(m_parser.LastRecord());
}

void CStatisticsDlg::ShowRecord(const StatisticsRecord &record)
{
    // A record with an unknown chip is left out whole: the counters of a
    // chip the console cannot name are not to be trusted either.
    const QHash<int, QString> texts = FormatStatistics(record);
    for (auto it = texts.cbegin(); it != texts.cend(); ++it) {
        if (QLabel *control = m_valueControls.value(it.key()))
            control->setText(it.value());
    }
}

void CStatisticsDlg::done(int result)
{
    DropChannel();
    QDialog::done(result);
}

void CStatisticsDlg::DropChannel()
{
    if (!m_channel)
        return;
    // The window may be closed from inside the channel's own notification
    // (a message box of the channel runs an event loop), so the channel is
    // closed now and freed once control is back in the event loop; the
    // notification then finds the window without a channel and does nothing.
    m_channel->Close();
    m_channel->deleteLater();
    m_channel = nullptr;
}

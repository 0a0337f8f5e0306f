#include "StatisticsTexts.h"

#include "StatisticsRecordParser.h"

using namespace StatisticsIds;

namespace StatisticsTexts {

const std::array<StatisticsCounter, 28> &StatisticsCounters()
{
    static const std::array<StatisticsCounter, 28> counters = {{
        {8, IDC_REG_ARR_FAILED, "reg_arr_FAILED", "IDC_REG_ARR_FAILED"},
        {12, IDC_REG_IST_RX_OVRN_INT, "reg_ist_RX_OVRN_INT", "IDC_REG_IST_RX_OVRN_INT"},
        {16, IDC_REG_IST_ERCV_INT, "reg_ist_ERCV_INT", "IDC_REG_IST_ERCV_INT"},
        {20, IDC_REG_DATA_LENGTH, "reg_data_LENGTH", "IDC_REG_DATA_LENGTH"},
        {24, IDC_REG_DATA_STATUS, "reg_data_STATUS", "IDC_REG_DATA_STATUS"},
        {28, IDC_REG_EPHSR_SNGL_COL, "reg_ephsr_SNGL_COL", "IDC_REG_EPHSR_SNGL_COL"},
        {32, IDC_REG_EPHSR_MUL_COL, "reg_ephsr_MUL_COL", "IDC_REG_EPHSR_MUL_COL"},
        {36, IDC_REG_EPHSR_LTX_MULT, "reg_ephsr_LTX_MULT", "IDC_REG_EPHSR_LTX_MULT"},
        {40, IDC_REG_EPHSR_16_COL, "reg_ephsr_16_COL", "IDC_REG_EPHSR_16_COL"},
        {44, IDC_REG_EPHSR_SQET, "reg_ephsr_SQET", "IDC_REG_EPHSR_SQET"},
        {48, IDC_REG_EPHSR_LTX_BRD, "reg_ephsr_LTX_BRD", "IDC_REG_EPHSR_LTX_BRD"},
        {52, IDC_REG_EPHSR_TX_DEFR, "reg_ephsr_TX_DEFR", "IDC_REG_EPHSR_TX_DEFR"},
        {56, IDC_REG_EPHSR_WAKEUP, "reg_ephsr_WAKEUP", "IDC_REG_EPHSR_WAKEUP"},
        {60, IDC_REG_EPHSR_LATCOL, "reg_ephsr_LATCOL", "IDC_REG_EPHSR_LATCOL"},
        {64, IDC_REG_EPHSR_LOST_CARR, "reg_ephsr_LOST_CARR", "IDC_REG_EPHSR_LOST_CARR"},
        {68, IDC_REG_EPHSR_EXC_DEF, "reg_ephsr_EXC_DEF", "IDC_REG_EPHSR_EXC_DEF"},
        {72, IDC_REG_EPHSR_CTR_ROL, "reg_ephsr_CTR_ROL", "IDC_REG_EPHSR_CTR_ROL"},
        {76, IDC_REG_EPHSR_RX_OVRN, "reg_ephsr_RX_OVRN", "IDC_REG_EPHSR_RX_OVRN"},
        {80, IDC_REG_EPHSR_TX_UNRN, "reg_ephsr_TX_UNRN", "IDC_REG_EPHSR_TX_UNRN"},
        {84, IDC_TX_KBYTE, "tx_Kbyte", "IDC_TX_KBYTE"},
        {88, IDC_TX_PACKED, "tx_packed", "IDC_TX_PACKED"},
        {92, IDC_RX_KBYTE, "rx_Kbyte", "IDC_RX_KBYTE"},
        {96, IDC_RX_PACKED, "rx_packed", "IDC_RX_PACKED"},
        {100, IDC_RX_ETH_UNKNOWN, "rx_eth_unknown", "IDC_RX_ETH_UNKNOWN"},
        {104, IDC_RX_IEEE802_UNKNOWN, "rx_ieee802_unknown", "IDC_RX_IEEE802_UNKNOWN"},
        {108, IDC_TX_RETRY, "tx_retry", "IDC_TX_RETRY"},
        {112, IDC_TX_FINE_RETRY, "tx_fine_retry", "IDC_TX_FINE_RETRY"},
        {116, IDC_TX_IP_BUSY, "tx_IP_busy", "IDC_TX_IP_BUSY"},
    }};
    return counters;
}

QString ChipName(qint32 chipId)
{
    // The LAN91C9x family members the console names; the controller reports
    // the id as it reads it from the chip. Any other id (6 too) has no name.
    switch (chipId) {
    case 3:
        return QStringLiteral("LAN91C90/92");
    case 4:
        return QStringLiteral("LAN91C94/96");
    case 5:
        return QStringLiteral("LAN91C95");
    case 7:
        return QStringLiteral("LAN91C100");
    case 8:
        return QStringLiteral("LAN91C100FD");
    case 9:
        return QStringLiteral("LAN91C110");
    default:
        return QString();
    }
}

QHash<int, QString> FormatStatistics(const StatisticsRecord &record)
{
    QHash<int, QString> texts;
    const QString chip = ChipName(record.ValueAt(kChipIdOffset));
    if (chip.isNull())
        return texts;

    texts.insert(IDC_CHIP_LINE,
                 chip + QStringLiteral("  rev. ") + QString::number(record.ValueAt(kChipRevisionOffset)));
    for (const auto &counter : StatisticsCounters())
        texts.insert(counter.controlId, QString::number(record.ValueAt(counter.offset)));
    return texts;
}

} // namespace StatisticsTexts

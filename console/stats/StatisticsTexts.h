#pragma once

#include <QHash>
#include <QString>

#include <array>

class StatisticsRecord;

// Resource ids of the statistics window (dialog 132) and of its value
// controls. Each value control shows one counter of the newest record.
namespace StatisticsIds {
constexpr int IDD_STATISTICS = 132;
constexpr int IDC_CHIP_LINE = 1077;
constexpr int IDC_REG_ARR_FAILED = 1013;
constexpr int IDC_REG_IST_RX_OVRN_INT = 1021;
constexpr int IDC_REG_IST_ERCV_INT = 1022;
constexpr int IDC_REG_DATA_LENGTH = 1023;
constexpr int IDC_REG_DATA_STATUS = 1024;
constexpr int IDC_REG_EPHSR_SNGL_COL = 1043;
constexpr int IDC_REG_EPHSR_MUL_COL = 1044;
constexpr int IDC_REG_EPHSR_LTX_MULT = 1045;
constexpr int IDC_REG_EPHSR_16_COL = 1071;
constexpr int IDC_REG_EPHSR_SQET = 1051;
constexpr int IDC_REG_EPHSR_LTX_BRD = 1052;
constexpr int IDC_REG_EPHSR_TX_DEFR = 1053;
constexpr int IDC_REG_EPHSR_WAKEUP = 1054;
constexpr int IDC_REG_EPHSR_LATCOL = 1055;
constexpr int IDC_REG_EPHSR_LOST_CARR = 1061;
constexpr int IDC_REG_EPHSR_EXC_DEF = 1062;
constexpr int IDC_REG_EPHSR_CTR_ROL = 1063;
constexpr int IDC_REG_EPHSR_RX_OVRN = 1064;
constexpr int IDC_REG_EPHSR_TX_UNRN = 1073;
constexpr int IDC_TX_KBYTE = 1031;
constexpr int IDC_TX_PACKED = 1032;
constexpr int IDC_RX_KBYTE = 1065;
constexpr int IDC_RX_PACKED = 1070;
constexpr int IDC_RX_ETH_UNKNOWN = 1025;
constexpr int IDC_RX_IEEE802_UNKNOWN = 1026;
constexpr int IDC_TX_RETRY = 1027;
constexpr int IDC_TX_FINE_RETRY = 1029;
constexpr int IDC_TX_IP_BUSY = 1028;
} // namespace StatisticsIds

// One counter of the window: where it sits in the payload, the control that
// shows it, the label beside that control and the control's object name in
// the form.
struct StatisticsCounter
{
    int offset;
    int controlId;
    const char *label;
    const char *objectName;
};

namespace StatisticsTexts {

// Payload offsets of the chip line's two parts.
constexpr int kChipIdOffset = 0;
constexpr int kChipRevisionOffset = 4;
// Object name of the chip line control (id 1077) in the form.
inline const char *const kChipLineObjectName = "IDC_CHIP_LINE";

// The 28 counters, in payload order.
const std::array<StatisticsCounter, 28> &StatisticsCounters();

// Model name of a known Ethernet chip id; a null string for any other id.
QString ChipName(qint32 chipId);

// The texts a record puts on the window, by control id: the chip line, for
// example "LAN91C94/96  rev. 2", and every counter in signed decimal. Empty
// when the chip id is unknown: such a record is not shown at all.
QHash<int, QString> FormatStatistics(const StatisticsRecord &record);

} // namespace StatisticsTexts

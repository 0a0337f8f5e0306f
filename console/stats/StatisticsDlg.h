#pragma once

#include "KprotListener.h"
#include "StatisticsRecordParser.h"

#include <QDialog>
#include <QHash>

class CKprotChannel;
class QLabel;

namespace Ui {
class CStatisticsDlg;
}

// The network statistics window of one controller (dialog 132). It opens its
// own channel to the controller's statistics service, independent of the
// screen window's channel, and shows the chip line and the counters of the
// newest record the controller pushes. Nothing is ever sent on the channel.
//
// The screen view runs it modally with exec(); the screen channels keep
// being served by the modal loop meanwhile. If the connection fails, the
// channel has already told the operator, and the window opens all the same
// with empty fields that never change.
class CStatisticsDlg : public QDialog, public CKprotListener
{
    Q_OBJECT
    Q_DISABLE_COPY(CStatisticsDlg)

public:
    // Connects to the statistics service (port STATS_PORT) of host, blocking
    // until the connection is made or has failed.
    explicit CStatisticsDlg(const QString &host, QWidget *parent = nullptr);
    ~CStatisticsDlg() override;

    void OnChannelData() override;

    // Ends the modal loop and closes and drops the channel.
    void done(int result) override;

private:
    void FitFont();
    void ShowRecord(const StatisticsRecord &record);
    void DropChannel();

    Ui::CStatisticsDlg *m_ui;
    CKprotChannel *m_channel = nullptr;
    StatisticsRecordParser m_parser;
    // Value controls by resource id, the chip line included.
    QHash<int, QLabel *> m_valueControls;
};

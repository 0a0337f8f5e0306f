#pragma once

#include "InstallerSettings.h"

#include <QDialog>
#include <QScopedPointer>
#include <QTimer>

class MessageBoxes;
class ProcessSource;
class QListWidgetItem;
class QProcess;

namespace Ui {
class QuorvelInsClass;
}

// The installer window: an option list beside three pages (introduction,
// read-me, install). The install page starts the setup program and moves
// its bar one step a second for as long as a process of the setup's name
// runs; the Exit entry asks before quitting while it does.
class QuorvelIns : public QDialog
{
    Q_OBJECT
    Q_DISABLE_COPY(QuorvelIns)

public:
    // Rows of the option list; each of the first three shows the page of the same index.
    enum OptionRow { RowIntroduction, RowReadme, RowInstall, RowExit };

    explicit QuorvelIns(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~QuorvelIns() override;

    // Where the watch reads the process table and where questions go; the
    // running system and real message boxes unless replaced. Not owned.
    void setProcessSource(const ProcessSource *source);
    void setMessageBoxes(MessageBoxes *boxes);

    bool isSetupRunning() const { return m_setupRunning; }

public slots:
    void onChangeOption(QListWidgetItem *pOptCurrent, QListWidgetItem *pOptPrevious);
    void onButStartSetupClicked();
    void onProgressTimeout();

private:
    void fillOptions();
    void addOption(const QString &text, const QString &icon);

    QScopedPointer<Ui::QuorvelInsClass> m_ui;
    // Ticks once a second from the first start until the window goes; a
    // child of the window so that it can be found by name.
    QTimer m_progressTimer;
    // The last setup started. It runs detached, so this object only
    // describes the start: replacing or deleting it leaves the setup running.
    QScopedPointer<QProcess> m_setupProcess;
    bool m_setupRunning = false;
    QString m_introHtml;
    QString m_readmeHtml;
    InstallerSettings m_settings;
    // The file name of the setup program, which the watch looks for.
    QString m_watchedName;
    const ProcessSource *m_processSource;
    MessageBoxes *m_messageBoxes;
};

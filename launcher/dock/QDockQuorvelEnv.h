#pragma once

#include <QDockWidget>
#include <QStringList>

class QMenu;
class QProcess;

namespace Ui {
class QDockQuorvelEnv;
}

// The machine-selection panel shown on the player once the intro is over:
// one button per machine configured in the platform's settings, the help
// button and the exit button. A machine's button starts that machine's
// program and ends the launcher.
class QDockQuorvelEnv : public QDockWidget
{
    Q_OBJECT

public:
    explicit QDockQuorvelEnv(QWidget *parent);
    ~QDockQuorvelEnv() override;

    // The help menu: the manual (item data 0) and the About box (item data 1).
    QMenu *createHelpMenu();
    // Opens the manual in the language the operator chose in the main program.
    void openHelpFile();
    void showAboutBox();

    QStringList machineNames() const { return m_machineNames; }

signals:
    void signalClose();

public slots:
    void onButMachineClicked();
    void onButHelp();
    void onButSendCo();
    void onButBrenlow();
    void onButTool1();

private:
    void readMachines();
    void addMachineButtons();
    void buildMachineArguments(int machine);
    void startTool(QProcess *&process, const QString &programName);

    Ui::QDockQuorvelEnv *m_ui;
    QWidget *m_parentWidget;
    QProcess *m_process = nullptr;
    QStringList m_machineNames;
    QStringList m_pathBins;
    QStringList m_pathMacs;
    QStringList m_configs;
    QStringList m_svnIds;
    QStringList m_protocolEnvs;
    QStringList m_arguments;
    QString m_svnId;
    QString m_pathBin;
    QProcess *m_senderProcess = nullptr;
    QProcess *m_consoleProcess = nullptr;

    Q_DISABLE_COPY(QDockQuorvelEnv)
};

#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

class QProcess;

// A project file of the main program and the start of its machine's program.
// The project's machine is found through the machines' description files;
// started, the machine's program gets the project and the launcher ends.
class QProject : public QObject
{
    Q_OBJECT

public:
    explicit QProject(QObject *parent = nullptr);
    ~QProject() override;

    // Reads the project's machine id and finds the machine configured for it.
    bool openProjectFile(const QString &path);
    // Starts the machine's program for the project and quits the application
    // quitDelayMs later. False when the machine does not start projects.
    bool startProjectProgram();

    QString machineName() const { return m_machineName; }
    QString projectPath() const { return m_projectPath; }

    // The machine id a description file yields; 0 when it has none.
    int readMachineId(const QString &pathMac, const QString &macRootFile, int macFileType);
    int readMachineFile(const QString &filePath);
    int readMacXmlFile(const QString &filePath);
    bool findMachineById(int machineId, QString &machineName);

    static constexpr int quitDelayMs = 1000;
    // Description files larger than this are damaged and never read.
    static constexpr qint64 maxDescriptionBytes = 64 * 1024 * 1024;

private:
    void buildProjectArguments(QStringList &arguments, const QString &pathMac,
                               const QString &config, const QString &svnId) const;

    QProcess *m_process = nullptr;
    QString m_machineName;
    QString m_projectPath;

    Q_DISABLE_COPY(QProject)
};

#pragma once

#include "startup/LauncherMessages.h"

#include <QByteArray>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVector>

#include <memory>

class QSettings;

// Points both settings stores of the launcher at INI files in a temporary
// folder for the lifetime of the object.
class SettingsSandbox
{
public:
    SettingsSandbox();
    QString root() const { return m_dir.path(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Store A and store B as the launcher opens them, for writing fixtures.
    std::unique_ptr<QSettings> machineStore() const;
    std::unique_ptr<QSettings> userStore() const;

    // Adds a machine under "Machines" in store A.
    void addMachine(const QString &name, const QVariantMap &values) const;

private:
    QTemporaryDir m_dir;
};

// What a fixture program recorded about its start.
struct RecordedStart
{
    QString workingDirectory;
    QStringList arguments;
    qint64 pid = 0;
};

// Writes an executable shell script that records its working directory,
// arguments and process id into recordFile, then sleeps for sleepSeconds.
void writeRecorderProgram(const QString &programPath, const QString &recordFile,
                          int sleepSeconds = 0);
// Reads what the fixture program recorded; false while nothing is complete.
bool readRecordedStart(const QString &recordFile, RecordedStart &start);

// A playable uncompressed AVI video: frames of 16 x 16 pixels at 10 a second.
QByteArray tinyAviVideo(int frames);
void writeFile(const QString &path, const QByteArray &bytes);

// Machine description files as the platform writes them.
QByteArray machineFile(qint32 version, const QVector<QPair<QString, QString>> &entries);
QByteArray macXmlFile(qint32 version, const QString &xml);

// Records the message boxes instead of showing them.
class RecordingMessages : public LauncherMessages
{
public:
    struct Box
    {
        QString kind;
        QString title;
        QString text;
    };

    RecordingMessages();
    ~RecordingMessages() override;

    void critical(QWidget *parent, const QString &title, const QString &text) override;
    void plain(const QString &text) override;
    void warning(QWidget *parent, const QString &title, const QString &text) override;

    QVector<Box> boxes;
};

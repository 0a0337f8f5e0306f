#pragma once

#include "PanelPicture.h"
#include "ScreenBlockParser.h"
#include "ScreenImage.h"
#include "SnapOptions.h"
#include "StreamRecording.h"
#include "WholePanelTracker.h"

#include <QElapsedTimer>
#include <QObject>
#include <QTcpSocket>
#include <QTimer>

// One run of brenlow-snap: connects to the controller's screen service,
// asks for every line again, decodes the blocks with the console's parser
// until the whole panel has arrived since the request (or, when recording,
// until the recording time is over), then writes the picture and the
// recording. It ends by emitting Finished once, with the exit code and,
// unless all went well, the one line to show the operator.
class SnapClient : public QObject
{
    Q_OBJECT
    Q_DISABLE_COPY(SnapClient)

public:
    explicit SnapClient(const SnapOptions &options, QObject *parent = nullptr);

    void Start();

signals:
    void Finished(int exitCode, const QString &message);

private:
    void OnConnected();
    void OnReadyRead();
    void OnSocketError();
    void OnDeadline();
    void OnRecordingOver();
    void EndWithoutPanel();
    void WriteResults();
    void Finish(int exitCode, const QString &message = {});
    bool Recording() const { return !m_options.recordFile.isEmpty(); }

    SnapOptions m_options;
    QTcpSocket m_socket;
    QTimer m_deadline;
    QTimer m_recordingTimer;
    QElapsedTimer m_clock;
    QByteArray m_buffer;
    ScreenImage m_image;
    ScreenBlockParser m_parser;
    WholePanelTracker m_tracker;
    RecordingWriter m_recording;
    bool m_connected = false;
    bool m_finished = false;
};

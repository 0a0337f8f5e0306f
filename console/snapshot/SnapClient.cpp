#include "SnapClient.h"

#include "PanelSnapshot.h"

#include <QFile>

namespace {

// The refresh request: the key message the controller answers by sending
// every line of its panel again, as the console's "Aggiorna" sends it.
constexpr char kRefreshRequest[2] = {0x10, 0x65};

int Milliseconds(double seconds)
{
    return int(seconds * 1000.0 + 0.5);
}

} // namespace

SnapClient::SnapClient(const SnapOptions &options, QObject *parent)
    : QObject(parent),
      m_options(options)
{
    m_parser.SetObserver(&m_tracker);
    m_deadline.setSingleShot(true);
    m_recordingTimer.setSingleShot(true);
    connect(&m_deadline, &QTimer::timeout, this, &SnapClient::OnDeadline);
    connect(&m_recordingTimer, &QTimer::timeout, this, &SnapClient::OnRecordingOver);
    connect(&m_socket, &QTcpSocket::connected, this, &SnapClient::OnConnected);
    connect(&m_socket, &QTcpSocket::readyRead, this, &SnapClient::OnReadyRead);
    connect(&m_socket, &QTcpSocket::errorOccurred, this, &SnapClient::OnSocketError);
}

void SnapClient::Start()
{
    if (Recording()) {
        // A recording that cannot be written is known before connecting.
        StreamRecording::Header header;
        header.address = m_options.address;
        header.port = m_options.port;
        header.started = QDateTime::currentDateTimeUtc();
        QString error;
        if (!m_recording.Open(m_options.recordFile, header, &error)) {
            Finish(kSnapBadArguments, QStringLiteral("cannot write %1: %2").arg(m_options.recordFile, error));
            return;
        }
    }
    m_deadline.start(Milliseconds(m_options.timeoutSeconds));
    m_socket.connectToHost(m_options.address, m_options.port);
}

void SnapClient::OnConnected()
{
    m_connected = true;
    m_clock.start();
    m_tracker.Restart();
    m_socket.write(kRefreshRequest, sizeof kRefreshRequest);
    if (Recording()) {
        // The recording time replaces the wait for a whole panel.
        m_deadline.stop();
        m_recordingTimer.start(Milliseconds(m_options.recordSeconds));
    }
}

void SnapClient::OnReadyRead()
{
    if (m_finished)
        return;
    const QByteArray bytes = m_socket.readAll();
    if (bytes.isEmpty())
        return;
    if (Recording())
        m_recording.Append(m_clock.nsecsElapsed() / 1000, bytes);
    m_buffer.append(bytes);
    m_parser.Parse(m_buffer, m_image);
    if (!Recording() && m_tracker.IsWhole())
        WriteResults();
}

void SnapClient::OnSocketError()
{
    if (m_finished)
        return;
    if (!m_connected) {
        Finish(kSnapNoConnection, QStringLiteral("no connection to %1 port %2: %3")
                                      .arg(m_options.address)
                                      .arg(m_options.port)
                                      .arg(m_socket.errorString()));
        return;
    }
    // The controller went away: bytes still waiting are the last of the
    // stream, and nothing more can complete the panel.
    OnReadyRead();
    if (m_finished)
        return;
    if (Recording())
        OnRecordingOver();
    else
        EndWithoutPanel();
}

void SnapClient::OnDeadline()
{
    if (m_finished)
        return;
    if (!m_connected) {
        m_socket.abort();
        Finish(kSnapNoConnection, QStringLiteral("no connection to %1 port %2: timed out after %3 s")
                                      .arg(m_options.address)
                                      .arg(m_options.port)
                                      .arg(m_options.timeoutSeconds));
        return;
    }
    EndWithoutPanel();
}

void SnapClient::OnRecordingOver()
{
    if (m_finished)
        return;
    m_socket.abort();
    if (!m_options.output.isEmpty() && !m_tracker.IsWhole()) {
        EndWithoutPanel();
        return;
    }
    WriteResults();
}

void SnapClient::EndWithoutPanel()
{
    m_socket.abort();
    if (m_tracker.SawRejectedBlock()) {
        Finish(kSnapInvalidStream,
               QStringLiteral("the screen stream from %1 was invalid and no whole panel followed").arg(m_options.address));
        return;
    }
    Finish(kSnapNoWholePanel, QStringLiteral("no whole panel from %1 (%2 bands or lines missing)")
                                  .arg(m_options.address)
                                  .arg(m_tracker.MissingCount()));
}

void SnapClient::WriteResults()
{
    m_socket.abort();
    QString error;
    if (!m_options.output.isEmpty()) {
        PanelPicture picture;
        picture.Update(m_image);
        if (!PanelSnapshot::WritePng(PanelSnapshot::PanelImage(picture, m_options.scale), m_options.output,
                                     &error)) {
            Finish(kSnapBadArguments, QStringLiteral("cannot write %1: %2").arg(m_options.output, error));
            return;
        }
    }
    if (Recording() && !m_recording.Commit(&error)) {
        if (!m_options.output.isEmpty())
            QFile::remove(m_options.output);
        Finish(kSnapBadArguments, QStringLiteral("cannot write %1: %2").arg(m_options.recordFile, error));
        return;
    }
    Finish(kSnapOk);
}

void SnapClient::Finish(int exitCode, const QString &message)
{
    if (m_finished)
        return;
    m_finished = true;
    m_deadline.stop();
    m_recordingTimer.stop();
    if (exitCode != kSnapOk)
        m_recording.Discard();
    emit Finished(exitCode, message);
}

#include "MediaPlayer.h"

#include "MediaVideoWidget.h"
#include "dock/QDockQuorvelEnv.h"
#include "startup/LauncherMessages.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QMimeData>
#include <QScreen>
#include <QUrl>
#include <QVBoxLayout>

#include <phonon/BackendCapabilities>

namespace {

constexpr int maxShownLength = 30;

QString shortened(const QString &text)
{
    if (text.length() > maxShownLength)
        return text.left(maxShownLength) + QStringLiteral("...");
    return text;
}

Phonon::MediaSource localSource(const QString &path)
{
    return Phonon::MediaSource(QUrl::fromLocalFile(QFileInfo(path).absoluteFilePath()));
}

} // namespace

MediaPlayer::MediaPlayer(bool smallScreen)
    : QWidget(nullptr)
    , m_infoLabel(new QLabel(this))
    , m_audioOutput(Phonon::VideoCategory)
    , m_videoWidget(new MediaVideoWidget(this, nullptr))
    , m_smallScreen(smallScreen)
{
    m_infoLabel->setObjectName(QStringLiteral("infoLabel"));
    m_videoWindow.setObjectName(QStringLiteral("videoWindow"));
    auto *videoLayout = new QVBoxLayout(&m_videoWindow);
    videoLayout->setContentsMargins(0, 0, 0, 0);
    videoLayout->addWidget(m_videoWidget);
    m_videoWindow.hide();

    m_startWatch.setSingleShot(true);
    m_startWatch.setInterval(startTimeoutMs);
    connect(&m_startWatch, &QTimer::timeout, this, &MediaPlayer::onStartTimeout);
    m_skipWatch.setSingleShot(true);
    m_skipWatch.setInterval(skipEndDelayMs);
    connect(&m_skipWatch, &QTimer::timeout, this, &MediaPlayer::onSkipTimeout);
    m_playNudge.setSingleShot(true);
    m_playNudge.setInterval(playNudgeMs);
    connect(&m_playNudge, &QTimer::timeout, this, &MediaPlayer::repeatLostPlayRequest);
}

MediaPlayer::~MediaPlayer()
{
    m_mediaObject.stop();
}

QString MediaPlayer::startFileFor(const QString &filePath, int audioOutputDeviceCount)
{
    if (audioOutputDeviceCount > 2)
        return filePath;
    return QStringLiteral("skip.avi");
}

int MediaPlayer::audioOutputDeviceCount() const
{
    return Phonon::BackendCapabilities::availableAudioOutputDevices().size();
}

void MediaPlayer::initPlayer(const QString &filePath)
{
    setWindowTitle(tr("Media Player"));
    setContextMenuPolicy(Qt::NoContextMenu);
    m_videoWidget->setContextMenuPolicy(Qt::NoContextMenu);
    buildLayout();

    connect(&m_mediaObject, &Phonon::MediaObject::metaDataChanged, this, &MediaPlayer::updateInfo);
    connect(&m_mediaObject, &Phonon::MediaObject::finished, this, &MediaPlayer::onBackendFinished);
    connect(&m_mediaObject, &Phonon::MediaObject::stateChanged, this, &MediaPlayer::stateChanged);
    connect(&m_mediaObject, &Phonon::MediaObject::hasVideoChanged, this,
            &MediaPlayer::hasVideoChanged);
    setAcceptDrops(true);

    m_audioOutputPath = Phonon::createPath(&m_mediaObject, &m_audioOutput);
    Phonon::createPath(&m_mediaObject, m_videoWidget);

    const QString fileToPlay = startFileFor(filePath, audioOutputDeviceCount());
    {
        const ArrangingVideo arranging(m_arrangingVideo);
        m_videoWidget->setFullScreen(true);
    }
    playFile(fileToPlay);
}

void MediaPlayer::buildLayout()
{
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(8, 8, 8, 8);

    m_infoLabel->setMinimumHeight(70);
    m_infoLabel->setAcceptDrops(false);
    m_infoLabel->setMargin(2);
    m_infoLabel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
    m_infoLabel->setLineWidth(2);
    m_infoLabel->setAutoFillBackground(true);
    QPalette palette = m_infoLabel->palette();
    palette.setBrush(QPalette::WindowText, Qt::white);
    m_infoLabel->setPalette(palette);
    m_infoLabel->setStyleSheet(
        QStringLiteral("border-image:url(:/images/screen.png) ; border-width:3px"));
    m_infoLabel->setText(tr("<center>No media</center>"));
    layout->addWidget(m_infoLabel);

    layout->addWidget(&m_videoWindow);
    setVideoWindowVisible(false);

    auto *panel = new QWidget(this);
    panel->setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    auto *panelLayout = new QVBoxLayout(panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    auto *stretchLayout = new QHBoxLayout;
    stretchLayout->addStretch();
    panelLayout->addLayout(stretchLayout);
    layout->addWidget(panel);

    layout->addLayout(new QHBoxLayout);
}

void MediaPlayer::playFile(const QString &name)
{
    setWindowTitle(QStringLiteral("Quorvel"));
    setWindowIcon(QIcon(QStringLiteral(":/QuorvelEnv/Resources/Quorvel32x32-256.png")));
    m_currentFile = name;
    startSource(name);
}

void MediaPlayer::startSource(const QString &fileName)
{
    ++m_startCount;
    const QFileInfo file(fileName);
    if (!file.isFile() || !file.isReadable()) {
        // The back end would stop silently on a missing file; report it the
        // way a playback error is reported, once this call has returned.
        m_mediaObject.stop();
        const QString text = tr("The video file %1 cannot be found.")
                                 .arg(QDir::toNativeSeparators(file.absoluteFilePath()));
        const int start = m_startCount;
        QMetaObject::invokeMethod(this, [this, text, start] {
                if (start == m_startCount)
                    reportPlaybackFailure(text);
            }, Qt::QueuedConnection);
        return;
    }
    m_mediaObject.setCurrentSource(localSource(file.absoluteFilePath()));
    m_requestedStart = m_startCount;
    m_playRepeats = 0;
    m_mediaObject.play();
    m_startWatch.start();
    m_playNudge.start();
}

void MediaPlayer::repeatLostPlayRequest()
{
    // A busy GStreamer back end, still pausing and stopping the video just
    // skipped, can lose the play request of the one that follows, with or
    // without a word: the new video would then rest stopped for good. Still
    // stopped and never played, it is asked to play again; a few times at
    // most, so a video that keeps stopping ends in the start watch's failure.
    constexpr int maxRepeats = 3;
    if (m_requestedStart != m_startCount || m_playedStart == m_startCount || m_endedStart == m_startCount
        || m_playRepeats >= maxRepeats || m_mediaObject.state() != Phonon::StoppedState)
        return;
    ++m_playRepeats;
    m_mediaObject.play();
    m_playNudge.start();
}

void MediaPlayer::onStartTimeout()
{
    const Phonon::State state = m_mediaObject.state();
    if (state == Phonon::LoadingState || state == Phonon::StoppedState) {
        m_mediaObject.stop();
        reportPlaybackFailure(tr("The video file %1 cannot be played.")
                                  .arg(QDir::toNativeSeparators(m_currentFile)));
    }
}

void MediaPlayer::reportPlaybackFailure(const QString &text)
{
    m_startWatch.stop();
    if (m_endedStart == m_startCount)
        return;
    LauncherMessages::current().warning(this, QStringLiteral("Phonon Mediaplayer"), text);
    endVideo();
}

void MediaPlayer::endVideo()
{
    if (m_endedStart == m_startCount)
        return;
    finished();
}

void MediaPlayer::onBackendFinished()
{
    // An end reported before the current video has played belongs to the
    // one before it, which a skip has already ended.
    if (m_playedStart != m_startCount)
        return;
    endVideo();
}

void MediaPlayer::videoShown()
{
    if (!m_arrangingVideo)
        skip();
}

void MediaPlayer::skip()
{
    // A video that has ended, or whose failure is being reported, has
    // nothing left to skip; one still loading is ended all the same.
    if (m_startCount == 0 || m_endedStart == m_startCount || m_mediaObject.state() == Phonon::ErrorState)
        return;
    // A video already being skipped is ended by its skip watch. A second
    // seek to its end would wait for the back end's streaming thread, which
    // may itself be waiting for this thread after the first one: the
    // launcher would freeze until the video's natural end (Esc pressed
    // twice, or a double click followed by Alt+Return).
    if (m_skippedStart == m_startCount)
        return;
    const qint64 total = m_mediaObject.totalTime();
    if (total > 0)
        m_mediaObject.seek(total);
    // The GStreamer back end can stay on the last frame after a seek to the
    // end without ever reporting the end; the skipped video is ended here
    // then, unless another video has started in the meantime.
    m_skippedStart = m_startCount;
    m_skipWatch.start();
}

void MediaPlayer::onSkipTimeout()
{
    if (m_skippedStart != m_startCount || m_endedStart == m_startCount)
        return;
    m_mediaObject.stop();
    endVideo();
}

void MediaPlayer::leaveFullScreen()
{
    if (m_videoWidget->inFullScreen()) {
        const ArrangingVideo arranging(m_arrangingVideo);
        m_videoWidget->setFullScreen(false);
    }
}

void MediaPlayer::setVideoWindowVisible(bool visible)
{
    const ArrangingVideo arranging(m_arrangingVideo);
    m_videoWindow.setVisible(visible);
}

void MediaPlayer::finished()
{
    m_endedStart = m_startCount;
    m_startWatch.stop();
    m_skipWatch.stop();
    QApplication::restoreOverrideCursor();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        // Covering the available area first gives the same picture on a
        // display without window manager, where nobody maximises a window.
        const ArrangingVideo arranging(m_arrangingVideo);
        if (!isVisible())
            setGeometry(available);
        showMaximized();
    }

    m_videoAreaHeight = available.height() - 40;
    const int videoAreaWidth = available.width() - 20;

    auto *dock = new QDockQuorvelEnv(this);
    dock->setMinimumHeight(m_videoAreaHeight + 10);
    dock->show();

    leaveFullScreen();

    if (!m_introHandled) {
        m_introHandled = true;
        m_currentFile.replace(QStringLiteral("introQuorvel"), QStringLiteral("skip"));
        startSource(m_currentFile);
    }
    const ArrangingVideo arranging(m_arrangingVideo);
    m_videoWindow.setFixedSize(videoAreaWidth, m_videoAreaHeight);
}

void MediaPlayer::slotClose()
{
    close();
}

void MediaPlayer::stateChanged(Phonon::State newState, Phonon::State oldState)
{
    if (oldState == Phonon::LoadingState && !m_smallScreen) {
        if (m_mediaObject.hasVideo()) {
            QApplication::processEvents();
            resize(sizeHint());
        } else {
            resize(minimumSize());
        }
    }

    switch (newState) {
    case Phonon::StoppedState:
        // The back end passes through the stopped state while it loads a
        // file, before the first frame; only a video that has played ends
        // its full screen here.
        if (m_playedStart == m_startCount) {
            leaveFullScreen();
        } else if (oldState != Phonon::LoadingState) {
            // Not the stop of a first load: the play request may be lost.
            QMetaObject::invokeMethod(this, &MediaPlayer::repeatLostPlayRequest, Qt::QueuedConnection);
        }
        break;
    case Phonon::PlayingState:
        m_playedStart = m_startCount;
        m_startWatch.stop();
        m_playNudge.stop();
        if (m_mediaObject.hasVideo())
            setVideoWindowVisible(true);
        break;
    case Phonon::PausedState:
    case Phonon::BufferingState:
        // Not yet a start: the video before may be pausing on its way out,
        // and a video that goes no further is still told about in time.
        break;
    case Phonon::ErrorState:
        m_mediaObject.pause();
        reportPlaybackFailure(m_mediaObject.errorString());
        break;
    default:
        break;
    }
}

void MediaPlayer::hasVideoChanged(bool hasVideo)
{
    m_infoLabel->setVisible(!hasVideo);
    setVideoWindowVisible(hasVideo);
}

void MediaPlayer::updateInfo()
{
    const QString prefix = QStringLiteral("<font color=#ffeeaa>");
    const QString artist = shortened(m_mediaObject.metaData(QStringLiteral("ARTIST")).value(0));
    const QString title = m_mediaObject.metaData(QStringLiteral("TITLE")).value(0);
    const int bitrate = m_mediaObject.metaData(QStringLiteral("BITRATE")).value(0).toInt(nullptr, 10);

    // Local files are handed to the back end as file URLs; they still show
    // as files, by name.
    const Phonon::MediaSource source = m_mediaObject.currentSource();
    const bool isUrl = source.type() == Phonon::MediaSource::Url && !source.url().isLocalFile();
    QString name;
    if (isUrl) {
        name = source.url().toString();
    } else {
        const QString fileName = source.url().isLocalFile() ? source.url().toLocalFile() : source.fileName();
        name = shortened(fileName.mid(fileName.lastIndexOf(QLatin1Char('/')) + 1));
    }

    QString text;
    if (!title.isEmpty()) {
        text = QStringLiteral("Title: ") + prefix + shortened(title) + QStringLiteral("<br></font>");
    } else if (!name.isEmpty()) {
        text = (isUrl ? QStringLiteral("Url: ") : QStringLiteral("File: ")) + prefix
            + shortened(name) + QStringLiteral("</font>");
    }
    if (!artist.isEmpty())
        text += QStringLiteral("Artist:  ") + prefix + artist + QStringLiteral("</font>");
    if (bitrate != 0) {
        text += QStringLiteral("<br>Bitrate:  ") + prefix + QString::number(bitrate / 1000)
            + QStringLiteral("kbit</font>");
    }
    m_infoLabel->setText(text);
}

void MediaPlayer::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasUrls()
        && (event->proposedAction() == Qt::CopyAction || event->proposedAction() == Qt::MoveAction))
        event->acceptProposedAction();
}

void MediaPlayer::dragMoveEvent(QDragMoveEvent *event)
{
    if (event->mimeData()->hasUrls()
        && (event->proposedAction() == Qt::CopyAction || event->proposedAction() == Qt::MoveAction))
        event->acceptProposedAction();
}

void MediaPlayer::dropEvent(QDropEvent *event)
{
    if (event->mimeData()->hasUrls() && event->proposedAction() != Qt::LinkAction) {
        event->acceptProposedAction();
        handleDrop(event);
    } else {
        event->ignore();
    }
}

void MediaPlayer::handleDrop(QDropEvent *event)
{
    const QList<QUrl> urls = event->mimeData()->urls();
    if (event->proposedAction() == Qt::MoveAction) {
        for (const QUrl &url : urls)
            m_mediaObject.enqueue(localSource(url.toLocalFile()));
    } else {
        m_mediaObject.clearQueue();
        if (!urls.isEmpty()) {
            const QString first = urls.first().toLocalFile();
            const QFileInfo firstInfo(first);
            if (firstInfo.isDir()) {
                const QDir folder(first);
                const QStringList files = folder.entryList(QDir::Files);
                if (!files.isEmpty()) {
                    playFile(first + QDir::separator() + files.first());
                    for (int i = 1; i < files.size(); ++i)
                        m_mediaObject.enqueue(localSource(first + QDir::separator() + files.at(i)));
                }
            } else {
                playFile(first);
                for (int i = 1; i < urls.size(); ++i)
                    m_mediaObject.enqueue(localSource(urls.at(i).toLocalFile()));
            }
        }
    }
    m_mediaObject.play();
}

#include "MediaPlayer.h"

#include "MediaVideoWidget.h"
#include "PlayerLog.h"
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
    : MediaPlayer(smallScreen, nullptr, PlaybackSequence::Timing())
{
}

MediaPlayer::MediaPlayer(bool smallScreen, PlaybackBackend &backend, PlaybackSequence::Timing timing)
    : MediaPlayer(smallScreen, &backend, timing)
{
}

MediaPlayer::MediaPlayer(bool smallScreen, PlaybackBackend *backend, PlaybackSequence::Timing timing)
    : QWidget(nullptr)
    , m_infoLabel(new QLabel(this))
    , m_audioOutput(Phonon::VideoCategory)
    , m_videoWidget(new MediaVideoWidget(this, nullptr))
    , m_smallScreen(smallScreen)
    , m_phononPlayback(m_mediaObject)
    , m_playback(backend ? *backend : m_phononPlayback)
    , m_sequence(m_playback, timing)
{
    m_infoLabel->setObjectName(QStringLiteral("infoLabel"));
    m_videoWindow.setObjectName(QStringLiteral("videoWindow"));
    auto *videoLayout = new QVBoxLayout(&m_videoWindow);
    videoLayout->setContentsMargins(0, 0, 0, 0);
    videoLayout->addWidget(m_videoWidget);
    m_videoWindow.hide();

    // The sequence reports its end from the event loop: the warning box and
    // the start of the next video never run inside a back-end report.
    connect(&m_sequence, &PlaybackSequence::playing, this, &MediaPlayer::onVideoPlaying);
    connect(&m_sequence, &PlaybackSequence::stoppedAfterPlaying, this, &MediaPlayer::leaveFullScreen);
    connect(&m_sequence, &PlaybackSequence::ended, this, &MediaPlayer::onVideoEnded);
    connect(m_videoWidget, &MediaVideoWidget::fullScreenChanged, this, &MediaPlayer::onFullScreenChanged);
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

    // The back end's end of a video reaches finished() through the sequence,
    // which tells it from the end of the video before and from a skip.
    connect(&m_mediaObject, &Phonon::MediaObject::metaDataChanged, this, &MediaPlayer::updateInfo);
    connect(&m_playback, &PlaybackBackend::stateChanged, this, &MediaPlayer::stateChanged);
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
    m_sequence.start(name);
}

void MediaPlayer::onVideoEnded(PlaybackSequence::End end, const QString &message)
{
    const QString shownName = QDir::toNativeSeparators(QFileInfo(m_sequence.current().file).absoluteFilePath());
    QString failure;
    switch (end) {
    case PlaybackSequence::End::Natural:
    case PlaybackSequence::End::Skipped:
        break;
    case PlaybackSequence::End::Missing:
        failure = tr("The video file %1 cannot be found.").arg(shownName);
        break;
    case PlaybackSequence::End::Unplayable:
        failure = tr("The video file %1 cannot be played.").arg(shownName);
        break;
    case PlaybackSequence::End::Failed:
        failure = message;
        break;
    }
    if (!failure.isNull())
        LauncherMessages::current().warning(this, QStringLiteral("Phonon Mediaplayer"), failure);
    finished();
}

void MediaPlayer::videoShown()
{
    if (!m_arrangingVideo)
        skip();
}

void MediaPlayer::skip()
{
    m_sequence.skip();
}

void MediaPlayer::onFullScreenChanged(bool fullScreen)
{
    // The operator left full screen while the intro plays and the player is
    // not yet on screen: the player shows as a normal window with the video
    // in it, which plays on; Esc still skips it.
    const bool introPlays = !m_introHandled && m_sequence.current().number > 0;
    qCDebug(lcPlayer) << "video surface" << (fullScreen ? "enters" : "leaves") << "full screen"
                      << (m_arrangingVideo ? "(the player's own step)" : "(the operator's key or click)");
    if (!fullScreen && !m_arrangingVideo && introPlays && !isVisible()) {
        qCDebug(lcPlayer) << "intro goes on in a normal window";
        showDuringIntro();
    }
}

void MediaPlayer::showDuringIntro()
{
    const ArrangingVideo arranging(m_arrangingVideo);
    m_infoLabel->setVisible(!m_playback.hasVideo());
    m_videoWindow.setVisible(true);
    // Half the available area, in its middle: a window the operator sees
    // whole, also on a display without window manager.
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    QRect area(QPoint(), available.size() / 2);
    area.moveCenter(available.center());
    setGeometry(area);
    showNormal();
    activateWindow();
    m_videoWidget->setFocus();
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
    qCDebug(lcPlayer) << "player maximised with a dock" << (m_introHandled ? "" : "- the replacement video starts");
    QApplication::restoreOverrideCursor();
    const QRect available = QGuiApplication::primaryScreen()->availableGeometry();
    {
        // Covering the available area first gives the same picture on a
        // display without window manager, where nobody maximises a window;
        // also when the player was shown as a normal window during the intro.
        const ArrangingVideo arranging(m_arrangingVideo);
        if (!isVisible() || !isMaximized())
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
        m_sequence.start(m_currentFile);
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
    Q_UNUSED(newState)
    // The player takes the size of the video once it is known. Pending
    // events first: the resize runs from the event loop, not from inside the
    // back end's report.
    if (oldState == Phonon::LoadingState && !m_smallScreen)
        QMetaObject::invokeMethod(this, &MediaPlayer::resizeAfterLoading, Qt::QueuedConnection);
}

void MediaPlayer::resizeAfterLoading()
{
    if (m_playback.hasVideo())
        resize(sizeHint());
    else
        resize(minimumSize());
}

void MediaPlayer::onVideoPlaying()
{
    if (m_playback.hasVideo())
        setVideoWindowVisible(true);
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
    m_playback.play();
}

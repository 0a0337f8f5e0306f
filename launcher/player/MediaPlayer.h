#pragma once

#include "PhononPlayback.h"
#include "PlaybackSequence.h"

#include <QLabel>
#include <QString>
#include <QWidget>

#include <phonon/AudioOutput>
#include <phonon/MediaObject>
#include <phonon/Path>

class MediaVideoWidget;
class QDropEvent;

// The launcher's main window. It plays the intro full screen; when the intro
// ends, is skipped or fails, it maximises itself, shows the machine dock and
// plays the replacement video once. Dropped files and folders are played.
// When each video starts and ends is decided by its PlaybackSequence; this
// class only arranges the windows around it.
class MediaPlayer : public QWidget
{
    Q_OBJECT

public:
    explicit MediaPlayer(bool smallScreen);
    // A player whose sequence drives the given back end in place of Phonon's,
    // with the given time limits.
    MediaPlayer(bool smallScreen, PlaybackBackend &backend, PlaybackSequence::Timing timing);
    ~MediaPlayer() override;

    // Sets up the window and starts playing filePath full screen.
    void initPlayer(const QString &filePath);
    // Plays one local file from its beginning.
    void playFile(const QString &name);
    void handleDrop(QDropEvent *event);
    // The video surface has appeared anew through the operator's doing (a
    // full-screen switch): the current video ends.
    void videoShown();

    Phonon::MediaObject &mediaObject() { return m_mediaObject; }
    MediaVideoWidget *videoWidget() const { return m_videoWidget; }
    QString currentFile() const { return m_currentFile; }
    bool introHandled() const { return m_introHandled; }

    // The file the intro step plays: the intro itself only when the PC has
    // more than two audio outputs, otherwise "skip.avi" from the current
    // directory.
    static QString startFileFor(const QString &filePath, int audioOutputDeviceCount);

    const PlaybackSequence &sequence() const { return m_sequence; }

public slots:
    void updateInfo();
    void skip();
    void finished();
    void slotClose();
    void stateChanged(Phonon::State newState, Phonon::State oldState);
    void hasVideoChanged(bool hasVideo);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dragMoveEvent(QDragMoveEvent *event) override;
    void dropEvent(QDropEvent *event) override;

    virtual int audioOutputDeviceCount() const;

private:
    MediaPlayer(bool smallScreen, PlaybackBackend *backend, PlaybackSequence::Timing timing);
    void buildLayout();
    void onVideoPlaying();
    void onVideoEnded(PlaybackSequence::End end, const QString &message);
    void onFullScreenChanged(bool fullScreen);
    void showDuringIntro();
    void resizeAfterLoading();
    void leaveFullScreen();
    void setVideoWindowVisible(bool visible);

    // Marks the player's own moves of the video surface, which must not end
    // the video they are arranging.
    class ArrangingVideo
    {
    public:
        explicit ArrangingVideo(bool &flag) : m_flag(flag), m_old(flag) { m_flag = true; }
        ~ArrangingVideo() { m_flag = m_old; }

    private:
        bool &m_flag;
        bool m_old;
    };

    QLabel *m_infoLabel;
    QWidget m_videoWindow;
    Phonon::MediaObject m_mediaObject;
    Phonon::AudioOutput m_audioOutput;
    MediaVideoWidget *m_videoWidget;
    Phonon::Path m_audioOutputPath;
    bool m_smallScreen;
    int m_videoAreaHeight = 0;
    QString m_currentFile;
    bool m_introHandled = false;
    PhononPlayback m_phononPlayback;
    PlaybackBackend &m_playback;
    PlaybackSequence m_sequence;
    bool m_arrangingVideo = false;

    Q_DISABLE_COPY(MediaPlayer)
};

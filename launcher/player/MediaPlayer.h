#pragma once

#include <QLabel>
#include <QString>
#include <QTimer>
#include <QWidget>

#include <phonon/AudioOutput>
#include <phonon/MediaObject>
#include <phonon/Path>

class MediaVideoWidget;
class QDropEvent;

// The launcher's main window. It plays the intro full screen; when the intro
// ends, is skipped or fails, it maximises itself, shows the machine dock and
// plays the replacement video once. Dropped files and folders are played.
class MediaPlayer : public QWidget
{
    Q_OBJECT

public:
    explicit MediaPlayer(bool smallScreen);
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

    // How long a video may take to start playing before it counts as
    // unplayable.
    static constexpr int startTimeoutMs = 5000;
    // How long a skipped video may take to report its end.
    static constexpr int skipEndDelayMs = 300;
    // How long a started video may rest stopped before it is asked again.
    static constexpr int playNudgeMs = 1000;

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
    void buildLayout();
    void startSource(const QString &fileName);
    // Ends the current video once: whichever of its ends comes first (the
    // back end's end, a skip, a failure) runs finished, the others nothing.
    void endVideo();
    void onBackendFinished();
    void onStartTimeout();
    void repeatLostPlayRequest();
    void onSkipTimeout();
    void reportPlaybackFailure(const QString &text);
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
    QTimer m_startWatch;
    QTimer m_skipWatch;
    QTimer m_playNudge; // looks again whether a started video plays
    int m_startCount = 0;   // videos started so far
    int m_skippedStart = 0; // the start that skip() ended
    int m_playedStart = 0;  // the last start that reached playing
    int m_endedStart = 0;   // the last start whose end has run finished
    int m_requestedStart = 0; // the last start whose source was given to the back end
    int m_playRepeats = 0;    // play requests repeated for that start
    bool m_arrangingVideo = false;

    Q_DISABLE_COPY(MediaPlayer)
};

#pragma once

#include <QAction>
#include <QBasicTimer>

#include <phonon/VideoWidget>

class MediaPlayer;

// The player's video surface. It switches full screen (double click,
// Alt+Return, Backspace to leave), lets Esc end the current video, hides the
// mouse cursor one second after the last movement in full screen, and cannot
// be closed by the user.
class MediaVideoWidget : public Phonon::VideoWidget
{
    Q_OBJECT

public:
    MediaVideoWidget(MediaPlayer *player, QWidget *parent);

    QAction *fullScreenAction() { return &m_fullScreenAction; }
    // True while the surface is shown as a full-screen window of its own.
    bool inFullScreen() const;

signals:
    void fullScreenChanged(bool fullScreen);

public slots:
    void setFullScreen(bool enabled);

protected:
    bool event(QEvent *event) override;
    void timerEvent(QTimerEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    MediaPlayer *m_player;
    QBasicTimer m_cursorTimer;
    QAction m_fullScreenAction;

    Q_DISABLE_COPY(MediaVideoWidget)
};

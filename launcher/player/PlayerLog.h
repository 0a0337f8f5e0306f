#pragma once

#include <QLoggingCategory>

// The intro player's steps: each event of a video and the phase it leads
// to, and the video surface going in and out of full screen.
// Off unless switched on, e.g. QT_LOGGING_RULES="quorvel.player.debug=true".
Q_DECLARE_LOGGING_CATEGORY(lcPlayer)

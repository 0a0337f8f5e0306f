#pragma once

#include <QString>

// What the launcher's command line asks for. Only the first argument counts.
struct StartRequest
{
    enum class Mode { Intro, SkipIntro, Project };
    Mode mode = Mode::Intro;
    QString projectPath; // only for Mode::Project, exactly as typed
};

StartRequest parseStartArguments(int argc, const char *const *argv);

#pragma once

class ProcessList;
class DesktopWindows;

// True when the platform's main program "Quorvel" runs beside a launcher
// process: the launcher must then give way. When a project window of the
// main program (title holding ".qvl" or "QUORVEL/") and a window of the
// launcher are both found, the project window is brought to the front.
bool activateMainProgram(const ProcessList &processes, DesktopWindows &windows);

#pragma once

// Makes the launcher's compiled-in pictures available; the program and the
// tests call it once before building any form.
void initLauncherResources();

// The launcher's whole run, from the single-instance lock to the end of the
// event loop. Returns the process exit code: 0 on every early end.
int runLauncher(int argc, char **argv);

// A machine description file of type 1 (a versioned map of entries), as a
// machine's own software may have left it, read for the machine id.
#include "FuzzSupport.h"
#include "LauncherFuzzSupport.h"
#include "records/QProject.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::EnsureApplication();
    InstallSilentLauncherMessages();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::WriteInputFile(data, size, QStringLiteral("machine.mac"));
    QProject project;
    project.readMachineFile(path);
    return 0;
}

// A machine description file of type 2 (a versioned XML text), read for
// the machine id of its first BODY that has a MACUID.
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
    const QString path = FuzzSupport::WriteInputFile(data, size, QStringLiteral("machine.xml.mac"));
    QProject project;
    project.readMacXmlFile(path);
    return 0;
}

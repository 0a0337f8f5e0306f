// The installer's ini file, read for the setup command, the option list
// style and the version, which then goes into a read-me.
#include "FuzzSupport.h"
#include "InstallerSettings.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::WriteInputFile(data, size, QStringLiteral("QuorvelIns.ini"));
    const InstallerSettings settings = InstallerSettings::read(path);
    const QString readme = readmeForDisplay(QStringLiteral("<p>Quorvel x.x.x</p><p>x.x.x</p>"), settings);
    if (settings.setupId == 0 && !readme.contains(QLatin1String("x.x.x")))
        FuzzSupport::Fail("the read-me changed with SETUPID 0");
    return 0;
}

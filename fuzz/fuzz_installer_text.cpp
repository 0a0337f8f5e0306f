// The installer's HTML files (introduction and read-me), read as text and,
// for the read-me, given the version in place of "x.x.x".
#include "FuzzSupport.h"
#include "InstallerSettings.h"
#include "TextFiles.h"

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    FuzzSupport::EnsureApplication();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QString path = FuzzSupport::WriteInputFile(data, size, QStringLiteral("ReadMe.html"));
    QString text;
    if (!readTextFile(path, text))
        FuzzSupport::Fail("a readable file was not read");
    InstallerSettings settings;
    settings.setupId = 1;
    settings.versionEnv = QStringLiteral("3.1.5");
    const QString shown = readmeForDisplay(text, settings);
    // The version holds no x, so no "x.x.x" can survive or arise.
    if (shown.contains(QLatin1String("x.x.x")))
        FuzzSupport::Fail("an x.x.x was left in the read-me");
    return 0;
}

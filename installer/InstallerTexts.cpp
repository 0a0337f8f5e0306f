#include "InstallerTexts.h"

#include "SystemTexts.h"

#include <QCoreApplication>

// The catalogues are compiled into the installer's library; a static
// library needs its resource bundle registered by hand.
static void registerCatalogues()
{
#ifdef QUORVELINS_TRANSLATIONS
    Q_INIT_RESOURCE(installer_translations);
#endif
}

void installInstallerTexts(QCoreApplication *application)
{
    registerCatalogues();
    // Built without catalogues, the installer keeps its Italian question
    // and asks it with Italian buttons.
    const QLocale::Language language = installProgramTexts(application, QStringLiteral("QuorvelIns"));
    if (language == QLocale::Italian || language == QLocale::AnyLanguage)
        installItalianSystemTexts(application);
}

#pragma once

#include <QString>

#include <memory>

class QSettings;

// The two settings stores the launcher reads; other programs of the platform
// write them, the launcher never does.
namespace LauncherSettings {

// Both are read with the platform's settings file reader (see
// SettingsFileFormat.h): as written by QSettings(IniFormat) or by hand.
// Store A: the platform's machine configuration (system scope).
std::unique_ptr<QSettings> openMachineStore();
// Store B: the main program's own user settings (user scope).
std::unique_ptr<QSettings> openUserStore();

// Keys of store A.
inline const QString machinesGroup() { return QStringLiteral("Machines"); }
inline const QString svnIdKey() { return QStringLiteral("SvnId"); }
inline const QString pathBinKey() { return QStringLiteral("PathBin"); }
inline const QString pathMacKey() { return QStringLiteral("PathMac"); }
inline const QString configKey() { return QStringLiteral("Config"); }
inline const QString macRootFileKey() { return QStringLiteral("MacRootFile"); }
inline const QString macFileTypeKey() { return QStringLiteral("MacFileType"); }
inline const QString protocolEnvKey() { return QStringLiteral("ProtocolEnv"); }
inline const QString protocolStaKey() { return QStringLiteral("ProtocolSta"); }

// Keys of store B.
inline const QString settingsGroup() { return QStringLiteral("Settings"); }
inline const QString languageKey() { return QStringLiteral("Language"); }

// Reads an integer the way the platform's settings hold it: a number or its
// decimal text; anything else (missing, empty, not a number) counts as 0.
int readInt(const QSettings &settings, const QString &key);

// The working directory of a machine's program: its machine folder + "/bin".
QString machineWorkingDirectory(const QString &pathMac);

} // namespace LauncherSettings

#pragma once
// The program's fixed Windows paths, and where they live on other systems.
#include <QString>

namespace Paths {

// On Windows the path as written. Elsewhere "X:\a\b" becomes "<root>/X/a/b" (drive letter in
// upper case); a path without a drive letter only has its backslashes turned into slashes.
QString mapped(const QString& windowsPath);

// The folder that stands for the drives: the value set here, else $QINTARA_ROOT, else the
// per-user data folder of an installed program (~/.local/share/Qintara), else ~/Qintara.
QString root();
// Overrides $QINTARA_ROOT; empty goes back to the default.
void setRoot(const QString& root);

// The register as the program names it to the user ("C:\Zanbook\Hestrel.mdb"), and the file
// that stands for it here.
QString databaseName();
QString databaseFile();
// Where the register is: the address given on the command line (--database), else the
// "Database" of Settings.ini's [Settings] section, else databaseFile(). A server address is a
// postgresql:// URL.
QString registerAddress();
// Empty goes back to Settings.ini and the file.
void setRegisterAddress(const QString& address);
QString backupFolder();

// Unless overridden: Settings.ini in the per-user config folder of an installed program
// (~/.config/Qintara/Settings.ini), else in the folder of the running executable.
QString settingsFile();
// Empty restores the default.
void setSettingsFile(const QString& path);

// True when the executable sits in <prefix>/bin beside <prefix>/share/applications/ with the
// program's desktop entry, as a package or `cmake --install` puts it; false in the build tree.
bool installed();
// The folder of the running executable, unless overridden; empty goes back to it.
QString programFolder();
void setProgramFolder(const QString& folder);

} // namespace Paths

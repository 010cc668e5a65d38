#pragma once
// The program's fixed Windows paths, and where they live on other systems.
#include <QString>

namespace Paths {

// On Windows the path as written. Elsewhere "X:\a\b" becomes "<root>/X/a/b" (drive letter in
// upper case); a path without a drive letter only has its backslashes turned into slashes.
QString mapped(const QString& windowsPath);

// The folder that stands for the drives: the value set here, else $QINTARA_ROOT, else ~/Qintara.
QString root();
// Overrides $QINTARA_ROOT; empty goes back to the default.
void setRoot(const QString& root);

QString databaseFile();
QString backupFolder();

// Settings.ini in the folder of the running executable, unless overridden.
QString settingsFile();
// Empty restores the default.
void setSettingsFile(const QString& path);

} // namespace Paths

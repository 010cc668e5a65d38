#include "paths.h"

#include "buildinfo.h"
#include "profilefile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {
QString g_root;
QString g_settingsFile;
QString g_programFolder;
QString g_registerAddress;

// The per-user folder of the desktop's kind (XDG config or data) that belongs to the program.
QString userFolder(QStandardPaths::StandardLocation location) {
    return QStandardPaths::writableLocation(location) + QStringLiteral("/Qintara");
}
} // namespace

namespace Paths {

QString mapped(const QString& windowsPath) {
#ifdef Q_OS_WIN
    return windowsPath;
#else
    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]):[\\\\/]*(.*)$"),
                                          QRegularExpression::DotMatchesEverythingOption);
    QString path = windowsPath;
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QRegularExpressionMatch m = drive.match(path);
    if (!m.hasMatch())
        return path;
    QString result = root() + QLatin1Char('/') + m.captured(1).toUpper();
    if (const QString rest = m.captured(2); !rest.isEmpty())
        result += QLatin1Char('/') + rest;
    return QDir::cleanPath(result);
#endif
}

QString root() {
    if (!g_root.isEmpty())
        return g_root;
    const QString env = qEnvironmentVariable("QINTARA_ROOT");
    if (!env.isEmpty())
        return QDir::cleanPath(env);
    if (installed())
        return userFolder(QStandardPaths::GenericDataLocation);
    return QDir::homePath() + QStringLiteral("/Qintara");
}

void setRoot(const QString& root) {
    g_root = root.isEmpty() ? QString() : QDir::cleanPath(root);
}

QString databaseName() {
    return QStringLiteral("C:\\Zanbook\\Hestrel.mdb");
}

QString databaseFile() {
    return mapped(databaseName());
}

QString registerAddress() {
    if (!g_registerAddress.isEmpty())
        return g_registerAddress;
    const QString configured =
        ProfileFile(settingsFile())
            .readString(QStringLiteral("Settings"), QStringLiteral("Database"), QString())
            .trimmed();
    // only a server's URL: the file stays the program's own path, which backup and restore know
    return configured.startsWith(QLatin1String("postgres"), Qt::CaseInsensitive) ? configured
                                                                                 : databaseFile();
}

void setRegisterAddress(const QString& address) {
    g_registerAddress = address;
}

QString backupFolder() {
    return mapped(QStringLiteral("D:\\ZanbookBack"));
}

QString settingsFile() {
    if (!g_settingsFile.isEmpty())
        return g_settingsFile;
    const QString folder =
        installed() ? userFolder(QStandardPaths::GenericConfigLocation) : programFolder();
    return QDir(folder).filePath(QStringLiteral("Settings.ini"));
}

void setSettingsFile(const QString& path) {
    g_settingsFile = path;
}

bool installed() {
#ifdef Q_OS_WIN
    return false; // the fixed paths stand as written
#else
    const QDir bin(programFolder());
    if (bin.dirName() != QLatin1String("bin"))
        return false;
    const QString entry =
        QStringLiteral("../share/applications/%1.desktop").arg(QLatin1String(BuildInfo::appId));
    return QFileInfo::exists(bin.filePath(entry));
#endif
}

QString programFolder() {
    return g_programFolder.isEmpty() ? QCoreApplication::applicationDirPath() : g_programFolder;
}

void setProgramFolder(const QString& folder) {
    g_programFolder = folder;
}

} // namespace Paths

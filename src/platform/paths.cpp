#include "paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QRegularExpression>

namespace {
QString g_root;
QString g_settingsFile;
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
    return QDir::homePath() + QStringLiteral("/Qintara");
}

void setRoot(const QString& root) {
    g_root = root.isEmpty() ? QString() : QDir::cleanPath(root);
}

QString databaseFile() {
    return mapped(QStringLiteral("C:\\Zanbook\\Hestrel.mdb"));
}

QString backupFolder() {
    return mapped(QStringLiteral("D:\\ZanbookBack"));
}

QString settingsFile() {
    if (!g_settingsFile.isEmpty())
        return g_settingsFile;
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Settings.ini"));
}

void setSettingsFile(const QString& path) {
    g_settingsFile = path;
}

} // namespace Paths

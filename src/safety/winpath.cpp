#include "winpath.h"

#include "platform/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

namespace WinPath {

namespace {

int lastSeparator(const QString& path) {
    int at = -1;
    for (QChar c : {QLatin1Char('\\'), QLatin1Char('/'), QLatin1Char(':')})
        at = std::max(at, int(path.lastIndexOf(c)));
    return at;
}

// "D:\", "D:" or "D:\\": the root of a drive.
bool isDriveRoot(const QString& folder) {
    static const QRegularExpression root(QStringLiteral("^[A-Za-z]:[\\\\/]*$"));
    return root.match(folder).hasMatch();
}

} // namespace

QString folderPart(const QString& path) {
    return path.left(lastSeparator(path) + 1);
}

QString namePart(const QString& path) {
    return path.mid(lastSeparator(path) + 1);
}

QString join(const QString& folder, const QString& name) {
    if (folder.size() <= 3)
        return folder + name;
    return folder + QLatin1Char('\\') + name;
}

QStringList drives() {
    QStringList result;
#ifdef Q_OS_WIN
    for (const QFileInfo& d : QDir::drives())
        result << d.path().left(2).toUpper();
#else
    static const QRegularExpression letter(QStringLiteral("^[A-Z]$"));
    for (const QString& name :
         QDir(Paths::root()).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name))
        if (letter.match(name).hasMatch())
            result << name + QLatin1Char(':');
#endif
    return result;
}

QString driveOf(const QString& path) {
    static const QRegularExpression drive(QStringLiteral("^([A-Za-z]):"));
    const QRegularExpressionMatch m = drive.match(path);
    return m.hasMatch() ? m.captured(1).toUpper() + QLatin1Char(':') : QString();
}

QString fromReal(const QString& realPath) {
#ifdef Q_OS_WIN
    return QDir::toNativeSeparators(realPath);
#else
    const QString root = QDir(Paths::root()).canonicalPath();
    const QString path = QFileInfo(realPath).canonicalFilePath();
    if (root.isEmpty() || path.isEmpty() || !path.startsWith(root + QLatin1Char('/')))
        return {};
    const QString rest = path.mid(root.size() + 1); // "D/ZanbookBack"
    const int slash = int(rest.indexOf(QLatin1Char('/')));
    const QString drive = slash < 0 ? rest : rest.left(slash);
    if (!drives().contains(drive + QLatin1Char(':')))
        return {};
    QString tail = slash < 0 ? QString() : rest.mid(slash + 1);
    tail.replace(QLatin1Char('/'), QLatin1Char('\\'));
    return drive + QStringLiteral(":\\") + tail;
#endif
}

bool isValidName(const QString& name) {
    if (name.isEmpty())
        return false;
    for (QChar c : name)
        if (c.unicode() < 32 || QStringLiteral("<>:\"/\\|?*").contains(c))
            return false;
    return true;
}

bool isFolder(const QString& folder) {
    return !folder.isEmpty() && QFileInfo(Paths::mapped(folder)).isDir();
}

bool createFolder(const QString& folder) {
    if (folder.isEmpty() || isDriveRoot(folder))
        return false;
    QString trimmed = folder;
    while (trimmed.endsWith(QLatin1Char('\\')) || trimmed.endsWith(QLatin1Char('/')))
        trimmed.chop(1);
    const QString name = namePart(trimmed);
    if (!isValidName(name) || trimmed.endsWith(QLatin1Char(':')))
        return false;
    const QString parent = folderPart(trimmed);
    if (!parent.isEmpty() && !isFolder(parent))
        return false;
    const QFileInfo real(Paths::mapped(trimmed));
    return QDir(real.absolutePath()).mkdir(real.fileName());
}

} // namespace WinPath

#include "registerbackup.h"

#include "database.h"
#include "registercheck.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QUuid>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <unistd.h>

using DurableFile::FileError;

namespace {

// About 8 MB of 4 KB pages per step: few steps, yet progress the user can see.
constexpr int PagesPerStep = 2048;

sqlite3* nativeHandle(Database& db) {
    const QVariant handle = db.connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

QString reasonFor(sqlite3* h, int rc) {
    switch (rc & 0xff) {
    case SQLITE_FULL:
        return DurableFile::reasonFor(ENOSPC);
    case SQLITE_READONLY:
    case SQLITE_CANTOPEN:
    case SQLITE_PERM:
        return DurableFile::reasonFor(EACCES);
    case SQLITE_IOERR:
        return DurableFile::reasonFor(EIO);
    default:
        return QStringLiteral("数据库错误：%1")
            .arg(QString::fromUtf8(h ? sqlite3_errmsg(h) : sqlite3_errstr(rc)));
    }
}

// A new empty file under a name nobody else uses, so that its failure says why.
void createEmpty(const QString& path, const QString& target) {
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd < 0)
        throw FileError(target, DurableFile::reasonFor(errno));
    ::close(fd);
}

void copyPages(sqlite3* source, const QString& copy, const QString& target,
               const DurableFile::Progress& progress) {
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(QFile::encodeName(copy).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> dest(raw, sqlite3_close);
    if (rc != SQLITE_OK)
        throw FileError(target, reasonFor(raw, rc));
    // A temporary file, flushed once at the end: no journal, no syncs on the way.
    sqlite3_exec(raw, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(raw, "main", source, "main");
    if (!backup)
        throw FileError(target, reasonFor(raw, sqlite3_errcode(raw)));
    do {
        rc = sqlite3_backup_step(backup, PagesPerStep);
        if (progress) {
            const int total = sqlite3_backup_pagecount(backup);
            progress(total - sqlite3_backup_remaining(backup), total);
        }
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    rc = sqlite3_backup_finish(backup);
    if (rc != SQLITE_OK)
        throw FileError(target, reasonFor(raw, rc));
    rc = sqlite3_close(dest.release());
    if (rc != SQLITE_OK)
        throw FileError(target, reasonFor(nullptr, rc));
}

// A copy left by a backup that was stopped half-way: gone at the next backup to that folder.
// Only old ones, so that a copy another program window is writing now stays.
void removeStaleCopies(const QString& folder) {
    const QDateTime before = QDateTime::currentDateTime().addSecs(-600);
    const QFileInfoList stale =
        QDir(folder).entryInfoList({QStringLiteral(".qintara-*.part")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& file : stale)
        if (file.lastModified() < before)
            DurableFile::remove(file.absoluteFilePath());
}

} // namespace

namespace RegisterBackup {

std::function<void(const QString&)>& beforeCheck() {
    static std::function<void(const QString&)> hook;
    return hook;
}

Result run(Database& db, const QString& target, bool overwrite,
           const DurableFile::Progress& progress) {
    const QFileInfo info(target);
    if (info.isDir())
        throw FileError(target, DurableFile::reasonFor(EISDIR));
    // Replacing the open file would leave the connection writing to a file nobody can reach.
    if (DurableFile::sameFile(target, db.path()))
        throw FileError(target, QStringLiteral("该文件就是正在使用的数据库"));
    if (info.exists() && !overwrite)
        return Result::TargetExists;
    sqlite3* source = nativeHandle(db);
    if (!source || !db.isOpen())
        throw FileError(target, QStringLiteral("数据库没有打开"));
    // Inside a transaction the copy would carry changes that are not committed.
    if (!sqlite3_get_autocommit(source))
        throw FileError(target, QStringLiteral("数据库正在写入，请稍后再试"));

    const QString folder = info.absolutePath();
    const QString copy = folder + QStringLiteral("/.qintara-") +
                         QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".part");
    removeStaleCopies(folder);
    createEmpty(copy, target);
    try {
        copyPages(source, copy, target, progress);
        if (beforeCheck())
            beforeCheck()(copy);
        DurableFile::flushWhile(copy, [&] {
            const QString problem = RegisterCheck::problem(
                copy, progress ? [&] { progress(0, 0); } : std::function<void()>());
            if (!problem.isEmpty())
                throw FileError(target, QStringLiteral("备份文件校验未通过（%1）").arg(problem));
        });
        if (overwrite)
            DurableFile::renameReplacing(copy, target);
        else
            DurableFile::renameNew(copy, target);
        DurableFile::flushFolder(folder);
    } catch (...) {
        DurableFile::remove(copy);
        throw;
    }
    return Result::Done;
}

} // namespace RegisterBackup

#include "registerbackup.h"

#include "database.h"
#include "registercheck.h"
#include "serverbackup.h"
#include "settledcopy.h"
#include "sqlitereason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QUuid>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <sqlite3.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using DurableFile::FileError;

namespace {

// About 8 MB per step: few steps, yet progress the user can see.
constexpr int PagesPerStep = 2048;
constexpr int BytesPerStep = 8 * 1024 * 1024;

sqlite3* nativeHandle(Database& db) {
    const QVariant handle = db.connection().driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0)
        return nullptr;
    return *static_cast<sqlite3* const*>(handle.data());
}

QString reasonFor(int rc) {
    return SqliteReason::text(rc);
}

// A new empty file under a name nobody else uses, so that its failure says why. It stays
// locked while the backup writes it: a part file nobody holds is a leftover.
class PartFile {
public:
    PartFile(const QString& path, const QString& target) : m_path(path) {
        m_fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                      0644);
        if (m_fd < 0)
            throw FileError(target, DurableFile::reasonFor(errno));
        struct stat st;
        // a cleaner that took it for a leftover in the moment before the lock
        if (::flock(m_fd, LOCK_EX | LOCK_NB) != 0 || ::fstat(m_fd, &st) != 0 || st.st_nlink == 0) {
            ::close(m_fd);
            throw FileError(target, DurableFile::reasonFor(EBUSY));
        }
    }
    ~PartFile() {
        SettledCopy::removeSideFiles(m_path);
        DurableFile::remove(m_path); // nothing once renamed
        ::close(m_fd);
    }
    PartFile(const PartFile&) = delete;
    PartFile& operator=(const PartFile&) = delete;

private:
    QString m_path;
    int m_fd;
};

// Whether a part file is held by a backup running now.
bool isHeld(const QString& path) {
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool held = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return held;
}

// The backup API, page by page: for a register whose file alone is not the whole of it (a
// write-ahead log beside it).
void copyPages(sqlite3* source, const QString& copy, const QString& target,
               const DurableFile::Progress& progress) {
    sqlite3* raw = nullptr;
    int rc =
        sqlite3_open_v2(QFile::encodeName(copy).constData(), &raw, SQLITE_OPEN_READWRITE, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> dest(raw, sqlite3_close);
    if (rc != SQLITE_OK)
        throw FileError(target, reasonFor(rc));
    // A temporary file, flushed once at the end: no journal, no syncs on the way.
    sqlite3_exec(raw, "PRAGMA journal_mode=OFF; PRAGMA synchronous=OFF", nullptr, nullptr, nullptr);
    sqlite3_backup* backup = sqlite3_backup_init(raw, "main", source, "main");
    if (!backup)
        throw FileError(target, reasonFor(sqlite3_errcode(raw)));
    do {
        rc = sqlite3_backup_step(backup, PagesPerStep);
        if (progress) {
            const int total = sqlite3_backup_pagecount(backup);
            progress(total - sqlite3_backup_remaining(backup), total);
        }
    } while (rc == SQLITE_OK || rc == SQLITE_BUSY || rc == SQLITE_LOCKED);
    rc = sqlite3_backup_finish(backup);
    if (rc != SQLITE_OK)
        throw FileError(target, reasonFor(rc));
    // The pages carry the source's log mode; a backup is one file, opened without a log.
    rc = sqlite3_exec(raw, "PRAGMA journal_mode=DELETE", nullptr, nullptr, nullptr);
    if (rc != SQLITE_OK)
        throw FileError(target, reasonFor(rc));
    rc = sqlite3_close(dest.release());
    if (rc != SQLITE_OK)
        throw FileError(target, reasonFor(rc));
}

// With a rollback journal the file holds every committed change and nothing else.
bool fileIsWholeRegister(sqlite3* source) {
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(source, "PRAGMA main.journal_mode", -1, &st, nullptr) != SQLITE_OK)
        return false;
    std::unique_ptr<sqlite3_stmt, int (*)(sqlite3_stmt*)> guard(st, sqlite3_finalize);
    if (sqlite3_step(st) != SQLITE_ROW)
        return false;
    return qstricmp(reinterpret_cast<const char*>(sqlite3_column_text(st, 0)), "wal") != 0;
}

// A read transaction of the connection: its shared lock keeps every writer, in this program
// or another, from changing the file until it ends.
class ReadTransaction {
public:
    ReadTransaction(sqlite3* h, const QString& target) : m_h(h) {
        int rc = sqlite3_exec(h, "BEGIN", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK)
            throw FileError(target, reasonFor(rc));
        // the first read takes the lock (and rolls back a hot journal of a crashed writer)
        rc = sqlite3_exec(h, "SELECT count(*) FROM sqlite_master", nullptr, nullptr, nullptr);
        if (rc != SQLITE_OK) {
            const QString why = reasonFor(rc);
            end();
            throw FileError(target, why);
        }
    }
    ~ReadTransaction() { end(); }
    ReadTransaction(const ReadTransaction&) = delete;
    ReadTransaction& operator=(const ReadTransaction&) = delete;

private:
    void end() { sqlite3_exec(m_h, "COMMIT", nullptr, nullptr, nullptr); }
    sqlite3* m_h;
};

// The file's bytes while the read transaction holds it still: the consistency of the backup
// API at the speed of a plain copy. They are read through the connection's own file handle,
// since closing a second descriptor of the file would drop the connection's locks.
// False when the connection itself changed something meanwhile (a window repainting between
// the parts may run a statement): its changes could have reached the file uncommitted.
bool copyBytes(sqlite3* source, const QString& copy, const QString& target,
               const DurableFile::Progress& progress) {
    ReadTransaction reading(source, target);
    const sqlite3_int64 changes = sqlite3_total_changes64(source);
    sqlite3_file* file = nullptr;
    if (sqlite3_file_control(source, "main", SQLITE_FCNTL_FILE_POINTER, &file) != SQLITE_OK ||
        !file || !file->pMethods)
        throw FileError(target, QStringLiteral("数据库没有打开"));
    sqlite3_int64 size = 0;
    int rc = file->pMethods->xFileSize(file, &size);
    if (rc != SQLITE_OK)
        throw FileError(target, reasonFor(rc));

    const int fd = ::open(QFile::encodeName(copy).constData(), O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        throw FileError(target, DurableFile::reasonFor(errno));
    auto failed = [fd, &target](int error) {
        ::close(fd);
        throw FileError(target, DurableFile::reasonFor(error));
    };
    QByteArray buffer(BytesPerStep, Qt::Uninitialized);
    for (sqlite3_int64 done = 0; done < size;) {
        const int amount = int(std::min<sqlite3_int64>(BytesPerStep, size - done));
        rc = file->pMethods->xRead(file, buffer.data(), amount, done);
        if (rc != SQLITE_OK) {
            ::close(fd);
            throw FileError(target, reasonFor(rc));
        }
        for (int put = 0; put < amount;) {
            const ssize_t n = ::write(fd, buffer.constData() + put, size_t(amount - put));
            if (n < 0)
                failed(errno);
            put += int(n);
        }
        // the disk starts on this part now, so the flush at the end has little left to do
        ::sync_file_range(fd, done, amount, SYNC_FILE_RANGE_WRITE);
        done += amount;
        if (progress)
            progress(done, size);
    }
    if (::close(fd) != 0)
        throw FileError(target, DurableFile::reasonFor(errno));
    return sqlite3_total_changes64(source) == changes;
}

// Why the copy failed its check: the register itself when it is damaged, else the copy.
QString checkFailure(sqlite3* source, const QString& problem) {
    if (!RegisterCheck::damage(source).isEmpty())
        return QStringLiteral("正在使用的数据库已损坏（%1），请先从完好的备份恢复").arg(problem);
    return QStringLiteral("备份文件校验未通过（%1）").arg(problem);
}

// The open register file, once it is sure to be the live one with nothing pending.
sqlite3* openFile(Database& db, const QString& target) {
    sqlite3* source = nativeHandle(db);
    if (!source || !db.isOpen())
        throw FileError(target, QStringLiteral("数据库没有打开"));
    // The register at the live name now, never a file another program has replaced.
    int moved = 0;
    if (sqlite3_file_control(source, "main", SQLITE_FCNTL_HAS_MOVED, &moved) != SQLITE_OK || moved)
        throw FileError(target, QStringLiteral("数据库文件已被替换或移走，请重新启动程序"));
    // Inside a transaction the copy would carry changes that are not committed.
    if (!sqlite3_get_autocommit(source))
        throw FileError(target, QStringLiteral("数据库正在写入，请稍后再试"));
    return source;
}

void copyFile(sqlite3* source, const QString& copy, const QString& target,
              const DurableFile::Progress& progress) {
    if (!fileIsWholeRegister(source) || !copyBytes(source, copy, target, progress)) {
        if (::truncate(QFile::encodeName(copy).constData(), 0) != 0)
            throw FileError(target, DurableFile::reasonFor(errno));
        copyPages(source, copy, target, progress);
    }
}

void checkFileCopy(sqlite3* source, const QString& copy, const QString& target,
                   const DurableFile::Progress& progress) {
    const QString problem =
        RegisterCheck::problem(copy, progress ? [&] { progress(0, 0); } : std::function<void()>());
    if (!problem.isEmpty())
        throw FileError(target, checkFailure(source, problem));
}

} // namespace

namespace RegisterBackup {

void removeLeftovers(const QString& folder) {
    const QFileInfoList parts =
        QDir(folder).entryInfoList({QStringLiteral(".qintara-*.part")}, QDir::Files | QDir::Hidden);
    for (const QFileInfo& part : parts) {
        if (isHeld(part.absoluteFilePath()))
            continue;
        SettledCopy::removeSideFiles(part.absoluteFilePath());
        DurableFile::removeLarge(part.absoluteFilePath());
    }
    // side files whose part is gone
    for (const QString& suffix : SettledCopy::sideSuffixes())
        for (const QFileInfo& side : QDir(folder).entryInfoList(
                 {QStringLiteral(".qintara-*.part") + suffix}, QDir::Files | QDir::Hidden))
            if (!QFileInfo::exists(side.absoluteFilePath().chopped(suffix.size())))
                DurableFile::remove(side.absoluteFilePath());
}

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
    sqlite3* source = db.onServer() ? nullptr : openFile(db, target);

    const QString folder = info.absolutePath();
    const QString copy = folder + QStringLiteral("/.qintara-") +
                         QUuid::createUuid().toString(QUuid::Id128) + QStringLiteral(".part");
    RegisterBackup::removeLeftovers(folder);
    PartFile part(copy, target);
    if (source)
        copyFile(source, copy, target, progress);
    else
        ServerBackup::write(db, copy, target, progress);
    if (beforeCheck())
        beforeCheck()(copy);
    DurableFile::flushWhile(copy, [&] {
        if (source)
            checkFileCopy(source, copy, target, progress);
        else
            ServerBackup::check(copy, target, progress);
    });
    if (overwrite)
        DurableFile::renameReplacing(copy, target);
    else
        DurableFile::renameNew(copy, target);
    DurableFile::flushFolder(folder);
    return Result::Done;
}

} // namespace RegisterBackup

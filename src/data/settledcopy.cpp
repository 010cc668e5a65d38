#include "settledcopy.h"

#include "sqlitereason.h"

#include <QFile>
#include <QFileInfo>
#include <memory>
#include <sqlite3.h>

namespace {

// Whether the file's header names the write-ahead log (read and write versions 2): SQLite
// then keeps a log and an index beside it whenever it is open.
bool marksWriteAheadLog(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray header = file.read(20);
    return header.size() == 20 && header.startsWith(QByteArray("SQLite format 3", 16)) &&
           (header.at(18) == 2 || header.at(19) == 2);
}

QString exec(sqlite3* h, const char* sql) {
    const int rc = sqlite3_exec(h, sql, nullptr, nullptr, nullptr);
    return rc == SQLITE_OK ? QString() : SqliteReason::text(rc);
}

// Opening and reading rolls a hot journal back or applies the log; leaving the log mode
// writes its pages into the file and drops it.
QString settle(const QString& path) {
    sqlite3* raw = nullptr;
    const int rc = sqlite3_open_v2(QFile::encodeName(path).constData(), &raw,
                                   SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr);
    std::unique_ptr<sqlite3, int (*)(sqlite3*)> h(raw, sqlite3_close);
    if (rc != SQLITE_OK)
        return SqliteReason::text(rc);
    sqlite3_extended_result_codes(raw, 1);
    // a private copy, flushed once by the caller
    QString why = exec(raw, "PRAGMA synchronous = OFF");
    if (why.isEmpty())
        why = exec(raw, "SELECT count(*) FROM sqlite_master");
    if (why.isEmpty())
        why = exec(raw, "PRAGMA journal_mode = DELETE");
    const int closed = sqlite3_close(h.release());
    if (why.isEmpty() && closed != SQLITE_OK)
        why = SqliteReason::text(closed);
    return why;
}

} // namespace

namespace SettledCopy {

QStringList sideSuffixes() {
    return {QStringLiteral("-journal"), QStringLiteral("-wal"), QStringLiteral("-shm")};
}

QStringList sideFilesOf(const QString& path) {
    QStringList found;
    for (const QString& suffix : sideSuffixes())
        if (QFileInfo::exists(path + suffix))
            found << path + suffix;
    return found;
}

bool removeSideFiles(const QString& path) {
    bool all = true;
    for (const QString& suffix : sideSuffixes())
        all = DurableFile::remove(path + suffix) && all;
    return all;
}

QString make(const QString& source, const QString& target, const DurableFile::Progress& progress) {
    DurableFile::copy(source, target, progress, DurableFile::Flush::Later);
    QString why;
    try {
        // The log's index (-shm) is rebuilt from the log; a stale one is never carried over.
        bool sides = false;
        for (const QString& suffix : {QStringLiteral("-journal"), QStringLiteral("-wal")}) {
            if (!QFileInfo(source + suffix).isFile())
                continue;
            DurableFile::copy(source + suffix, target + suffix, {}, DurableFile::Flush::Later);
            sides = true;
        }
        if (sides || marksWriteAheadLog(target))
            why = settle(target);
        // what SQLite leaves once settled (a journal that was not hot) is no longer needed
        if (why.isEmpty() && !removeSideFiles(target))
            why = QStringLiteral("日志文件无法清除");
    } catch (...) {
        removeSideFiles(target);
        DurableFile::remove(target);
        throw;
    }
    if (!why.isEmpty()) {
        removeSideFiles(target);
        DurableFile::remove(target);
    }
    return why;
}

} // namespace SettledCopy

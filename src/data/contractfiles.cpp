#include "contractfiles.h"

#include "database.h"
#include "platform/clock.h"
#include "schema.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QSaveFile>
#include <QSqlQuery>

namespace ContractFiles {

namespace {

// Parts small enough to bind and hash without holding a whole file in memory twice.
constexpr qint64 PartBytes = 1024 * 1024;

bool hasTables(Database& db) {
    QSqlQuery q = db.prepare(Schema::objectsQuery(db.connection()));
    Database::exec(q);
    int found = 0;
    while (q.next())
        for (const char* name : {"CompactFile", "CompactFilePart"})
            found += q.value(1).toString().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
    return found == 2;
}

void run(Database& db, const QString& sql, const QVariantList& values = {}) {
    QSqlQuery q = db.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    Database::exec(q);
}

using Savepoint = Database::Savepoint;

QString hex(QCryptographicHash& hash) {
    return QString::fromLatin1(hash.result().toHex());
}

} // namespace

QString sizeText(qint64 bytes) {
    if (bytes < 1024)
        return QStringLiteral("%1 字节").arg(bytes);
    if (bytes < 1024 * 1024)
        return QStringLiteral("%1 KB").arg(double(bytes) / 1024, 0, 'f', 1);
    return QStringLiteral("%1 MB").arg(double(bytes) / (1024 * 1024), 0, 'f', 1);
}

QString tooLargeText(const QString& name, qint64 bytes) {
    return QStringLiteral("文件“%1”有 %2 字节，超过 50 MB，不能存入数据库。")
        .arg(name, QLocale(QLocale::Chinese, QLocale::China).toString(bytes));
}

bool Store::available() {
    return hasTables(m_db);
}

std::optional<qint64> Store::addFile(qint64 compactId, const QString& path, const QString& addedBy,
                                     const Progress& progress) {
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw DataError(QStringLiteral("无法读取文件“%1”：%2").arg(name, file.errorString()));
    return add(compactId, file, name, addedBy, progress);
}

std::optional<qint64> Store::add(qint64 compactId, QIODevice& source, const QString& name,
                                 const QString& addedBy, const Progress& progress) {
    if (!source.isSequential() && source.size() - source.pos() > MaxBytes)
        throw DataError(tooLargeText(name, source.size() - source.pos()));
    Savepoint savepoint(m_db);
    const qint64 id = insertEntry(compactId, name, addedBy);
    bool stopped = false;
    writeParts(id, source, name, progress, stopped);
    if (stopped)
        return std::nullopt;
    savepoint.release();
    return id;
}

qint64 Store::insertEntry(qint64 compactId, const QString& name, const QString& addedBy) {
    QSqlQuery q = m_db.prepare(QStringLiteral("INSERT INTO CompactFile (CompactID, 文件名, 大小, "
                                              "添加日期, 添加人) VALUES (?, ?, 0, ?, ?)") +
                               Database::returningKey(m_db.connection(), QStringLiteral("ID")));
    q.addBindValue(compactId);
    q.addBindValue(name);
    q.addBindValue(Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    q.addBindValue(addedBy.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : addedBy);
    return Database::insert(q).toLongLong();
}

// The size and checksum are those of the bytes actually stored, also when the file changed
// while it was read.
void Store::writeParts(qint64 fileId, QIODevice& source, const QString& name,
                       const Progress& progress, bool& stopped) {
    const qint64 total = source.isSequential() ? 0 : source.size() - source.pos();
    QSqlQuery insert = m_db.prepare(
        QStringLiteral("INSERT INTO CompactFilePart (FileID, Part, Bytes) VALUES (?, ?, ?)"));
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 done = 0;
    QByteArray bytes(PartBytes, Qt::Uninitialized);
    for (int part = 0;; ++part) {
        const qint64 n = source.read(bytes.data(), PartBytes);
        if (n < 0)
            throw DataError(QStringLiteral("无法读取文件“%1”：%2").arg(name, source.errorString()));
        if (n == 0)
            break;
        done += n;
        if (done > MaxBytes)
            throw DataError(tooLargeText(name, done));
        const QByteArray read = bytes.first(n);
        hash.addData(read);
        insert.bindValue(0, fileId);
        insert.bindValue(1, part);
        insert.bindValue(2, read);
        Database::exec(insert);
        if (progress && !progress(done, total)) {
            stopped = true;
            return;
        }
    }
    run(m_db, QStringLiteral("UPDATE CompactFile SET 大小 = ?, 校验 = ? WHERE ID = ?"),
        {done, hex(hash), fileId});
}

void Store::remove(qint64 fileId) {
    Savepoint savepoint(m_db);
    run(m_db, QStringLiteral("DELETE FROM CompactFilePart WHERE FileID = ?"), {fileId});
    run(m_db, QStringLiteral("DELETE FROM CompactFile WHERE ID = ?"), {fileId});
    savepoint.release();
}

void Store::extract(qint64 fileId, const QString& target) {
    QSqlQuery entry =
        m_db.prepare(QStringLiteral("SELECT 文件名, 大小, 校验 FROM CompactFile WHERE ID = ?"));
    entry.addBindValue(fileId);
    Database::exec(entry);
    if (!entry.next())
        throw DataError(QStringLiteral("这个文件已不在数据库中。"));
    const QString name = entry.value(0).toString();
    const qint64 size = entry.value(1).toLongLong();
    const QString checksum = entry.value(2).toString();
    entry.finish();

    QSaveFile out(target);
    if (!out.open(QIODevice::WriteOnly))
        throw DataError(QStringLiteral("无法写入文件“%1”：%2").arg(target, out.errorString()));
    QSqlQuery parts = m_db.prepare(
        QStringLiteral("SELECT Bytes FROM CompactFilePart WHERE FileID = ? ORDER BY Part"));
    parts.setForwardOnly(true);
    parts.addBindValue(fileId);
    Database::exec(parts);
    QCryptographicHash hash(QCryptographicHash::Sha256);
    qint64 read = 0;
    bool written = true;
    while (written && parts.next()) {
        const QByteArray bytes = parts.value(0).toByteArray();
        read += bytes.size();
        hash.addData(bytes);
        written = out.write(bytes) == bytes.size();
    }
    parts.finish();
    if (!written) {
        const QString reason = out.errorString();
        out.cancelWriting();
        throw DataError(QStringLiteral("无法写入文件“%1”：%2").arg(target, reason));
    }
    if (read != size || hex(hash) != checksum) {
        out.cancelWriting();
        throw DataError(QStringLiteral("文件“%1”在数据库中已损坏，无法取出。").arg(name));
    }
    if (!out.commit())
        throw DataError(QStringLiteral("无法写入文件“%1”：%2").arg(target, out.errorString()));
}

void Store::removeAllOf(Database& db, const QVariant& compactId) {
    if (!hasTables(db))
        return;
    run(db,
        QStringLiteral("DELETE FROM CompactFilePart WHERE FileID IN "
                       "(SELECT ID FROM CompactFile WHERE CompactID = ?)"),
        {compactId});
    run(db, QStringLiteral("DELETE FROM CompactFile WHERE CompactID = ?"), {compactId});
}

} // namespace ContractFiles

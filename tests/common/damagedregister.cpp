#include "damagedregister.h"

#include <QFile>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTest>
#include <QUuid>
#include <functional>

namespace {

using DamagedRegister::onItsOwn;

void exec(QSqlDatabase& db, const QString& sql) {
    QSqlQuery q(db);
    QVERIFY2(q.exec(sql), qPrintable(sql + QStringLiteral(": ") + q.lastError().text()));
}

QString value(const QString& path, const QString& sql) {
    QString result;
    onItsOwn(path, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        QVERIFY2(q.exec(sql) && q.next(), qPrintable(q.lastError().text()));
        result = q.value(0).toString();
    });
    return result;
}

void copyFile(const QString& from, const QString& to) {
    QFile::remove(to);
    QVERIFY2(QFile::copy(from, to), qPrintable(to));
}

} // namespace

namespace DamagedRegister {

void onItsOwn(const QString& path, const std::function<void(QSqlDatabase&)>& work) {
    const QString name = QStringLiteral("damaged-") + QUuid::createUuid().toString();
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(path);
        if (db.open())
            work(db);
        else
            QFAIL(qPrintable(db.lastError().text()));
    }
    QSqlDatabase::removeDatabase(name);
}

void run(const QString& path, const QStringList& statements) {
    onItsOwn(path, [&](QSqlDatabase& db) {
        for (const QString& sql : statements)
            exec(db, sql);
    });
}

// The index is made to stand for a column the change leaves alone, then given back.
void indexDisagrees(const QString& path) {
    const QString sql =
        value(path, QStringLiteral("SELECT sql FROM sqlite_master WHERE name = 'Compact_List'"));
    QVERIFY(!sql.isEmpty());
    run(path, {QStringLiteral("PRAGMA writable_schema = ON"),
               QStringLiteral("UPDATE sqlite_master SET sql = 'CREATE INDEX Compact_List ON "
                              "Compact (CompactID)' WHERE name = 'Compact_List'")});
    run(path, {QStringLiteral("UPDATE Compact SET 合同名称 = '改过' || 合同名称")});
    onItsOwn(path, [&](QSqlDatabase& db) {
        exec(db, QStringLiteral("PRAGMA writable_schema = ON"));
        QSqlQuery q(db);
        q.prepare(QStringLiteral("UPDATE sqlite_master SET sql = ? WHERE name = 'Compact_List'"));
        q.addBindValue(sql);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
    });
}

void cutShort(const QString& path, int bytes) {
    QFile f(path);
    QVERIFY(f.resize(f.size() - bytes));
}

void textIndexDamaged(const QString& path) {
    run(path, {QStringLiteral("INSERT INTO Compact (合同编号, 合同内容) VALUES ('HT-T01', "
                              "'供货合同的全部条款')"),
               QStringLiteral("UPDATE CompactText_data SET block = zeroblob(length(block)) WHERE "
                              "id = (SELECT max(id) FROM CompactText_data)")});
}

// A small page cache spills the changed pages into the file before the commit, as a large
// change does; the files are taken as they are at that moment.
void withInterruptedWrite(const QString& source, const QString& picked) {
    copyFile(source, picked);
    onItsOwn(picked, [&](QSqlDatabase& db) {
        exec(db, QStringLiteral("WITH RECURSIVE n(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM n "
                                "WHERE i < 199) INSERT INTO Compact (合同编号, 合同内容) SELECT "
                                "printf('X%03d', i), hex(randomblob(1000)) FROM n"));
        exec(db, QStringLiteral("PRAGMA cache_size = 1"));
        exec(db, QStringLiteral("BEGIN"));
        exec(db, QStringLiteral("UPDATE Compact SET 合同编号 = '坏-' || 合同编号"));
        const QString taken = picked + QStringLiteral(".taken");
        copyFile(picked, taken);
        copyFile(picked + QStringLiteral("-journal"), taken + QStringLiteral("-journal"));
        exec(db, QStringLiteral("ROLLBACK"));
        QFile::remove(picked);
        QVERIFY(QFile::rename(taken, picked));
        QVERIFY(
            QFile::rename(taken + QStringLiteral("-journal"), picked + QStringLiteral("-journal")));
    });
}

void withLog(const QString& source, const QString& picked, const QString& added) {
    copyFile(source, picked);
    onItsOwn(picked, [&](QSqlDatabase& db) {
        exec(db, QStringLiteral("PRAGMA journal_mode = WAL"));
        exec(db, QStringLiteral("PRAGMA wal_autocheckpoint = 0"));
        QSqlQuery q(db);
        q.prepare(QStringLiteral("INSERT INTO Compact (合同编号) VALUES (?)"));
        q.addBindValue(added);
        QVERIFY2(q.exec(), qPrintable(q.lastError().text()));
        // the files as a copy taken now finds them: the contract only in the log
        const QString taken = picked + QStringLiteral(".taken");
        copyFile(picked, taken);
        copyFile(picked + QStringLiteral("-wal"), taken + QStringLiteral("-wal"));
        db.close();
        QFile::remove(picked);
        QVERIFY(QFile::rename(taken, picked));
        QVERIFY(QFile::rename(taken + QStringLiteral("-wal"), picked + QStringLiteral("-wal")));
    });
}

} // namespace DamagedRegister

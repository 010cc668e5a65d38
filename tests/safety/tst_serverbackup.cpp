// Backup and restore of a register on a PostgreSQL server, through the same two windows: the
// backup is a pg_dump archive under the dated name, a restore swaps it in whole or not at all.
#include "common/testregistry.h"
#include "common/testserver.h"
#include "data/registeraddress.h"
#include "data/serverconnection.h"
#include "data/tdmod.h"
#include "platform/clock.h"
#include "safetyfixture.h"
#include "shell/appcontext.h"
#include "shell/tlogin.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSqlDriver>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>
#include <QUuid>

namespace {

const QString Proposed = QStringLiteral("D:\\ZanbookBack\\Hestrel20240506.mdb");
const QString Failed = QStringLiteral("您所恢复的数据库有误，恢复失败！");
const QStringList Before{"HT-002", "HT-003", "HT-009"};   // the live register, changed
const QStringList Restored{"HT-001", "HT-002", "HT-003"}; // the backup

// Runs one of PostgreSQL's programs on the cluster the tests use; its standard output.
QByteArray run(const QString& program, const QStringList& args, int* exitCode = nullptr) {
    QProcess p;
    p.start(program, args);
    p.waitForFinished(-1);
    if (exitCode)
        *exitCode = p.exitCode();
    return p.readAllStandardOutput();
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

void start(SafetyFixture& f) {
    QVERIFY2(f.start(), qPrintable(f.dialogs().texts().join(u'|')));
}

// A backup of the register made through the window; then HT-001 goes, HT-009 and the operator
// 赵六 come, and the data module reads it all again.
void backupThenChange(SafetyFixture& f) {
    start(f);
    f.backupNow();
    QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("数据已成功备份至:\r\n") + Proposed));
    f.dialogs().clear();
    f.exec(QStringLiteral("DELETE FROM Compact WHERE 合同编号 = 'HT-001'"));
    f.addContract(QStringLiteral("HT-009"));
    f.addOperator(QStringLiteral("赵六"), {}, {});
    f.dm().TBCompacter->refresh();
    f.loginDialog().TBLogin->close();
    f.loginDialog().TBLogin->open();
    QCOMPARE(f.contractsShown(), Before);
}

// What a restore must leave alone: the rows of every table, and no schema of its own.
QStringList liveState(SafetyFixture& f) {
    QStringList state = SafetyFixture::numbersIn(f.databasePath());
    for (const char* table : {"Compact", "AccountReceive", "Operator", "CompactType", "server"})
        state << QStringLiteral("%1=%2").arg(table).arg(f.count(QString::fromUtf8(table)));
    state << f.scalar(QStringLiteral("SELECT string_agg(nspname, ',' ORDER BY nspname) FROM "
                                     "pg_namespace WHERE nspname NOT LIKE 'pg\\_%' AND nspname "
                                     "<> 'information_schema'"))
                 .toString();
    return state;
}

// Runs a statement the driver cannot prepare on a connection of its own.
void runOnServer(const QString& address, const QString& sql) {
    const QString name = QStringLiteral("admin-") + QUuid::createUuid().toString(QUuid::Id128);
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        ServerConnection::open(db, *RegisterAddress::server(address));
        QSqlQuery q(db);
        QVERIFY2(q.exec(sql), qPrintable(sql));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// Hears what programs are told on the changes channel.
class Listener : public QObject {
public:
    explicit Listener(const QString& address) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), m_name);
        ServerConnection::open(db, *RegisterAddress::server(address));
        db.driver()->subscribeToNotification(QStringLiteral("qintara_changes"));
        connect(db.driver(), &QSqlDriver::notification, this,
                [this](const QString&, QSqlDriver::NotificationSource, const QVariant& payload) {
                    heard << payload.toString();
                });
    }
    ~Listener() override {
        QSqlDatabase::database(m_name, false).close();
        QSqlDatabase::removeDatabase(m_name);
    }
    QStringList heard;

private:
    QString m_name = QStringLiteral("listener-") + QUuid::createUuid().toString(QUuid::Id128);
};

// An archive in the backup folder that is no usable backup of a register, by kind.
void makeBadArchive(const QString& kind, const QString& path, const QString& good) {
    const QByteArray all = SafetyFixture::bytes(good);
    if (kind == QLatin1String("plain text")) {
        writeFile(path, "合同编号,合同名称\nHT-001,合同HT-001\n");
    } else if (kind == QLatin1String("empty")) {
        writeFile(path, {});
    } else if (kind == QLatin1String("truncated")) {
        writeFile(path, all.left(all.size() * 2 / 3));
    } else if (kind == QLatin1String("damaged rows")) {
        QByteArray damaged = all; // the last table's compressed rows, not its lengths
        for (qsizetype i = damaged.size() - 40; i < damaged.size() - 8; ++i)
            damaged[i] = '\x5a';
        writeFile(path, damaged);
    } else if (kind == QLatin1String("register file")) {
        Database file;
        file.create(path);
    } else if (kind == QLatin1String("other database")) {
        int code = -1;
        run(QStringLiteral("pg_dump"),
            {QStringLiteral("--format=custom"), QStringLiteral("--schema=public"),
             QStringLiteral("--dbname=postgres"), QStringLiteral("--file=") + path},
            &code);
        QCOMPARE(code, 0);
    }
}

} // namespace

class TestServerBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        if (!TestServer::active())
            QSKIP("the register is a file in this run");
        Clock::setNow(QDateTime(QDate(2024, 5, 6), QTime(9, 30)));
    }

    // The backup window writes an archive that pg_restore reads, holding the rows, under the
    // dated name and nothing else beside it.
    void backupIsArchive() {
        SafetyFixture f;
        f.addContracts();
        start(f);
        f.backupNow();
        QCOMPARE(f.dialogs().texts(),
                 QStringList(QStringLiteral("数据已成功备份至:\r\n") + Proposed));
        const QString archive = SafetyFixture::real(Proposed);
        QCOMPARE(QDir(SafetyFixture::real(QStringLiteral("D:\\ZanbookBack")))
                     .entryList(QDir::Files | QDir::Hidden),
                 QStringList(QStringLiteral("Hestrel20240506.mdb")));
        int code = -1;
        const QString listed = QString::fromUtf8(
            run(QStringLiteral("pg_restore"), {QStringLiteral("--list"), archive}, &code));
        QCOMPARE(code, 0);
        QVERIFY2(listed.contains(QStringLiteral("TABLE DATA public compact")), qPrintable(listed));
        QVERIFY(listed.contains(QStringLiteral("VIEW public 合同_印花税")));
        const QString rows =
            QString::fromUtf8(run(QStringLiteral("pg_restore"),
                                  {QStringLiteral("--data-only"), QStringLiteral("--table=compact"),
                                   QStringLiteral("--file=-"), archive}));
        for (const QString& number : Restored)
            QVERIFY2(rows.contains(u'\n' + number + u'\t'), qPrintable(rows));
    }

    // A backup made earlier comes back through the restore window after changes: the program's
    // lists, its login's operators, a second program's datasets and a new connection all read
    // the backup's rows and stored files; programs listening are told; new rows get new keys.
    void restoreBringsBackupBack() {
        SafetyFixture f;
        f.addContracts();
        const int first =
            f.scalar(QStringLiteral("SELECT CompactID FROM Compact WHERE 合同编号 = 'HT-001'"))
                .toInt();
        QByteArray signedCopy(1500000, Qt::Uninitialized);
        for (int i = 0; i < signedCopy.size(); ++i)
            signedCopy[i] = char(i * 31 + i / 977);
        f.addStoredFile(first, QStringLiteral("签字版.pdf"), signedCopy);
        backupThenChange(f);
        TDMod other(f.databasePath()); // another operator's program, its statements prepared
        other.TBCompacter->open();
        QCOMPARE(SafetyFixture::column(other.TBCompacter, QStringLiteral("合同编号")), Before);
        Listener listener(f.databasePath());

        QVERIFY(!f.restoreFile(QStringLiteral("Hestrel20240506.mdb")));
        // the restoring program says it is done; the other operator's program is told too, as
        // soon as the server's announcement reaches it
        const auto told = [&f] {
            QStringList texts = f.dialogs().texts();
            texts.sort();
            return texts;
        };
        QTRY_COMPARE(
            told(),
            QStringList({QStringLiteral("其他操作员已从备份恢复了数据库，所有数据已重新读取。"),
                         QStringLiteral("数据已成功恢复！")}));
        QCOMPARE(f.contractsShown(), Restored);
        QCOMPARE(SafetyFixture::column(f.loginDialog().TBLogin, QStringLiteral("OperatorName")),
                 QStringList(QStringLiteral("管理员")));
        QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), Restored);
        QCOMPARE(f.scalar(QStringLiteral("SELECT sum(length(Bytes)) FROM CompactFilePart")).toInt(),
                 signedCopy.size());
        other.TBCompacter->refresh(); // in key order: HT-002 was added first
        QCOMPARE(SafetyFixture::column(other.TBCompacter, QStringLiteral("合同编号")),
                 QStringList({"HT-002", "HT-001", "HT-003"}));
        QTRY_COMPARE(listener.heard, QStringList(QStringLiteral("*:restore:0")));
        QCOMPARE(f.scalar(QStringLiteral("SELECT count(*) FROM pg_namespace WHERE nspname LIKE "
                                         "'qintara\\_aside%'"))
                     .toInt(),
                 0);

        // the program goes on working on the restored register
        Dataset* c = f.dm().TBCompacter;
        c->append();
        c->fieldByName(QStringLiteral("合同编号"))->setValue(QStringLiteral("HT-010"));
        QVERIFY(c->post());
        QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), Restored + QStringList{"HT-010"});
    }

    // A register made when the extensions lived in its own schema has them moved out of it when
    // the program opens it, so that a restore can set that schema aside whole.
    void registerMadeEarlier() {
        SafetyFixture f;
        for (const char* extension : {"citext", "pg_trgm"})
            runOnServer(f.databasePath(),
                        QStringLiteral("ALTER EXTENSION %1 SET SCHEMA public").arg(extension));
        f.addContracts();
        backupThenChange(f);
        QVERIFY(!f.restoreFile(QStringLiteral("Hestrel20240506.mdb")));
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("数据已成功恢复！")));
        QCOMPARE(f.contractsShown(), Restored);
        QCOMPARE(f.scalar(QStringLiteral("SELECT string_agg(DISTINCT n.nspname, ',') FROM "
                                         "pg_extension e JOIN pg_namespace n ON n.oid = "
                                         "e.extnamespace WHERE e.extname IN ('citext', 'pg_trgm')"))
                     .toString(),
                 QStringLiteral("qintara_ext"));
    }

    // Archives that are no usable backup are refused with the reason, and the live register is
    // exactly as it was: its rows, its schemas, the program's lists and rights.
    void badArchives_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const QString notArchive = QStringLiteral("不是服务器数据库的备份文件");
        QTest::newRow("plain text") << "plain text" << notArchive;
        QTest::newRow("empty") << "empty" << QStringLiteral("文件是空的");
        QTest::newRow("truncated") << "truncated" << QStringLiteral("文件不完整（备份数据不全）");
        QTest::newRow("damaged rows") << "damaged rows" << QStringLiteral("文件已损坏");
        QTest::newRow("register file") << "register file" << notArchive;
        QTest::newRow("other database")
            << "other database" << QStringLiteral("不是合同数据库（缺少 Compact）");
    }
    void badArchives() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        SafetyFixture f;
        f.addContracts();
        backupThenChange(f);
        const QString bad = SafetyFixture::real(QStringLiteral("D:\\ZanbookBack\\坏.mdb"));
        makeBadArchive(kind, bad, SafetyFixture::real(Proposed));
        const QStringList live = liveState(f);
        QVERIFY(f.restoreFile(QStringLiteral("坏.mdb")));
        QCOMPARE(f.dialogs().texts(), QStringList(Failed + QStringLiteral("\r\n") + reason));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("错误警示"));
        QCOMPARE(liveState(f), live);
        QCOMPARE(f.contractsShown(), Before);
        QVERIFY(f.loginDialog().CheckOperatorRight(QStringLiteral("数据恢复")));
    }

    // An archive that loads whole but fails the register's check (a stored file whose parts do
    // not add up) is rolled back after the load: the live register never changes.
    void archiveFailingTheCheck() {
        SafetyFixture f;
        f.addContracts();
        const int first =
            f.scalar(QStringLiteral("SELECT CompactID FROM Compact WHERE 合同编号 = 'HT-001'"))
                .toInt();
        f.addStoredFile(first, QStringLiteral("签字版.pdf"), QByteArray(5000, 'x'));
        f.exec(QStringLiteral("UPDATE CompactFile SET 大小 = 大小 + 1"));
        backupThenChange(f);
        f.exec(QStringLiteral("UPDATE CompactFile SET 大小 = 大小 - 1"));
        const QStringList live = liveState(f);
        QVERIFY(f.restoreFile(QStringLiteral("Hestrel20240506.mdb")));
        QCOMPARE(
            f.dialogs().texts(),
            QStringList(Failed + QStringLiteral("\r\n存入的合同文件已损坏（大小与内容不符）")));
        QCOMPARE(liveState(f), live);
        QCOMPARE(f.contractsShown(), Before);
    }
};

QINTARA_TEST(TestServerBackup)
#include "tst_serverbackup.moc"

// The qintara-db tool, run as a process the way a developer or the benchmark runner runs it.
#include "common/damagedregister.h"
#include "common/testregistry.h"
#include "common/testserver.h"
#include "data/passwordhash.h"
#include "data/tdmod.h"
#include "platform/profilefile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#ifndef QINTARA_DB_PATH
#error "tests/CMakeLists.txt passes the path of qintara-db as QINTARA_DB_PATH"
#endif

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

Run tool(const QStringList& args) {
    QProcess p;
    p.start(QStringLiteral(QINTARA_DB_PATH), args);
    if (!p.waitForFinished(300000))
        return {};
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha1);
}

int scalar(TDMod& dm, const QString& sql) {
    QSqlQuery q(dm.database().connection());
    return q.exec(sql) && q.next() ? q.value(0).toInt() : -1;
}

// Open reminder rows by days left, as the reminders run them (cc > 0, default horizon 7).
struct Reminders {
    int overdue = 0, dueSoon = 0, shown = 0;
};

Reminders reminders(Dataset* ds, const QString& view) {
    ds->close();
    ds->setSql(QStringLiteral("Select * From %1 where (cc>0)").arg(view));
    ds->open();
    ds->setFiltered(true);
    Reminders r;
    for (ds->first(); !ds->eof(); ds->next()) {
        const int day = ds->value(QStringLiteral("day")).toInt();
        ++r.shown;
        r.overdue += day < 0 ? 1 : 0;
        r.dueSoon += day >= 0 && day <= 7 ? 1 : 0;
    }
    return r;
}

} // namespace

class TestTools : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initCreatesEmptyRegister() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("new/folder/Hestrel.db"));
        const Run run = tool({QStringLiteral("init"), path});
        QCOMPARE(run.code, 0);
        TDMod dm(path);
        QCOMPARE(dm.TBCompacter->recordCount(), 0);
        QCOMPARE(dm.TBServer->recordCount(), 0);
        QCOMPARE(dm.TBCompactType->recordCount(), 11);
        QCOMPARE(dm.TBOperator->recordCount(), 1);
        QCOMPARE(dm.TBOperator->value(QStringLiteral("OperatorName")).toString(),
                 QStringLiteral("管理员"));
        for (const char* right : {"增加", "删除", "修改", "用户权限设置", "数据备份", "数据恢复"})
            QVERIFY2(dm.TBOperator->fieldByName(QString::fromUtf8(right))->asBoolean(), right);
        QVERIFY(dm.TBOperator->fieldByName(QStringLiteral("Password"))->asString().isEmpty());
    }

    void demoHasPromisedShape() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("demo.db"));
        QCOMPARE(tool({QStringLiteral("demo"), path}).code, 0);
        QCOMPARE(tool({QStringLiteral("check"), path}).out.trimmed(), QStringLiteral("ok"));

        ProfileFile settings(dir.filePath(QStringLiteral("Settings.ini"))); // no key: 7 days
        TDMod dm(path);
        dm.setSettingsFile(&settings);
        dm.openAll();
        QCOMPARE(dm.TBCompacter->recordCount(), 200);
        QCOMPARE(dm.TBServer->recordCount(), 30);
        QCOMPARE(dm.TBDepartment->recordCount(), 8);

        QSet<QString> directions, types, numbers;
        Dataset* c = dm.TBCompacter;
        for (c->first(); !c->eof(); c->next()) {
            directions << c->value(QStringLiteral("收付类型")).toString();
            types << c->value(QStringLiteral("合同类型")).toString();
            numbers << c->value(QStringLiteral("合同编号")).toString();
            QVERIFY(!c->value(QStringLiteral("往来单位")).toString().isEmpty());
        }
        QCOMPARE(directions, (QSet<QString>{QStringLiteral("收款"), QStringLiteral("付款"),
                                            QStringLiteral("其它")}));
        QCOMPARE(types.size(), 11);
        QCOMPARE(numbers.size(), 200);
        static const QRegularExpression numberPattern(QStringLiteral("^HT20\\d\\d-\\d{3}$"));
        for (const QString& number : numbers)
            QVERIFY2(numberPattern.match(number).hasMatch(), qPrintable(number));

        // Schedules only on 收款/付款 contracts, with settled, open and undated rows.
        QVERIFY(dm.TBShoukuan->recordCount() > 50);
        QVERIFY(dm.TBFukuan->recordCount() > 50);
        QCOMPARE(
            scalar(dm, QStringLiteral(
                           "SELECT count(*) FROM AccountReceive r JOIN Compact c USING (CompactID) "
                           "WHERE c.收付类型 <> '收款'")),
            0);
        QCOMPARE(
            scalar(dm, QStringLiteral(
                           "SELECT count(*) FROM AccountPayable p JOIN Compact c USING (CompactID) "
                           "WHERE c.收付类型 <> '付款'")),
            0);
        QVERIFY(scalar(dm, QStringLiteral("SELECT count(*) FROM 合同应收款表_明细 WHERE cc = 0")) >
                0);
        QVERIFY(scalar(dm, QStringLiteral(
                               "SELECT count(*) FROM AccountReceive WHERE 应收日期 IS NULL")) > 0);

        for (auto [ds, view] : {std::pair{dm.TBSTiXing, QStringLiteral("合同应收款表_明细")},
                                std::pair{dm.TBFTiXing, QStringLiteral("合同应付款表_明细")}}) {
            const Reminders r = reminders(ds, view);
            QVERIFY2(r.overdue > 0, qPrintable(view));
            QVERIFY2(r.dueSoon > 0, qPrintable(view));
            QCOMPARE(r.shown, r.overdue + r.dueSoon);
        }

        // A partner with two rate rows: its contracts take the first.
        QSqlQuery q(dm.database().connection());
        QVERIFY(q.exec(
            QStringLiteral("SELECT SCNum FROM StampTax GROUP BY SCNum HAVING count(*) > 1")));
        QVERIFY(q.next());
        const QString twice = q.value(0).toString();
        QVERIFY(dm.TBYinHuaShui->locate(QStringLiteral("SCNum"), twice));
        const double first = dm.TBYinHuaShui->value(QStringLiteral("印花税率")).toDouble();
        QVERIFY(c->locate(QStringLiteral("SCNum"), twice));
        QCOMPARE(c->value(QStringLiteral("印花税率")).toDouble(), first);

        QCOMPARE(dm.TBOperator->recordCount(), 3);
        QVERIFY(dm.TBOperator->locate(QStringLiteral("OperatorName"), QStringLiteral("张三")));
        QVERIFY(dm.TBOperator->value(QStringLiteral("Password")).isNull());
        QVERIFY(
            PasswordHash::matches(dm.TBOperator->value(QStringLiteral("PasswordHash")).toString(),
                                  QStringLiteral("123")));
        QStringList granted;
        for (const char* right : {"增加", "删除", "修改", "用户权限设置", "数据备份", "数据恢复"})
            if (dm.TBOperator->fieldByName(QString::fromUtf8(right))->asBoolean())
                granted << QString::fromUtf8(right);
        QCOMPARE(granted, (QStringList{QStringLiteral("增加"), QStringLiteral("修改")}));
        QVERIFY(dm.TBOperator->locate(QStringLiteral("OperatorName"), QStringLiteral("李四")));
        QVERIFY(dm.TBOperator->value(QStringLiteral("Password")).isNull());
        QVERIFY(
            PasswordHash::matches(dm.TBOperator->value(QStringLiteral("PasswordHash")).toString(),
                                  QStringLiteral("abc")));
        for (const char* right : {"增加", "删除", "修改", "用户权限设置", "数据备份", "数据恢复"})
            QVERIFY(!dm.TBOperator->fieldByName(QString::fromUtf8(right))->asBoolean());
    }

    void benchHasRequestedSize() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bench.db"));
        const Run run =
            tool({QStringLiteral("bench"), path, QStringLiteral("--contracts"),
                  QStringLiteral("60"), QStringLiteral("--instalments"), QStringLiteral("400"),
                  QStringLiteral("--partners"), QStringLiteral("25")});
        QCOMPARE(run.code, 0);
        TDMod dm(path);
        dm.openAll();
        QCOMPARE(dm.TBCompacter->recordCount(), 60);
        QCOMPARE(dm.TBServer->recordCount(), 25);
        QCOMPARE(dm.TBShoukuan->recordCount() + dm.TBFukuan->recordCount(), 400);
        QVERIFY(dm.TBShoukuan->recordCount() > 0 && dm.TBFukuan->recordCount() > 0);
        QVERIFY(scalar(dm, QStringLiteral(
                               "SELECT min(length(CAST(合同内容 AS BLOB))) FROM Compact")) >= 2000);
    }

    // Test files for measurements go into an existing register, one per contract, whole.
    void filesStoresRequestedFiles() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("bench.db"));
        QCOMPARE(tool({QStringLiteral("bench"), path, QStringLiteral("--contracts"),
                       QStringLiteral("8"), QStringLiteral("--instalments"), QStringLiteral("8")})
                     .code,
                 0);
        const Run run =
            tool({QStringLiteral("files"), path, QStringLiteral("--files"), QStringLiteral("5"),
                  QStringLiteral("--size"), QStringLiteral("1500000")});
        QCOMPARE(run.code, 0);
        QCOMPARE(tool({QStringLiteral("check"), path}).out, QStringLiteral("ok\n"));
        TDMod dm(path);
        QCOMPARE(scalar(dm, QStringLiteral("SELECT count(DISTINCT CompactID) FROM CompactFile "
                                           "WHERE 大小 = 1500000")),
                 5);
        QCOMPARE(scalar(dm, QStringLiteral("SELECT count(*) FROM CompactFilePart")), 10);
    }

    void creatingCommandsRefuseExistingFiles_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("init") << QStringList{QStringLiteral("init")};
        QTest::newRow("demo") << QStringList{QStringLiteral("demo")};
        QTest::newRow("bench") << QStringList{QStringLiteral("bench"),
                                              QStringLiteral("--contracts"), QStringLiteral("5"),
                                              QStringLiteral("--instalments"), QStringLiteral("5")};
    }
    void creatingCommandsRefuseExistingFiles() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("taken.db"));
        QCOMPARE(tool({QStringLiteral("init"), path}).code, 0);
        const QByteArray before = digest(path);
        args.insert(1, path);
        const Run run = tool(args);
        QVERIFY(run.code != 0);
        QVERIFY(!run.err.isEmpty());
        QCOMPARE(digest(path), before);
    }

    void checkRejectsWhatIsNoRegister() {
        QTemporaryDir dir;
        const QString text = dir.filePath(QStringLiteral("notes.txt"));
        QFile f(text);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a database\n");
        f.close();
        for (const QString& path : {text, dir.filePath(QStringLiteral("missing.db"))}) {
            const Run run = tool({QStringLiteral("check"), path});
            QVERIFY(run.code != 0);
            QVERIFY(!run.err.isEmpty());
            QVERIFY(!run.out.contains(QStringLiteral("ok")));
        }
    }

    // The program's own check: damage that SQLite's quick check passes is found, and a file
    // with the journal of a write that never finished is checked as committed; the file and
    // what lies beside it stay as they were.
    void checkFindsDamage_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("problem"); // empty: "ok"
        QTest::newRow("whole") << "whole" << QString();
        QTest::newRow("index disagrees with table") << "index" << QStringLiteral("文件已损坏");
        QTest::newRow("cut short") << "cut" << QStringLiteral("文件不完整（大小与页数不符）");
        QTest::newRow("text index damaged") << "text" << QStringLiteral("合同内容的全文索引已损坏");
        QTest::newRow("interrupted write") << "journal" << QString();
        QTest::newRow("stored files whole") << "files" << QString();
        QTest::newRow("stored file cut short")
            << "file cut" << QStringLiteral("存入的合同文件已损坏（大小与内容不符）");
    }
    void checkFindsDamage() {
        QFETCH(QString, kind);
        QFETCH(QString, problem);
        QTemporaryDir dir;
        const QString demo = dir.filePath(QStringLiteral("demo.db"));
        QCOMPARE(tool({QStringLiteral("demo"), demo}).code, 0);
        const QString path = dir.filePath(QStringLiteral("checked.db"));
        if (kind == QLatin1String("journal")) {
            DamagedRegister::withInterruptedWrite(demo, path);
        } else {
            QVERIFY(QFile::copy(demo, path));
            if (kind == QLatin1String("index"))
                DamagedRegister::indexDisagrees(path);
            else if (kind == QLatin1String("cut"))
                DamagedRegister::cutShort(path, 100);
            else if (kind == QLatin1String("text"))
                DamagedRegister::textIndexDamaged(path);
            if (kind.startsWith(QLatin1String("file")))
                QCOMPARE(
                    tool({QStringLiteral("files"), path, QStringLiteral("--files"),
                          QStringLiteral("3"), QStringLiteral("--size"), QStringLiteral("5000")})
                        .code,
                    0);
            if (kind == QLatin1String("file cut"))
                DamagedRegister::run(path, {QStringLiteral("UPDATE CompactFilePart SET Bytes = "
                                                           "substr(Bytes, 1, 10) WHERE ID = 2")});
        }
        const QByteArray before = digest(path);
        const QByteArray journal = digest(path + QStringLiteral("-journal"));
        const Run run = tool({QStringLiteral("check"), path});
        if (problem.isEmpty()) {
            QCOMPARE(run.code, 0);
            QCOMPARE(run.out, QStringLiteral("ok\n"));
        } else {
            QCOMPARE(run.code, 1);
            QCOMPARE(run.out, QString());
            QCOMPARE(run.err.trimmed(), QStringLiteral("qintara-db: %1: %2").arg(path, problem));
        }
        QCOMPARE(digest(path), before);
        QCOMPARE(digest(path + QStringLiteral("-journal")), journal);
    }

    void badArgumentsShowUsage_data() {
        QTest::addColumn<QStringList>("args");
        QTest::newRow("none") << QStringList{};
        QTest::newRow("unknown") << QStringList{QStringLiteral("frobnicate"),
                                                QStringLiteral("x.db")};
        QTest::newRow("no path") << QStringList{QStringLiteral("init")};
        QTest::newRow("bench sizes")
            << QStringList{QStringLiteral("bench"), QStringLiteral("x.db")};
        QTest::newRow("files sizes")
            << QStringList{QStringLiteral("files"), QStringLiteral("x.db")};
        QTest::newRow("bench number") << QStringList{
            QStringLiteral("bench"), QStringLiteral("x.db"),          QStringLiteral("--contracts"),
            QStringLiteral("many"),  QStringLiteral("--instalments"), QStringLiteral("1")};
    }
    void badArgumentsShowUsage() {
        QFETCH(QStringList, args);
        QTemporaryDir dir;
        QProcess p;
        p.setWorkingDirectory(dir.path());
        p.start(QStringLiteral(QINTARA_DB_PATH), args);
        QVERIFY(p.waitForFinished(60000));
        QVERIFY(p.exitCode() != 0);
        QVERIFY(QString::fromUtf8(p.readAllStandardError()).contains(QStringLiteral("usage")));
        QVERIFY(!QFile::exists(dir.filePath(QStringLiteral("x.db"))));
    }
};
QINTARA_FILE_TEST(TestTools)

// The same commands on a register on a PostgreSQL server, named by its URL (the server from
// the PG* variables): the database is made when missing, a register in it is never replaced.
class TestToolsOnServer : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (!TestServer::active())
            QSKIP("the server run makes its registers on a server");
    }

    void registersAreMadeAndChecked_data() {
        QTest::addColumn<QStringList>("args"); // the command, then its options after the URL
        QTest::addColumn<int>("contracts");
        QTest::addColumn<int>("operators");
        QTest::newRow("init") << QStringList{QStringLiteral("init")} << 0 << 1;
        QTest::newRow("demo") << QStringList{QStringLiteral("demo")} << 200 << 3;
        QTest::newRow("bench") << QStringList{QStringLiteral("bench"),
                                              QStringLiteral("--contracts"), QStringLiteral("30"),
                                              QStringLiteral("--instalments"), QStringLiteral("90")}
                               << 30 << 3;
    }
    void registersAreMadeAndChecked() {
        QFETCH(QStringList, args);
        QFETCH(int, contracts);
        QFETCH(int, operators);
        const QString url = freshUrl();
        QStringList made = args;
        made.insert(1, url);
        const Run run = tool(made);
        QVERIFY2(run.code == 0, qPrintable(run.err));
        QVERIFY2(run.out.contains(QStringLiteral("%1 contracts").arg(contracts)),
                 qPrintable(run.out));
        QCOMPARE(tool({QStringLiteral("check"), url}).out, QStringLiteral("ok\n"));
        {
            TDMod dm(url);
            dm.openAll();
            QCOMPARE(dm.TBCompacter->recordCount(), contracts);
            QCOMPARE(dm.TBOperator->recordCount(), operators);
            QCOMPARE(dm.TBCompactType->recordCount(), 11);
            if (contracts > 0) { // the keys go on after those the loader wrote
                Dataset* c = dm.TBCompacter;
                c->append();
                c->fieldByName(QStringLiteral("合同编号"))->setValue(QStringLiteral("NEW-1"));
                QVERIFY(c->post());
                QCOMPARE(scalar(dm, QStringLiteral("SELECT count(*) FROM Compact")), contracts + 1);
            }
        }

        // every creating command leaves the register there as it is
        for (const char* command : {"init", "demo"}) {
            const Run again = tool({QString::fromLatin1(command), url});
            QVERIFY(again.code != 0);
            QVERIFY(!again.err.isEmpty());
        }
        TDMod dm(url);
        QCOMPARE(scalar(dm, QStringLiteral("SELECT count(*) FROM Compact")),
                 contracts + (contracts > 0 ? 1 : 0));
        TestServer::drop(url);
    }

    // A check names what is wrong, never prints "ok", and makes nothing.
    void checkRefusesWhatIsNoRegister() {
        const QString missing = freshUrl();
        const QString unreachable = QStringLiteral("postgresql://localhost:1/qintara");
        for (const QString& url : {missing, unreachable}) {
            const Run run = tool({QStringLiteral("check"), url});
            QCOMPARE(run.code, 1);
            QCOMPARE(run.out, QString());
            QVERIFY2(run.err.startsWith(QStringLiteral("qintara-db: ")), qPrintable(run.err));
        }
        // the second check still finds no database: the first made none
        QVERIFY(tool({QStringLiteral("check"), missing})
                    .err.endsWith(QStringLiteral("服务器上没有这个数据库\n")));
        QVERIFY(tool({QStringLiteral("check"), unreachable})
                    .err.contains(QStringLiteral("无法连接数据库服务器 localhost:1/qintara：")));
    }

private:
    static QString freshUrl() {
        static int counter = 0;
        return QStringLiteral("postgresql:///qintara_tool_%1_%2")
            .arg(QCoreApplication::applicationPid())
            .arg(++counter);
    }
};
QINTARA_TEST(TestToolsOnServer)
#include "tst_tools.moc"

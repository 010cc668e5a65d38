// The register on a PostgreSQL server, in the throwaway cluster bench/run starts: the same
// register loaded into it, the contract list against psql copying the same columns, the main
// window's save and list tab, one operator's save as a second operator's list shows it, and
// eight operator processes saving the same contracts at once.
#include "benchgroups.h"
#include "benchprogram.h"
#include "benchutil.h"
#include "data/database.h"
#include "data/schema.h"
#include "data/serverschema.h"
#include "data/tdmod.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <QStandardPaths>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <random>

namespace Bench {

namespace {

const QString Name = QStringLiteral("qintara_bench");
const QString Url = QStringLiteral("postgresql:///qintara_bench");

// The contract list's own columns (the texts are read one contract at a time).
const QString ListColumns = QStringLiteral(
    "CompactID, 合同编号, 合同名称, 合同金额, 签订日期, 收付类型, 所属部门, 责任人, 合同类型, "
    "SCNum, 录入, 修改, 开始日期, 截止日期, 录入日期, 执行情况, 文件位置");

// Contracts the savers share, and what each does.
constexpr int SharedContracts = 40;
constexpr int Savers = 8;
constexpr int SavesEach = 200;
constexpr int LatencySamples = 50;

[[noreturn]] void fail(const QString& what) {
    note(what);
    std::exit(1);
}

QString tool(const char* name) {
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (path.isEmpty())
        fail(QStringLiteral("%1 is missing (package postgresql-client-15)").arg(name));
    return path;
}

void finish(QProcess& p, const QString& what) {
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        fail(
            QStringLiteral("%1 failed: %2").arg(what, QString::fromUtf8(p.readAllStandardError())));
}

QStringList columnsOf(QSqlDatabase db, const QString& table) {
    QStringList names;
    const QSqlRecord r = db.record(table.toLower() == table ? table : table.toLower());
    for (int i = 0; i < r.count(); ++i)
        names << r.fieldName(i).toLower();
    return names;
}

// One table from the register file into the server, as sqlite3 writes it and psql reads it.
void copyTable(const Context& ctx, Database& server, const QString& table) {
    QSqlDatabase file = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("f"));
    file.setDatabaseName(ctx.db);
    file.open();
    QStringList columns;
    const QStringList onServer = columnsOf(server.connection(), table.toLower());
    for (const QString& c : columnsOf(file, table))
        if (onServer.contains(c))
            columns << c;
    file.close();
    file = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("f"));
    if (columns.isEmpty())
        return; // a table the file lacks
    QProcess reader, writer;
    reader.setStandardOutputProcess(&writer);
    reader.start(ctx.sqlite3, {QStringLiteral("-batch"), QStringLiteral("-csv"), ctx.db,
                               QStringLiteral("SELECT %1 FROM %2").arg(columns.join(u','), table)});
    writer.start(tool("psql"), {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-d"),
                                Name, QStringLiteral("-c"),
                                // a load announces no row to other operators
                                QStringLiteral("SET qintara.quiet = on"), QStringLiteral("-c"),
                                QStringLiteral("\\copy %1 (%2) FROM STDIN WITH (FORMAT csv)")
                                    .arg(table, columns.join(u','))});
    finish(reader, QStringLiteral("sqlite3 reading %1").arg(table));
    finish(writer, QStringLiteral("psql loading %1").arg(table));
}

// Statements PostgreSQL does not prepare (TRUNCATE, VACUUM) run as they are.
void exec(Database& db, const QString& sql) {
    QSqlQuery q(db.connection());
    if (!q.exec(sql))
        Database::raise(q.lastError());
}

// The cached register, loaded into an empty register on the server.
void load(const Context& ctx) {
    QElapsedTimer t;
    t.start();
    Database db;
    db.create(Url);
    exec(db, QStringLiteral("TRUNCATE Operator, CompactType"));
    Schema::dropTextIndex(db.connection()); // built once after the load: faster
    for (const char* table : {"server", "Department", "Operator", "CompactType", "StampTax",
                              "Compact", "AccountReceive", "AccountPayable"})
        copyTable(ctx, db, QString::fromLatin1(table));
    if (!Schema::addTextIndex(db.connection()))
        fail(QStringLiteral("the text index was not built"));
    ServerSchema::resyncIdentities(db.connection());
    exec(db, QStringLiteral("VACUUM ANALYZE"));
    note(QStringLiteral("register loaded into the server in %1 s").arg(t.elapsed() / 1000.0));
}

double psqlCopy() {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    QElapsedTimer t;
    t.start();
    p.start(tool("psql"),
            {QStringLiteral("-X"), QStringLiteral("-q"), QStringLiteral("-d"), Name,
             QStringLiteral("-c"),
             QStringLiteral("COPY (SELECT %1 FROM Compact) TO STDOUT").arg(ListColumns)});
    finish(p, QStringLiteral("psql"));
    return double(t.nsecsElapsed()) / 1e9;
}

// The contract list opened again and every row's derived fields read, as the data group does.
void openContracts() {
    TDMod dm(Url);
    dm.openAll();
    Dataset* c = dm.TBCompacter;
    const Field* derived[] = {c->fieldByName(QStringLiteral("往来单位")),
                              c->fieldByName(QStringLiteral("印花税率")),
                              c->fieldByName(QStringLiteral("印花税"))};
    std::vector<double> cli, open;
    double checksum = 0;
    for (int i = 0; i < Repeats; ++i) {
        cli.push_back(psqlCopy());
        c->close();
        open.push_back(seconds([&] {
            c->open();
            for (int row = 0; row < c->recordCount(); ++row)
                for (const Field* f : derived)
                    checksum += c->valueAt(row, f).toString().size();
        }));
    }
    note(QStringLiteral("%1 contracts on the server; checksum %2")
             .arg(c->recordCount())
             .arg(checksum));
    const double psql = best("pg_psql_copy_s", cli);
    const double list = best("pg_open_contracts_s", open);
    print("pg_psql_copy_s", psql, 3);
    print("pg_open_contracts_s", list, 3);
    print("pg_open_contracts_ratio", list / psql, 2);
}

void session(const Context& ctx) {
    ProgramRoot root(ctx.db, ProgramRoot::Register::Linked);
    useRoot(root.path());
    Paths::setRegisterAddress(Url);
    const SessionSamples s = driveSession({}, false);
    Paths::setRegisterAddress({});
    print("pg_save_ready_s", best("pg_save_ready_s", s.saveReady), 3);
    print("pg_tab_all_s", best("pg_tab_all_s", s.allTab), 3);
}

// One operator renames a contract; the time until the other operator's list shows the name.
void notifyLatency() {
    TDMod saver(Url), viewer(Url);
    saver.openAll();
    viewer.openAll();
    Dataset* mine = saver.TBCompacter;
    Dataset* theirs = viewer.TBCompacter;
    const Field* name = theirs->fieldByName(QStringLiteral("合同名称"));
    mine->setRecNo(mine->recordCount() / 3);
    const QVariant id = mine->value(QStringLiteral("CompactID"));
    int row = -1;
    const Field* key = theirs->fieldByName(QStringLiteral("CompactID"));
    for (int r = 0; r < theirs->recordCount() && row < 0; ++r)
        if (theirs->valueAt(r, key) == id)
            row = r;
    const QString original = mine->value(QStringLiteral("合同名称")).toString();
    std::vector<double> ms;
    for (int i = 0; i < LatencySamples; ++i) {
        const QString text = QStringLiteral("%1-%2").arg(original.left(40)).arg(i);
        QElapsedTimer t;
        t.start();
        mine->edit();
        mine->fieldByName(QStringLiteral("合同名称"))->setValue(text);
        if (!mine->post())
            fail(QStringLiteral("the save was refused"));
        while (theirs->valueAt(row, name).toString() != text) {
            if (t.elapsed() > 5000)
                fail(QStringLiteral("the other operator's list did not show the save"));
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        ms.push_back(double(t.nsecsElapsed()) / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    print("notify_latency_ms", ms[ms.size() / 2], 1);
}

// Eight savers; every acknowledged save adds one unit to a contract's amount, so the amount
// tells whether any acknowledged save was lost.
void concurrentSaves(const Context& ctx) {
    Database db;
    db.open(Url);
    std::map<qlonglong, qlonglong> before;
    QSqlQuery q = db.prepare(QStringLiteral("SELECT CompactID, coalesce(合同金额, 0) FROM Compact "
                                            "ORDER BY CompactID LIMIT %1")
                                 .arg(SharedContracts));
    Database::exec(q);
    while (q.next())
        before[q.value(0).toLongLong()] = q.value(1).toLongLong();
    std::vector<std::unique_ptr<QProcess>> savers;
    QElapsedTimer t;
    t.start();
    for (int i = 0; i < Savers; ++i) {
        savers.push_back(std::make_unique<QProcess>());
        savers.back()->start(QCoreApplication::applicationFilePath(),
                             {ctx.db, QStringLiteral("server-saver"), QString::number(i + 1)});
    }
    std::map<qlonglong, qlonglong> acked;
    qlonglong refused = 0, total = 0;
    for (auto& p : savers) {
        finish(*p, QStringLiteral("a saver"));
        for (const QByteArray& line : p->readAllStandardOutput().split('\n')) {
            const QList<QByteArray> w = line.split(' ');
            if (w.size() == 3 && w[0] == "acked") {
                acked[w[1].toLongLong()] += w[2].toLongLong();
                total += w[2].toLongLong();
            } else if (w.size() == 2 && w[0] == "refused") {
                refused += w[1].toLongLong();
            }
        }
    }
    const double wall = double(t.nsecsElapsed()) / 1e9;
    q = db.prepare(QStringLiteral("SELECT CompactID, coalesce(合同金额, 0) FROM Compact "
                                  "ORDER BY CompactID LIMIT %1")
                       .arg(SharedContracts));
    Database::exec(q);
    qlonglong lost = 0;
    while (q.next()) {
        const qlonglong id = q.value(0).toLongLong();
        lost += std::llabs(q.value(1).toLongLong() - before[id] - acked[id]);
    }
    note(QStringLiteral("%1 saves acknowledged, %2 refused as conflicts").arg(total).arg(refused));
    if (total + refused != qlonglong(Savers) * SavesEach)
        fail(QStringLiteral("saves neither acknowledged nor refused"));
    std::printf("lost_updates: %lld\n", lost);
    print("saves_per_s", double(total) / wall, 1);
}

} // namespace

// One operator process of concurrentSaves: random saves on the shared contracts through the
// program's own checked update; a refused save is counted, the row read again.
void runServerSaver(int seed) {
    Database db;
    db.open(Url);
    Dataset ds(db, QStringLiteral("saver"));
    ds.setTable(QStringLiteral("Compact"), QStringLiteral("CompactID"));
    FieldDef key, money;
    key.name = QStringLiteral("CompactID");
    key.type = FieldType::AutoInc;
    key.readOnly = true;
    money.name = QStringLiteral("合同金额");
    money.type = FieldType::Currency;
    ds.addField(key);
    ds.addField(money);
    ds.open();
    std::mt19937 random(seed);
    std::map<qlonglong, qlonglong> acked;
    int refused = 0;
    Field* amount = ds.fieldByName(QStringLiteral("合同金额"));
    for (int i = 0; i < SavesEach; ++i) {
        // the first contracts in key order, shared by every saver
        ds.setRecNo(1 + int(random() % unsigned(std::min(ds.recordCount(), SharedContracts))));
        const qlonglong id = ds.value(QStringLiteral("CompactID")).toLongLong();
        ds.edit();
        amount->setValue(
            QVariant::fromValue(Currency::fromUnits(amount->asCurrency().units() + 1)));
        try {
            ds.post();
            ++acked[id];
        } catch (const DataError& e) {
            if (e.category() != DataError::Category::Conflict)
                fail(QStringLiteral("a save failed: %1").arg(e.text()));
            ++refused;
            ds.cancel();
            ds.refresh();
        }
    }
    for (const auto& [id, n] : acked)
        std::printf("acked %lld %lld\n", id, n);
    std::printf("refused %d\n", refused);
}

void runServerGroup(const Context& ctx) {
    if (qEnvironmentVariableIsEmpty("PGHOST") && qEnvironmentVariableIsEmpty("PGPORT"))
        fail(QStringLiteral("no server: bench/run starts the group under pg_virtualenv"));
    load(ctx);
    openContracts();
    session(ctx);
    notifyLatency();
    concurrentSaves(ctx);
}

} // namespace Bench

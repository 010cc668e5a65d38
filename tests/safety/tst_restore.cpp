#include "common/damagedregister.h"
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "data/registerrestore.h"
#include "data/tdmod.h"
#include "platform/clock.h"
#include "safety/thfu.h"
#include "safetyfixture.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"

#include <QDir>
#include <QFile>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QRandomGenerator>
#include <QSqlError>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>

Q_DECLARE_METATYPE(RegisterRestore::Step)

namespace {

const QString Failed = QStringLiteral("您所恢复的数据库有误，恢复失败！");
// the running program's hold on its register
const QString Lock = QStringLiteral("Hestrel.mdb.lock");
const QStringList Before{"HT-002", "HT-003", "HT-009"};   // the live register, changed
const QStringList Restored{"HT-001", "HT-002", "HT-003"}; // the backup

using Step = RegisterRestore::Step;

const auto column = &SafetyFixture::column;

QStringList contractsShown(SafetyFixture& f) {
    return f.contractsShown();
}

// A backup of HT-001..HT-003 made through the window, then the live register changes: HT-001
// goes, HT-009 and the operator 赵六 come; the data module reads it all again.
void backupThenChange(SafetyFixture& f) {
    f.addContracts();
    QVERIFY(f.start());
    f.backupNow();
    QCOMPARE(f.dialogs().count(), 1);
    f.dialogs().clear();
    f.exec(QStringLiteral("DELETE FROM Compact WHERE 合同编号 = 'HT-001'"));
    f.addContract(QStringLiteral("HT-009"));
    f.addOperator(QStringLiteral("赵六"), {}, {});
    f.dm().TBCompacter->refresh();
    f.loginDialog().TBLogin->close(); // as the operators window leaves it
    f.loginDialog().TBLogin->open();
    QCOMPARE(contractsShown(f), Before);
}

// Picks a file in the restore window's current folder and presses 确认恢复; whether the window
// is still open afterwards.
bool restore(SafetyFixture& f, const QString& file, const QString& folder = {}) {
    return f.restoreFile(file, folder);
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

using DamagedRegister::onItsOwn;
using DamagedRegister::run;

int countIn(const QString& path, const QString& sql) {
    int n = -1;
    onItsOwn(path, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (q.exec(sql) && q.next())
            n = q.value(0).toInt();
    });
    return n;
}

// A register as an earlier version left it: no covering index for the list, and views that
// read the contracts' rows instead.
void withoutListIndex(const QString& path) {
    QStringList statements;
    onItsOwn(path, [&statements](QSqlDatabase& db) {
        QSqlQuery q(db);
        q.exec(QStringLiteral("SELECT name, sql FROM sqlite_master WHERE type = 'view' AND sql "
                              "LIKE '%Compact_List%'"));
        while (q.next())
            statements << QStringLiteral("DROP VIEW \"%1\"").arg(q.value(0).toString())
                       << q.value(1).toString().remove(QStringLiteral(" INDEXED BY Compact_List"));
    });
    QCOMPARE(statements.size(), 8);
    run(path, statements << QStringLiteral("DROP INDEX Compact_List"));
}

// Enough contracts for a table of many pages, then the table's first page overwritten: the
// file still opens and names its tables, but quick_check finds the damage.
void damage(const QString& path) {
    QStringList fill;
    for (int i = 0; i < 300; ++i)
        fill << QStringLiteral("INSERT INTO Compact (合同编号, 合同内容) VALUES ('X%1', '%2')")
                    .arg(i)
                    .arg(QString(2000, QLatin1Char('y')));
    run(path, fill);
    int root = 0, pageSize = 0;
    {
        Database db;
        db.open(path);
        QSqlQuery q = db.prepare(
            QStringLiteral("SELECT rootpage, (SELECT page_size FROM pragma_page_size) FROM "
                           "sqlite_master WHERE name = 'Compact'"));
        Database::exec(q);
        QVERIFY(q.next());
        root = q.value(0).toInt();
        pageSize = q.value(1).toInt();
    }
    QVERIFY(root > 1);
    QFile f(path);
    QVERIFY(f.open(QIODevice::ReadWrite));
    QVERIFY(f.seek(qint64(root - 1) * pageSize));
    f.write(QByteArray(pageSize, '\x5a'));
}

// A file in the backup folder that is not a usable register, by kind.
void makeBadFile(const QString& kind, const QString& path, const QString& good) {
    if (kind == QLatin1String("empty")) {
        writeFile(path, {});
    } else if (kind == QLatin1String("truncated")) {
        const QByteArray all = SafetyFixture::bytes(good);
        writeFile(path, all.left(all.size() / 3));
    } else if (kind == QLatin1String("random bytes")) {
        QByteArray noise(64 * 1024, Qt::Uninitialized);
        QRandomGenerator gen(7);
        for (char& c : noise)
            c = char(gen.bounded(256));
        writeFile(path, noise);
    } else if (kind == QLatin1String("foreign SQLite")) {
        run(path, {QStringLiteral("CREATE TABLE notes (x TEXT)")});
    } else {
        QVERIFY(QFile::copy(good, path));
        if (kind == QLatin1String("missing view"))
            run(path, {QStringLiteral("DROP VIEW 合同_印花税")});
        else if (kind == QLatin1String("missing column"))
            run(path, {QStringLiteral("ALTER TABLE Operator DROP COLUMN 付款管理")});
        else if (kind == QLatin1String("damaged pages"))
            damage(path);
        else if (kind == QLatin1String("index disagrees with table"))
            DamagedRegister::indexDisagrees(path);
        else if (kind == QLatin1String("cut short"))
            DamagedRegister::cutShort(path, 100);
        else if (kind == QLatin1String("text index damaged"))
            DamagedRegister::textIndexDamaged(path);
    }
}

// Whether SQLite's own tool finds the file whole.
QString integrityOf(const QString& path) {
    QProcess sqlite;
    sqlite.start(QStringLiteral("sqlite3"), {path, QStringLiteral("PRAGMA integrity_check;")});
    sqlite.waitForFinished();
    return QString::fromUtf8(sqlite.readAllStandardOutput()).trimmed();
}

} // namespace

class TestRestore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Clock::setNow(QDateTime(QDate(2024, 5, 6), QTime(9, 30))); }
    void cleanup() { RegisterRestore::testHook() = nullptr; }

    // A backup made earlier comes back: the lists show it sorted by number, the operators come
    // from it, nothing is left beside the register, and later work lands in the restored file.
    void restoreBringsBackupBack_data() {
        QTest::addColumn<bool>("searchUsed");
        QTest::newRow("search never used") << false;
        QTest::newRow("search used and closed") << true;
    }
    void restoreBringsBackupBack() {
        QFETCH(bool, searchUsed);
        SafetyFixture f;
        backupThenChange(f);
        if (searchUsed) { // a search, then its window closed, which empties the query
            f.dm().TBQuery->setSql(QStringLiteral("SELECT * FROM Compact"));
            f.dm().TBQuery->open();
            f.dm().TBQuery->setSql(QString());
        }
        // the receivables were read by their window, the payables never
        f.dm().readInstalments(f.dm().TBShoukuan);
        QCOMPARE(f.dm().TBShoukuan->recordCount(), 2);
        QVERIFY(!f.dm().TBFukuan->isActive());
        // left by a restore of another program stopped long ago: neither in the way nor touched
        const QString stray =
            QFileInfo(f.databasePath()).dir().filePath(QStringLiteral("Hestrel1.mdb"));
        writeFile(stray, "stray");
        QVERIFY(!restore(f, QStringLiteral("Hestrel20240506.mdb")));
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("数据已成功恢复！")));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::None);
        QCOMPARE(contractsShown(f), Restored);
        QCOMPARE(f.main().wwDBGrid1->model()->rowCount(), 3);
        QCOMPARE(f.main().panelText(3), QStringLiteral("共有  3  条记录"));
        QCOMPARE(column(f.loginDialog().TBLogin, QStringLiteral("OperatorName")),
                 QStringList(QStringLiteral("管理员")));
        QVERIFY(!f.dm().TBQuery->isActive()); // the search query is left closed
        QCOMPARE(f.dm().TBShoukuan->recordCount(), 3);
        QVERIFY(!f.dm().TBFukuan->isActive()); // read from the restored file when first needed
        QCOMPARE(f.besideRegister(), QStringList({Lock, QStringLiteral("Hestrel1.mdb")}));
        QCOMPARE(SafetyFixture::bytes(stray), QByteArray("stray"));
        QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), Restored);

        // a contract saved now is in the restored file, and there after a new start
        Dataset* c = f.dm().TBCompacter;
        c->append();
        c->fieldByName(QStringLiteral("合同编号"))->setValue(QStringLiteral("HT-010"));
        QVERIFY(c->post());
        QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), Restored + QStringList("HT-010"));
        QVERIFY(f.start());
        QCOMPARE(contractsShown(f), Restored + QStringList("HT-010"));
    }

    // On a partner tab the list shows that partner's contracts of the restored register.
    void restoreOnPartnerTab() {
        SafetyFixture f;
        f.addPartner(QStringLiteral("S01"), QStringLiteral("北方钢铁"), false, true);
        f.addContract(QStringLiteral("HT-001"), QStringLiteral("S01"));
        f.addContract(QStringLiteral("HT-002"));
        QVERIFY(f.start());
        f.backupNow();
        f.dialogs().clear();
        f.addContract(QStringLiteral("HT-003"), QStringLiteral("S01"));
        f.main().PageControl1->setCurrentIndex(1);
        QCOMPARE(contractsShown(f), QStringList({"HT-001", "HT-003"}));
        restore(f, QStringLiteral("Hestrel20240506.mdb"));
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("数据已成功恢复！")));
        QCOMPARE(contractsShown(f), QStringList(QStringLiteral("HT-001")));
        QCOMPARE(f.main().panelText(3), QStringLiteral("共有  1  条记录"));
    }

    // A backup made by an earlier version comes back with what opening at start would add: the
    // list's index and the instalment views that use it.
    void restoreUpgradesAnOlderBackup() {
        SafetyFixture f;
        f.addContracts();
        QVERIFY(f.start());
        f.backupNow();
        f.dialogs().clear();
        const QString backup =
            SafetyFixture::real(QStringLiteral("D:\\ZanbookBack\\Hestrel20240506.mdb"));
        withoutListIndex(backup);
        restore(f, QStringLiteral("Hestrel20240506.mdb"));
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("数据已成功恢复！")));
        QCOMPARE(countIn(f.databasePath(), QStringLiteral("SELECT count(*) FROM sqlite_master "
                                                          "WHERE name = 'Compact_List'")),
                 1);
        QCOMPARE(countIn(f.databasePath(),
                         QStringLiteral("SELECT count(*) FROM sqlite_master WHERE type = 'view' "
                                        "AND sql LIKE '%INDEXED BY Compact_List%'")),
                 4);
        f.dm().readInstalments(f.dm().TBShoukuan);
        QCOMPARE(f.dm().TBShoukuan->recordCount(), 3);
    }

    void successHidesTheWindowFirst() {
        SafetyFixture f;
        backupThenChange(f);
        struct Probe : Dialogs::Backend {
            Dialogs::Backend* inner;
            QList<bool> visible;
            Dialogs::Button show(const Dialogs::Message& m) override {
                visible << app().HFu->isVisible();
                return inner->show(m);
            }
            QString openFileName(const QString&, const QString&, const QString&) override {
                return {};
            }
        } probe;
        probe.inner = &f.dialogs();
        Dialogs::ScopedBackend scope(&probe);
        restore(f, QStringLiteral("Hestrel20240506.mdb"));
        QCOMPARE(probe.visible, QList<bool>({false}));
    }

    void noFileSelected() {
        SafetyFixture f;
        backupThenChange(f);
        const QByteArray live = SafetyFixture::bytes(f.databasePath());
        QWidget* focused = nullptr;
        bool open = false;
        f.inRestore([&](QDialog* window) {
            auto* w = qobject_cast<THFu*>(window);
            QCOMPARE(SafetyFixture::names(w->FileListBox1),
                     QStringList(QStringLiteral("Hestrel20240506.mdb")));
            QVERIFY(w->FileListBox1->selectedItems().isEmpty());
            w->Button1->setFocus();
            SafetyFixture::press(w);
            focused = w->focusWidget();
            open = w->isVisible();
        });
        QVERIFY(open);
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("请选择您想要恢复的备份文件!")));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("信息提示"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::None);
        QCOMPARE(focused, static_cast<QWidget*>(app().HFu->FileListBox1));
        QCOMPARE(SafetyFixture::bytes(f.databasePath()), live);
        QCOMPARE(contractsShown(f), Before);
    }

    // Only a click on 确认恢复 replaces the register: Enter, in the file list or on the button,
    // leaves it as it was, with the window open and nothing asked.
    void enterRestoresNothing() {
        SafetyFixture f;
        backupThenChange(f);
        const QByteArray live = SafetyFixture::bytes(f.databasePath());
        bool open = false;
        f.inRestore([&](QDialog* window) {
            auto* w = qobject_cast<THFu*>(window);
            SafetyFixture::clickFile(w->FileListBox1, QStringLiteral("Hestrel20240506.mdb"));
            QTest::keyClick(w->FileListBox1, Qt::Key_Return);
            w->Button1->setFocus();
            QTest::keyClick(w->Button1, Qt::Key_Return);
            QTest::keyClick(w->Button1, Qt::Key_Enter);
            open = w->isVisible();
        });
        QVERIFY(open);
        QVERIFY(f.dialogs().texts().isEmpty());
        QCOMPARE(SafetyFixture::bytes(f.databasePath()), live);
        QCOMPARE(contractsShown(f), Before);
    }

    // Files that are no usable register are refused before the live register is touched: it
    // stays open, byte for byte as it was, and the picked file is not changed either.
    void badFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason");
        const QString incomplete = QStringLiteral("文件不完整（大小与页数不符）");
        const QString damaged = QStringLiteral("文件已损坏");
        const QList<std::pair<const char*, QString>> rows{
            {"empty", QStringLiteral("文件是空的")},
            {"truncated", incomplete},
            {"random bytes", QStringLiteral("不是数据库文件")},
            {"foreign SQLite", QStringLiteral("不是合同数据库（缺少 Compact）")},
            {"missing view", QStringLiteral("不是合同数据库（缺少 合同_印花税）")},
            {"missing column", QStringLiteral("不是合同数据库（Operator 缺少列 付款管理）")},
            {"damaged pages", damaged},
            {"index disagrees with table", damaged},
            {"cut short", incomplete},
            {"text index damaged", QStringLiteral("合同内容的全文索引已损坏")},
            {"live file", QStringLiteral("所选文件就是正在使用的数据库")}};
        for (const auto& [kind, reason] : rows)
            QTest::newRow(kind) << QString::fromUtf8(kind) << reason;
    }
    void badFiles() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        SafetyFixture f;
        f.addContracts();
        QTemporaryDir spare;
        const QString good = spare.filePath(QStringLiteral("good.mdb"));
        QVERIFY(QFile::copy(f.databasePath(), good));
        const QString bad = SafetyFixture::real(QStringLiteral("D:\\ZanbookBack\\坏.mdb"));
        QVERIFY(QDir().mkpath(QFileInfo(bad).path()));
        if (kind != QLatin1String("live file"))
            makeBadFile(kind, bad, good);
        QVERIFY(f.start());
        const QByteArray live = SafetyFixture::bytes(f.databasePath());
        const QByteArray picked = SafetyFixture::bytes(bad);
        QList<Step> reached;
        RegisterRestore::testHook() = [&reached](Step at) { reached << at; };
        const bool open =
            kind == QLatin1String("live file")
                ? restore(f, QStringLiteral("Hestrel.mdb"), QStringLiteral("C:\\Zanbook"))
                : restore(f, QStringLiteral("坏.mdb"));
        QVERIFY(open);
        QCOMPARE(f.dialogs().texts(), QStringList(Failed + QStringLiteral("\r\n") + reason));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("错误警示"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::None);
        QCOMPARE(f.dialogs().last().buttons, Dialogs::Buttons(Dialogs::Button::Ok));
        // refused before the connection was closed
        QVERIFY(!reached.contains(Step::Closed));
        QCOMPARE(SafetyFixture::bytes(f.databasePath()), live);
        QCOMPARE(SafetyFixture::bytes(bad), picked);
        QCOMPARE(f.besideRegister(), QStringList(Lock));
        QVERIFY(f.dm().database().isOpen());
        QCOMPARE(contractsShown(f), Restored);
        QVERIFY(f.loginDialog().CheckOperatorRight(QStringLiteral("数据恢复")));
    }

    // A failure at any step: the previous register is back in place and open.
    void failureAtEachStep_data() {
        QTest::addColumn<Step>("step");
        QTest::newRow("copied") << Step::Copied;
        QTest::newRow("checked") << Step::Checked;
        QTest::newRow("closed") << Step::Closed;
        QTest::newRow("set aside") << Step::SetAside;
        QTest::newRow("swapped") << Step::Swapped;
        QTest::newRow("reopened") << Step::Reopened;
    }
    void failureAtEachStep() {
        QFETCH(Step, step);
        SafetyFixture f;
        backupThenChange(f);
        RegisterRestore::testHook() = [step](Step at) {
            if (at == step)
                throw DurableFile::FileError(QStringLiteral("/x"), QStringLiteral("模拟故障"));
        };
        QVERIFY(restore(f, QStringLiteral("Hestrel20240506.mdb")));
        QCOMPARE(f.dialogs().count(), 1);
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("错误警示"));
        QVERIFY(f.dialogs().last().text.startsWith(QStringLiteral("恢复失败，原数据库未作改动。")));
        QVERIFY(f.dialogs().last().text.endsWith(QStringLiteral("模拟故障")));
        QCOMPARE(contractsShown(f), Before);
        QCOMPARE(column(f.loginDialog().TBLogin, QStringLiteral("OperatorName")),
                 QStringList({"管理员", "赵六"}));
        QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), Before);
        QCOMPARE(f.besideRegister(), QStringList(Lock));
    }

    // The program stopped at any point of a restore: the next start opens the previous
    // register or the restored one, whole, and nothing of the restore is left.
    // The start says what it found and did, unless the restore had finished.
    void stoppedAtEachStep_data() {
        QTest::addColumn<Step>("step");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QString>("told");
        const QString untouched = QStringLiteral("上次的数据恢复被中断，数据库未作改动：\r\n"
                                                 "所选的备份数据没有恢复。");
        const QString putBack = QStringLiteral("上次的数据恢复被中断，原来的数据库已放回：\r\n"
                                               "所选的备份数据没有恢复。");
        const QString restored = QStringLiteral("上次的数据恢复在最后几步被中断，恢复已经完成：\r\n"
                                                "数据库现为所恢复的备份数据。");
        QTest::newRow("copied") << Step::Copied << Before << untouched;
        QTest::newRow("checked") << Step::Checked << Before << untouched;
        QTest::newRow("closed") << Step::Closed << Before << untouched;
        QTest::newRow("set aside") << Step::SetAside << Before << putBack;
        QTest::newRow("swapped") << Step::Swapped << Restored << restored;
        QTest::newRow("reopened") << Step::Reopened << Restored << restored;
        QTest::newRow("finished") << Step::Finished << Restored << QString();
    }
    void stoppedAtEachStep() {
        QFETCH(Step, step);
        QFETCH(QStringList, opened);
        QFETCH(QString, told);
        SafetyFixture f;
        backupThenChange(f);
        const QDir folder(QFileInfo(f.databasePath()).path());
        QTemporaryDir disk; // the register's folder as the disk held it at that point
        RegisterRestore::testHook() = [&](Step at) {
            if (at != step)
                return;
            // the lock of a program that was stopped names a process that is gone: it is
            // taken over (TestRegisterLock), so the next start here needs none of it
            for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
                if (name != Lock)
                    QVERIFY(QFile::copy(folder.filePath(name), disk.filePath(name)));
        };
        restore(f, QStringLiteral("Hestrel20240506.mdb"));
        RegisterRestore::testHook() = nullptr;
        f.stop();
        for (const QString& name : folder.entryList(QDir::Files | QDir::Hidden))
            QVERIFY(QFile::remove(folder.filePath(name)));
        for (const QString& name : QDir(disk.path()).entryList(QDir::Files | QDir::Hidden))
            QVERIFY(QFile::copy(QDir(disk.path()).filePath(name), folder.filePath(name)));

        f.dialogs().clear();
        QVERIFY(f.start());
        QCOMPARE(f.dialogs().texts(), told.isEmpty() ? QStringList() : QStringList(told));
        if (!told.isEmpty()) {
            QCOMPARE(f.dialogs().last().caption, QStringLiteral("数据恢复"));
            QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::Information);
        }
        QCOMPARE(contractsShown(f), opened);
        QCOMPARE(f.besideRegister(), QStringList(Lock));
        QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), opened);
    }

    // A backup with the rollback journal of a write that never finished comes back as it was
    // committed; one with a write-ahead log comes back with the changes still in the log. The
    // picked file and its side file stay as they were, nothing is left beside the register.
    void backupWithSideFile_data() {
        QTest::addColumn<QString>("side");
        QTest::newRow("interrupted write") << QStringLiteral("-journal");
        QTest::newRow("write-ahead log") << QStringLiteral("-wal");
    }
    void backupWithSideFile() {
        QFETCH(QString, side);
        SafetyFixture f;
        f.addContracts();
        QTemporaryDir spare;
        const QString good = spare.filePath(QStringLiteral("good.mdb"));
        QVERIFY(QFile::copy(f.databasePath(), good));
        const QString picked = SafetyFixture::real(QStringLiteral("D:\\ZanbookBack\\旧.mdb"));
        QVERIFY(QDir().mkpath(QFileInfo(picked).path()));
        QStringList committed = Restored;
        if (side == QLatin1String("-journal")) {
            DamagedRegister::withInterruptedWrite(good, picked);
            for (int i = 0; i < 200; ++i)
                committed << QStringLiteral("X%1").arg(i, 3, 10, QLatin1Char('0'));
        } else {
            DamagedRegister::withLog(good, picked, QStringLiteral("HT-007"));
            committed << QStringLiteral("HT-007");
        }
        committed.sort();
        const QByteArray pickedBytes = SafetyFixture::bytes(picked);
        const QByteArray sideBytes = SafetyFixture::bytes(picked + side);
        QVERIFY(!sideBytes.isEmpty());
        QVERIFY(f.start());
        QVERIFY(!restore(f, QStringLiteral("旧.mdb")));
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("数据已成功恢复！")));
        QCOMPARE(contractsShown(f), committed);
        QCOMPARE(f.besideRegister(), QStringList(Lock));
        QCOMPARE(SafetyFixture::bytes(picked), pickedBytes);
        QCOMPARE(SafetyFixture::bytes(picked + side), sideBytes);
        f.stop();
        QCOMPARE(integrityOf(f.databasePath()), QStringLiteral("ok"));
        QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), committed);
    }

    // A name with a backslash is one name: that file comes back, not one in a folder.
    void nameWithBackslash() {
        SafetyFixture f;
        f.addContracts();
        QVERIFY(f.start());
        f.backupNow(); // HT-001..HT-003
        f.dialogs().clear();
        const QString folder = SafetyFixture::real(QStringLiteral("D:\\ZanbookBack"));
        QVERIFY(QDir(folder).mkdir(QStringLiteral("a")));
        QVERIFY(QFile::copy(folder + QStringLiteral("/Hestrel20240506.mdb"),
                            folder + QStringLiteral("/a/b.mdb")));
        const QString named = folder + QStringLiteral("/a\\b.mdb");
        QVERIFY(QFile::copy(folder + QStringLiteral("/Hestrel20240506.mdb"), named));
        DamagedRegister::run(named,
                             {QStringLiteral("DELETE FROM Compact WHERE 合同编号 <> 'HT-002'")});
        QVERIFY(!restore(f, QStringLiteral("a\\b.mdb")));
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("数据已成功恢复！")));
        QCOMPARE(contractsShown(f), QStringList(QStringLiteral("HT-002")));
    }

    // What SQLite keeps beside the closed register would pair with the restored file: a log
    // index goes with the swap, a log that still holds data refuses the restore.
    void liveSideFiles_data() {
        QTest::addColumn<QString>("side");
        QTest::addColumn<bool>("restores");
        QTest::newRow("log index") << QStringLiteral("-shm") << true;
        QTest::newRow("log with data") << QStringLiteral("-wal") << false;
        QTest::newRow("journal with data") << QStringLiteral("-journal") << false;
    }
    void liveSideFiles() {
        QFETCH(QString, side);
        QFETCH(bool, restores);
        SafetyFixture f;
        backupThenChange(f);
        writeFile(f.databasePath() + side, QByteArray(4096, 'j'));
        const bool open = restore(f, QStringLiteral("Hestrel20240506.mdb"));
        // what the window said, should it stay open (or close) against the expectation
        QVERIFY2(open == !restores, qPrintable(f.dialogs().texts().join(u'|')));
        if (restores) {
            QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("数据已成功恢复！")));
            QCOMPARE(contractsShown(f), Restored);
            QCOMPARE(f.besideRegister(), QStringList(Lock));
        } else {
            QCOMPARE(
                f.dialogs().texts(),
                QStringList(Failed + QStringLiteral("\r\n正在使用的数据库还有未写完的日志文件，"
                                                    "请重新启动程序后再试")));
            QCOMPARE(contractsShown(f), Before);
            QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), Before);
        }
    }
};

QINTARA_FILE_TEST(TestRestore)
#include "tst_restore.moc"

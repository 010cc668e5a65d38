// One program per register: a second start on the same register while the first runs is told
// so and touches nothing; a lock left by a program that has ended is taken over.
#include "common/testregistry.h"
#include "data/registerlock.h"
#include "data/registerrestore.h"
#include "safetyfixture.h"

#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QSysInfo>
#include <QTest>
#include <unistd.h>

namespace {

QString heldBy(const QString& host, qint64 pid) {
    return QStringLiteral("数据库 C:\\Zanbook\\Hestrel.mdb 正由另一个合同管理程序使用（计算机 %1，"
                          "进程 %2）。\r\n同一个数据库只能由一个程序打开，请先关闭那个程序。")
        .arg(host)
        .arg(pid);
}

void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    QCOMPARE(f.write(data), data.size());
}

} // namespace

class TestRegisterLock : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The lock file as another program wrote it. While that program runs (here or on another
    // machine) the start stops before anything touches the register, also the files of a
    // restore that program has under way; once it has ended, the start takes the lock over.
    void anotherProgram_data() {
        QTest::addColumn<QString>("other");
        QTest::addColumn<bool>("starts");
        QTest::newRow("running here") << "running" << false;
        QTest::newRow("on another machine") << "elsewhere" << false;
        QTest::newRow("ended") << "ended" << true;
        QTest::newRow("written half-way") << "half" << true;
    }
    void anotherProgram() {
        QFETCH(QString, other);
        QFETCH(bool, starts);
        SafetyFixture f;
        f.addContracts();
        QProcess program; // stands for the other program
        program.start(QStringLiteral("sleep"), {QStringLiteral("600")});
        QVERIFY(program.waitForStarted());
        QByteArray lock = RegisterLock::identity(program.processId());
        QString host = QSysInfo::machineHostName();
        qint64 pid = program.processId();
        if (other == QLatin1String("elsewhere")) {
            lock = "host=elsewhere\nboot=b\npid=4242\nstart=17\n";
            host = QStringLiteral("elsewhere");
            pid = 4242;
        } else if (other == QLatin1String("half")) {
            lock = "host=";
        }
        if (other != QLatin1String("running")) {
            program.kill();
            program.waitForFinished();
        }
        const QString lockFile = RegisterLock::lockName(f.databasePath());
        writeFile(lockFile, lock);
        const QString incoming =
            RegisterRestore::incomingName(f.databasePath(), QStringLiteral("t"));
        QVERIFY(QFile::copy(f.databasePath(), incoming));

        QCOMPARE(f.start(), starts);
        if (starts) {
            QCOMPARE(SafetyFixture::bytes(lockFile), RegisterLock::identity(::getpid()));
            QVERIFY(!QFileInfo::exists(incoming));
            f.stop();
            QVERIFY(!QFileInfo::exists(lockFile));
        } else {
            QCOMPARE(f.dialogs().texts(), QStringList(heldBy(host, pid)));
            QCOMPARE(f.dialogs().last().caption, QStringLiteral("警告"));
            QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::Warning);
            QCOMPARE(SafetyFixture::bytes(lockFile), lock);
            QVERIFY(QFileInfo::exists(incoming));
        }
        program.kill();
        program.waitForFinished();
    }

    // The lock is the program's for its whole run, whatever connections it opens, and goes
    // with its end; the next start takes it again.
    void heldForTheRun() {
        SafetyFixture f;
        QVERIFY(f.start());
        RegisterLock second;
        RegisterLock::Holder holder;
        QVERIFY(!second.acquire(f.databasePath(), &holder));
        QCOMPARE(holder.pid, qint64(::getpid()));
        QCOMPARE(holder.host, QSysInfo::machineHostName());
        f.backupNow(); // a connection of its own for the copy's check
        QVERIFY(QFileInfo::exists(RegisterLock::lockName(f.databasePath())));
        f.stop();
        QVERIFY(!QFileInfo::exists(RegisterLock::lockName(f.databasePath())));
        QVERIFY(second.acquire(f.databasePath()));
        second.release();
        QVERIFY(f.start());
    }
};

QINTARA_FILE_TEST(TestRegisterLock)
#include "tst_registerlock.moc"

#include "common/testregistry.h"
#include "data/database.h"
#include "data/registerrestore.h"

#include <QDir>
#include <QFile>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

// A register holding one contract whose number names it, or bytes that are none.
void make(const QString& path, const QString& kind) {
    if (kind == QLatin1String("junk")) {
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(10000, 'j'));
        return;
    }
    Database db;
    db.create(path);
    QSqlQuery q = db.prepare(QStringLiteral("INSERT INTO Compact (合同编号) VALUES (?)"));
    q.addBindValue(kind);
    Database::exec(q);
}

QString kindOf(const QString& path) {
    try {
        Database db;
        db.open(path);
        QSqlQuery q = db.prepare(QStringLiteral("SELECT 合同编号 FROM Compact"));
        Database::exec(q);
        return q.next() ? q.value(0).toString() : QString();
    } catch (const DataError&) {
        return QStringLiteral("junk");
    }
}

} // namespace

using Recovered = RegisterRestore::Recovered;
Q_DECLARE_METATYPE(RegisterRestore::Recovered)

// What a start finds beside the register after a restore was stopped, and what it leaves.
class TestRegisterRecover : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void recover_data() {
        QTest::addColumn<QStringList>("files"); // name=kind, oldest first
        QTest::addColumn<QString>("live");      // what the register is afterwards
        QTest::addColumn<QStringList>("left");  // every other file afterwards
        QTest::addColumn<Recovered>("outcome");
        const QString a = QStringLiteral("Hestrel.mdb.t1.aside");
        const QString b = QStringLiteral("Hestrel.mdb.t2.aside");
        const QString n = QStringLiteral("Hestrel.mdb.t1.incoming");
        QTest::newRow("nothing to do")
            << QStringList{"Hestrel.mdb=prev"} << "prev" << QStringList() << Recovered::Nothing;
        QTest::newRow("copy made, not swapped") << QStringList{"Hestrel.mdb=prev", n + "=restored"}
                                                << "prev" << QStringList() << Recovered::Untouched;
        QTest::newRow("set aside, not swapped") << QStringList{a + "=prev", n + "=restored"}
                                                << "prev" << QStringList() << Recovered::PutBack;
        QTest::newRow("swapped, not finished")
            << QStringList{a + "=prev", "Hestrel.mdb=restored"} << "restored" << QStringList()
            << Recovered::Restored;
        QTest::newRow("swapped file unusable") << QStringList{a + "=prev", "Hestrel.mdb=junk"}
                                               << "prev" << QStringList() << Recovered::PutBack;
        QTest::newRow("two set aside, the newer goes back")
            << QStringList{a + "=old", b + "=prev"} << "prev" << QStringList()
            << Recovered::PutBack;
        QTest::newRow("other files stay")
            << QStringList{"Hestrel1.mdb=junk", "Hestrel.mdb=prev", "Hestrel.mdb.bak=junk"}
            << "prev" << QStringList{"Hestrel.mdb.bak", "Hestrel1.mdb"} << Recovered::Nothing;
        QTest::newRow("copy and its log made, not swapped")
            << QStringList{"Hestrel.mdb=prev", n + "=restored", n + "-wal=junk", n + "-shm=junk"}
            << "prev" << QStringList() << Recovered::Untouched;
    }
    void recover() {
        QFETCH(QStringList, files);
        QFETCH(QString, live);
        QFETCH(QStringList, left);
        QFETCH(Recovered, outcome);
        QTemporaryDir dir;
        QDateTime stamp = QDateTime::currentDateTime().addSecs(-3600);
        for (const QString& entry : files) {
            const QString path = dir.filePath(entry.section(QLatin1Char('='), 0, 0));
            make(path, entry.section(QLatin1Char('='), 1));
            QFile f(path);
            QVERIFY(f.open(QIODevice::ReadWrite));
            QVERIFY(f.setFileTime(stamp, QFileDevice::FileModificationTime));
            stamp = stamp.addSecs(60);
        }
        const QString register_ = dir.filePath(QStringLiteral("Hestrel.mdb"));
        QCOMPARE(RegisterRestore::recover(register_), outcome);
        QCOMPARE(kindOf(register_), live);
        QStringList others = QDir(dir.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
        others.removeAll(QStringLiteral("Hestrel.mdb"));
        QCOMPARE(others, left);
    }
};

QINTARA_FILE_TEST(TestRegisterRecover)
#include "tst_registerrecover.moc"

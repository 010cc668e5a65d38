// The files kept with contracts in the register: whole round trips, the register check over
// them, registers made before they existed, and deleting a contract with its files.
#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "common/testserver.h"
#include "data/contractfiles.h"
#include "data/registercheck.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

constexpr qint64 Part = 1024 * 1024;
const QString Damaged = QStringLiteral("存入的合同文件已损坏（大小与内容不符）");

QByteArray pattern(qint64 size) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + i / 4099) & 0xff);
    return bytes;
}

// The register check, as backups and restores run it: on a copy no program has open.
QString checked(const QString& path) {
    QTemporaryDir dir;
    const QString copy = dir.filePath(QStringLiteral("copy.mdb"));
    if (!QFile::copy(path, copy))
        return QStringLiteral("(not copied)");
    return RegisterCheck::problem(copy);
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

} // namespace

class TestContractFileStore : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void roundTrip_data() {
        QTest::addColumn<qint64>("size");
        QTest::addColumn<int>("parts");
        QTest::newRow("empty") << qint64(0) << 0;
        QTest::newRow("one byte") << qint64(1) << 1;
        QTest::newRow("a part less one") << Part - 1 << 1;
        QTest::newRow("one part") << Part << 1;
        QTest::newRow("a part and one") << Part + 1 << 2;
        QTest::newRow("two and a half") << Part * 5 / 2 << 3;
    }
    void roundTrip() {
        QFETCH(qint64, size);
        QFETCH(int, parts);
        RegisterFixture f;
        const int id = f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), {},
                                     QStringLiteral("收款"));
        const qint64 file = f.addStoredFile(id, QStringLiteral("扫描.pdf"), pattern(size));
        QCOMPARE(f.count(QStringLiteral("CompactFilePart"), QStringLiteral("FileID = ?"), {file}),
                 parts);
        QCOMPARE(f.scalar(QStringLiteral("SELECT 大小 FROM CompactFile WHERE ID = ?"), {file})
                     .toLongLong(),
                 size);
        TDMod& dm = f.openModule();
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("取出.pdf"));
        ContractFiles::Store(dm.database()).extract(file, target);
        QCOMPARE(readAll(target), pattern(size));
        if (!TestServer::active()) // the check reads a register file
            QCOMPARE(checked(f.databasePath()), QString());
    }

    // Parts that no longer add up to the file are damage the check names; bytes changed in
    // place are refused when the file is taken out, and nothing is written.
    void damageFound_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<QVariantList>("values");
        QTest::addColumn<QString>("check");
        QTest::addColumn<QString>("takenOut");
        const QString damaged = QStringLiteral("文件“图纸.pdf”在数据库中已损坏，无法取出。");
        QTest::newRow("part cut short")
            << "UPDATE CompactFilePart SET Bytes = substr(Bytes, 1, 10) WHERE Part = 0"
            << QVariantList() << Damaged << damaged;
        QTest::newRow("part lost")
            << "DELETE FROM CompactFilePart WHERE Part = 1" << QVariantList() << Damaged << damaged;
        QTest::newRow("parts without their file")
            << "DELETE FROM CompactFile" << QVariantList() << Damaged
            << QStringLiteral("这个文件已不在数据库中。");
        QTest::newRow("bytes changed in place")
            << "UPDATE CompactFilePart SET Bytes = ? WHERE Part = 1"
            << QVariantList{QByteArray(50, '\0')} << QString() << damaged;
    }
    void damageFound() {
        QFETCH(QString, change);
        QFETCH(QVariantList, values);
        QFETCH(QString, check);
        QFETCH(QString, takenOut);
        RegisterFixture f;
        const int id = f.addContract(QStringLiteral("HT1"), QStringLiteral("合同"), {},
                                     QStringLiteral("收款"));
        const qint64 file = f.addStoredFile(id, QStringLiteral("图纸.pdf"), pattern(Part + 50));
        f.exec(change, values);
        if (!TestServer::active())
            QCOMPARE(checked(f.databasePath()), check);
        QCOMPARE(Database::checkFile(f.databasePath()), QString()); // still a register
        TDMod& dm = f.openModule();
        QTemporaryDir dir;
        const QString target = dir.filePath(QStringLiteral("取出.pdf"));
        try {
            ContractFiles::Store(dm.database()).extract(file, target);
            QFAIL("a damaged file was taken out");
        } catch (const DataError& e) {
            QCOMPARE(e.text(), takenOut);
        }
        QVERIFY(!QFile::exists(target));
    }

    // A register made before files were kept passes the check as it is and gets their tables
    // when the program opens it.
    void olderRegister() {
        if (TestServer::active())
            QSKIP("registers on a server are all made by this version");
        RegisterFixture f;
        f.exec(QStringLiteral("DROP TABLE CompactFilePart"));
        f.exec(QStringLiteral("DROP TABLE CompactFile"));
        if (!TestServer::active()) // the check reads a register file
            QCOMPARE(checked(f.databasePath()), QString());
        QCOMPARE(Database::checkFile(f.databasePath()), QString());
        QCOMPARE(
            f.count(QStringLiteral("sqlite_master"), QStringLiteral("name LIKE 'CompactFile%'")),
            0);
        TDMod& dm = f.openModule();
        QVERIFY(ContractFiles::Store(dm.database()).available());
        QCOMPARE(f.count(QStringLiteral("sqlite_master"),
                         QStringLiteral("type = 'table' AND name LIKE 'CompactFile%'")),
                 2);
        if (!TestServer::active()) // the check reads a register file
            QCOMPARE(checked(f.databasePath()), QString());
    }

    // A contract goes with its files in one transaction; a refused delete keeps them all.
    void deleteContractTakesItsFiles_data() {
        QTest::addColumn<bool>("refused");
        QTest::newRow("deleted") << false;
        QTest::newRow("refused") << true;
    }
    void deleteContractTakesItsFiles() {
        QFETCH(bool, refused);
        RegisterFixture f;
        const int keep =
            f.addContract(QStringLiteral("HT1"), QStringLiteral("留"), {}, QStringLiteral("收款"));
        const int gone =
            f.addContract(QStringLiteral("HT2"), QStringLiteral("删"), {}, QStringLiteral("收款"));
        f.addStoredFile(keep, QStringLiteral("留.pdf"), pattern(10));
        f.addStoredFile(gone, QStringLiteral("删1.pdf"), pattern(Part + 1));
        f.addStoredFile(gone, QStringLiteral("删2.pdf"), pattern(20));
        if (refused)
            f.refuse(QStringLiteral("DELETE"), QStringLiteral("Compact"), QStringLiteral("locked"));
        TDMod& dm = f.openModule();
        QVERIFY(dm.TBCompacter->locate(QStringLiteral("合同编号"), QStringLiteral("HT2")));
        if (refused)
            QVERIFY_THROWS_EXCEPTION(DataError, dm.deleteContract());
        else
            dm.deleteContract();
        QCOMPARE(f.count(QStringLiteral("CompactFile"), QStringLiteral("CompactID = ?"), {gone}),
                 refused ? 2 : 0);
        QCOMPARE(f.count(QStringLiteral("CompactFilePart")), refused ? 4 : 1);
        QCOMPARE(f.count(QStringLiteral("CompactFile"), QStringLiteral("CompactID = ?"), {keep}),
                 1);
        if (!TestServer::active()) // the check reads a register file
            QCOMPARE(checked(f.databasePath()), QString());
    }
};

QINTARA_TEST(TestContractFileStore)
#include "tst_contractfilestore.moc"

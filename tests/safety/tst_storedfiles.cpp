// Files kept with contracts in the register, through backup and restore.
#include "common/damagedregister.h"
#include "common/testregistry.h"
#include "data/contractfiles.h"
#include "data/tdmod.h"
#include "platform/clock.h"
#include "safety/thfu.h"
#include "safetyfixture.h"

#include <QListWidget>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

namespace {

int countIn(const QString& path, const QString& sql) {
    int n = -1;
    DamagedRegister::onItsOwn(path, [&](QSqlDatabase& db) {
        QSqlQuery q(db);
        if (q.exec(sql) && q.next())
            n = q.value(0).toInt();
    });
    return n;
}

// Picks the file in the restore window and presses 确认恢复.
void restore(SafetyFixture& f, const QString& file) {
    f.inRestore([&](QDialog* window) {
        auto* w = qobject_cast<THFu*>(window);
        QVERIFY(w);
        SafetyFixture::clickFile(w->FileListBox1, file);
        SafetyFixture::press(w);
    });
}

} // namespace

class TestStoredFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Clock::setNow(QDateTime(QDate(2024, 5, 6), QTime(9, 30))); }

    // Files kept with contracts travel with the register: the backup holds them, and a restore
    // brings back the backup's files byte for byte, whatever the live register held since.
    void restoreBringsStoredFilesBack() {
        SafetyFixture f;
        f.addContracts();
        const int id =
            f.scalar(QStringLiteral("SELECT CompactID FROM Compact WHERE 合同编号 = 'HT-001'"))
                .toInt();
        QByteArray signedCopy(1500000, Qt::Uninitialized);
        for (int i = 0; i < signedCopy.size(); ++i)
            signedCopy[i] = char(i * 31 + i / 977);
        const qint64 file = f.addStoredFile(id, QStringLiteral("签字版.pdf"), signedCopy);
        QVERIFY(f.start());
        f.backupNow();
        f.dialogs().clear();
        const QString backup =
            SafetyFixture::real(QStringLiteral("D:\\ZanbookBack\\Hestrel20240506.mdb"));
        const QString files = QStringLiteral("SELECT count(*) FROM CompactFile");
        const QString bytes = QStringLiteral("SELECT sum(length(Bytes)) FROM CompactFilePart");
        QCOMPARE(countIn(backup, files), 1);
        QCOMPARE(countIn(backup, bytes), 1500000);
        ContractFiles::Store(f.dm().database()).remove(file);
        f.addStoredFile(id, QStringLiteral("草稿.doc"), "draft");
        QCOMPARE(countIn(f.databasePath(), bytes), 5);

        restore(f, QStringLiteral("Hestrel20240506.mdb"));
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("数据已成功恢复！")));
        QCOMPARE(countIn(f.databasePath(), files), 1);
        QCOMPARE(countIn(f.databasePath(), bytes), 1500000);
        QTemporaryDir out;
        const QString target = out.filePath(QStringLiteral("签字版.pdf"));
        ContractFiles::Store(f.dm().database()).extract(file, target);
        QCOMPARE(SafetyFixture::bytes(target), signedCopy);
    }
};

QINTARA_FILE_TEST(TestStoredFiles)
#include "tst_storedfiles.moc"

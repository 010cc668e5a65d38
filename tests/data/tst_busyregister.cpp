// A register another program holds is reported as busy, in the user's words, not as a file
// that is no register.
#include "common/testregistry.h"
#include "data/database.h"

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestBusyRegister : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void busyIsBusy() {
        QTemporaryDir dir;
        const QString path = dir.filePath(QStringLiteral("Hestrel.mdb"));
        {
            Database db;
            db.create(path);
        }
        const QString name = QStringLiteral("other program");
        {
            QSqlDatabase other = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
            other.setDatabaseName(path);
            QVERIFY(other.open());
            QSqlQuery q(other);
            QVERIFY(q.exec(QStringLiteral("BEGIN EXCLUSIVE")));
            QString text;
            try {
                Database db;
                db.open(path);
            } catch (const DataError& e) {
                text = e.text();
            }
            QCOMPARE(text,
                     QStringLiteral("无法打开数据库文件 %1：数据库正被另一个程序使用，请稍后再试")
                         .arg(path));
            QVERIFY(q.exec(QStringLiteral("ROLLBACK")));
        }
        QSqlDatabase::removeDatabase(name);
    }
};

QINTARA_FILE_TEST(TestBusyRegister)
#include "tst_busyregister.moc"

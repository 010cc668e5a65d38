#include "common/testregistry.h"
#include "data/database.h"

#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

class TestDatabase : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void errorCodes() {
        QTemporaryDir dir;
        Database db;
        db.create(dir.filePath(QStringLiteral("a.db")));
        QSqlQuery q = db.prepare(QStringLiteral("INSERT INTO server (ScNum, ScName) VALUES (?, ?)"));
        q.addBindValue(QStringLiteral("1"));
        q.addBindValue(QStringLiteral("x"));
        Database::exec(q);
        q.addBindValue(QStringLiteral("1"));
        q.addBindValue(QStringLiteral("y"));
        try {
            Database::exec(q);
            QFAIL("no error");
        } catch (const DataError& e) {
            qDebug() << e.text() << int(e.category());
        }
    }
};
QINTARA_TEST(TestDatabase)
#include "tst_database.moc"

#include "common/testregistry.h"
#include "platform/clock.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QTest>

class TestPaths : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        Paths::setRoot({});
        Paths::setSettingsFile({});
        qunsetenv("QINTARA_ROOT");
        Clock::reset();
    }

    void mapped_data() {
        QTest::addColumn<QString>("windowsPath");
        QTest::addColumn<QString>("expected");
        QTest::newRow("database") << "C:\\Zanbook\\Hestrel.mdb"
                                  << "/r/C/Zanbook/Hestrel.mdb";
        QTest::newRow("chinese name") << "C:\\合同表.xls"
                                      << "/r/C/合同表.xls";
        QTest::newRow("lower-case drive") << "d:\\ZanbookBack"
                                          << "/r/D/ZanbookBack";
        QTest::newRow("trailing backslash") << "D:\\ZanbookBack\\"
                                            << "/r/D/ZanbookBack";
        QTest::newRow("drive root") << "C:\\"
                                    << "/r/C";
        QTest::newRow("forward slashes") << "E:/a/b.txt"
                                         << "/r/E/a/b.txt";
        QTest::newRow("no drive") << "docs\\htHelp.doc"
                                  << "docs/htHelp.doc";
        QTest::newRow("unix path") << "/tmp/x"
                                   << "/tmp/x";
    }
    void mapped() {
        QFETCH(QString, windowsPath);
        QFETCH(QString, expected);
        Paths::setRoot(QStringLiteral("/r"));
        QCOMPARE(Paths::mapped(windowsPath), expected);
    }

    void rootPrecedence() {
        QCOMPARE(Paths::root(), QDir::homePath() + "/Qintara");
        qputenv("QINTARA_ROOT", "/from/env");
        QCOMPARE(Paths::root(), QStringLiteral("/from/env"));
        QCOMPARE(Paths::databaseFile(), QStringLiteral("/from/env/C/Zanbook/Hestrel.mdb"));
        Paths::setRoot(QStringLiteral("/set"));
        QCOMPARE(Paths::backupFolder(), QStringLiteral("/set/D/ZanbookBack"));
        Paths::setRoot({});
        QCOMPARE(Paths::root(), QStringLiteral("/from/env"));
    }

    void settingsFile() {
        QCOMPARE(Paths::settingsFile(),
                 QCoreApplication::applicationDirPath() + QStringLiteral("/Settings.ini"));
        Paths::setSettingsFile(QStringLiteral("/t/s.ini"));
        QCOMPARE(Paths::settingsFile(), QStringLiteral("/t/s.ini"));
    }

    void clock() {
        const QDateTime fixed(QDate(2024, 2, 29), QTime(23, 59, 30));
        Clock::setNow(fixed);
        QCOMPARE(Clock::now(), fixed);
        QCOMPARE(Clock::today(), QDate(2024, 2, 29));
        Clock::reset();
        QVERIFY(qAbs(Clock::now().secsTo(QDateTime::currentDateTime())) < 60);
        QCOMPARE(Clock::now().timeSpec(), Qt::LocalTime);
    }
};
QINTARA_TEST(TestPaths)
#include "tst_paths.moc"

#include "common/testregistry.h"
#include "platform/buildinfo.h"
#include "platform/clock.h"
#include "platform/paths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class TestPaths : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() {
        Paths::setRoot({});
        Paths::setSettingsFile({});
        Paths::setProgramFolder({});
        for (const char* name : {"QINTARA_ROOT", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            qunsetenv(name);
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

    // An installed program keeps its settings and register in the per-user folders; one in the
    // build tree keeps them where it always did.
    void layout_data() {
        QTest::addColumn<QString>("programFolder"); // below the temporary folder
        QTest::addColumn<bool>("desktopEntry");     // in <prefix>/share/applications
        QTest::addColumn<QString>("rootVariable");
        QTest::addColumn<QString>("settings"); // "<program>" stands for the program's folder
        QTest::addColumn<QString>("root");     // "<home>" stands for the home folder
        QTest::newRow("installed")
            << "usr/bin" << true << QString() << "xdg-config/Qintara/Settings.ini"
            << "xdg-data/Qintara";
        QTest::newRow("installed, QINTARA_ROOT") << "usr/bin" << true << "/elsewhere"
                                                 << "xdg-config/Qintara/Settings.ini"
                                                 << "/elsewhere";
        QTest::newRow("build tree") << "build" << false << QString() << "<program>/Settings.ini"
                                    << "<home>/Qintara";
        QTest::newRow("bin without entry")
            << "usr/bin" << false << QString() << "<program>/Settings.ini"
            << "<home>/Qintara";
        QTest::newRow("entry beside a non-bin folder")
            << "usr/libexec" << true << QString() << "<program>/Settings.ini"
            << "<home>/Qintara";
    }
    void layout() {
        QFETCH(QString, programFolder);
        QFETCH(bool, desktopEntry);
        QFETCH(QString, rootVariable);
        QFETCH(QString, settings);
        QFETCH(QString, root);
        QTemporaryDir dir;
        const QString program = dir.filePath(programFolder);
        QVERIFY(QDir().mkpath(program));
        if (desktopEntry) {
            const QString share = QDir(program).filePath(QStringLiteral("../share/applications"));
            QVERIFY(QDir().mkpath(share));
            QFile entry(QStringLiteral("%1/%2.desktop").arg(share, BuildInfo::appId));
            QVERIFY(entry.open(QIODevice::WriteOnly));
        }
        qputenv("XDG_CONFIG_HOME", dir.filePath(QStringLiteral("xdg-config")).toUtf8());
        qputenv("XDG_DATA_HOME", dir.filePath(QStringLiteral("xdg-data")).toUtf8());
        if (!rootVariable.isEmpty())
            qputenv("QINTARA_ROOT", rootVariable.toUtf8());
        Paths::setProgramFolder(program);
        const auto resolved = [&](QString path) {
            path.replace(QStringLiteral("<program>"), program)
                .replace(QStringLiteral("<home>"), QDir::homePath());
            return QDir::isAbsolutePath(path) ? path : dir.filePath(path);
        };
        QCOMPARE(Paths::installed(), desktopEntry && programFolder.endsWith(QLatin1String("bin")));
        QCOMPARE(Paths::settingsFile(), resolved(settings));
        QCOMPARE(Paths::root(), resolved(root));
        QCOMPARE(Paths::databaseFile(), resolved(root) + QStringLiteral("/C/Zanbook/Hestrel.mdb"));
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

// The Debian package as an office PC gets it: unpacked into a temporary root, its files in the
// desktop's places, and the installed program started as a user starts it from the menu, with
// a home folder of its own. Skipped when no package has been built (`make package`).
#include "common/testregistry.h"
#include "platform/buildinfo.h"
#include "platform/profilefile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>

#ifndef QINTARA_PACKAGE_FOLDER
#error "tests/CMakeLists.txt passes the folder of the package and of the probe plugin"
#endif

namespace {

struct Run {
    int code = -1;
    QString out, err;
};

Run run(const QString& program, const QStringList& args,
        const QProcessEnvironment& env = QProcessEnvironment::systemEnvironment()) {
    QProcess p;
    p.setProcessEnvironment(env);
    p.start(program, args);
    // a program that waits for a window nobody answers would never end
    if (!p.waitForFinished(300000)) {
        p.kill();
        p.waitForFinished();
        return {-1, {}, QStringLiteral("%1 did not end").arg(program)};
    }
    return {p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1,
            QString::fromUtf8(p.readAllStandardOutput()),
            QString::fromUtf8(p.readAllStandardError())};
}

QString package() {
    const QString given = qEnvironmentVariable("QINTARA_PACKAGE");
    if (!given.isEmpty())
        return given;
    const QDir folder(QStringLiteral(QINTARA_PACKAGE_FOLDER));
    const QString pattern = QStringLiteral("qintara_%1_*.deb").arg(BuildInfo::version);
    const QStringList found = folder.entryList({pattern}, QDir::Files);
    return found.isEmpty() ? QString() : folder.filePath(found.first());
}

const QString AppId = QLatin1String(BuildInfo::appId);
const QString Register = QStringLiteral("C/Zanbook/Hestrel.mdb");

} // namespace

class TestPackage : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        m_deb = package();
        if (m_deb.isEmpty() && qEnvironmentVariableIsSet("QINTARA_PACKAGE_REQUIRED"))
            QFAIL("no package in " QINTARA_PACKAGE_FOLDER);
        if (m_deb.isEmpty())
            QSKIP("no package built: `make package` builds it");
        QVERIFY(m_dir.isValid());
        m_root = m_dir.filePath(QStringLiteral("root"));
        const Run unpack = run(QStringLiteral("dpkg-deb"), {QStringLiteral("-x"), m_deb, m_root});
        QVERIFY2(unpack.code == 0, qPrintable(unpack.err));
    }

    void files_data() {
        QTest::addColumn<QString>("path");
        for (const QString& path :
             {QStringLiteral("usr/bin/qintara"), QStringLiteral("usr/bin/qintara-db"),
              QStringLiteral("usr/share/applications/%1.desktop").arg(AppId),
              QStringLiteral("usr/share/icons/hicolor/scalable/apps/%1.svg").arg(AppId),
              QStringLiteral("usr/share/metainfo/%1.metainfo.xml").arg(AppId),
              QStringLiteral("usr/share/man/man1/qintara.1.gz"),
              QStringLiteral("usr/share/man/man1/qintara-db.1.gz"),
              QStringLiteral("usr/share/doc/qintara/copyright")})
            QTest::newRow(qPrintable(path)) << path;
    }
    void files() {
        QFETCH(QString, path);
        QVERIFY2(QFileInfo(m_root + QLatin1Char('/') + path).isFile(), qPrintable(path));
    }

    // The libraries come from the binaries; the SQLite driver is loaded at run time.
    void dependencies() {
        const Run depends = run(QStringLiteral("dpkg-deb"),
                                {QStringLiteral("-f"), m_deb, QStringLiteral("Depends")});
        QCOMPARE(depends.code, 0);
        for (const char* name : {"libc6", "libqt6core6", "libqt6widgets6", "libqt6charts6",
                                 "libqt6printsupport6", "libsqlite3-0", "libqt6sql6-sqlite"})
            QVERIFY2(depends.out.contains(QLatin1String(name)), name);
    }

    // The faces the printed records draw in come with the program, and the one that stands in
    // for them where they are missing.
    void recommendedFonts() {
        const Run recommends = run(QStringLiteral("dpkg-deb"),
                                   {QStringLiteral("-f"), m_deb, QStringLiteral("Recommends")});
        QCOMPARE(recommends.code, 0);
        for (const char* name : {"fonts-arphic-uming", "fonts-wqy-zenhei", "fonts-noto-cjk"})
            QVERIFY2(recommends.out.contains(QLatin1String(name)), name);
    }

    void checkers_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QStringList>("args");
        QTest::newRow("lintian") << "lintian"
                                 << QStringList{QStringLiteral("--fail-on"),
                                                QStringLiteral("error"), m_deb};
        QTest::newRow("desktop-file-validate")
            << "desktop-file-validate"
            << QStringList{m_root +
                           QStringLiteral("/usr/share/applications/%1.desktop").arg(AppId)};
        QTest::newRow("appstreamcli")
            << "appstreamcli"
            << QStringList{QStringLiteral("validate"), QStringLiteral("--no-net"),
                           m_root +
                               QStringLiteral("/usr/share/metainfo/%1.metainfo.xml").arg(AppId)};
    }
    void checkers() {
        QFETCH(QString, program);
        QFETCH(QStringList, args);
        const Run check = run(program, args);
        QVERIFY2(check.code == 0, qPrintable(check.out + check.err));
    }

    void version() {
        const Run v = run(installed(QStringLiteral("qintara")), {QStringLiteral("--version")});
        QCOMPARE(v.code, 0);
        QCOMPARE(v.out, QStringLiteral("qintara %1\n").arg(BuildInfo::version));
    }

    // The first start offers a register; the next start goes straight to the login.
    void firstStart_data() {
        QTest::addColumn<QString>("answers");      // to the message boxes, in order
        QTest::addColumn<QString>("rootVariable"); // $QINTARA_ROOT below the home folder
        QTest::addColumn<QString>("registerFile"); // below the home folder; empty: none made
        QTest::addColumn<QStringList>("after");    // what shows after the offer
        const QString xdg = QStringLiteral(".local/share/Qintara/") + Register;
        const QString demo = login(QStringLiteral("管理员,张三,李四"));
        const QString empty = login(QStringLiteral("管理员"));
        QTest::newRow("demo") << "yes" << QString() << xdg << QStringList{demo};
        QTest::newRow("empty") << "no" << QString() << xdg << QStringList{empty};
        QTest::newRow("declined") << "cancel" << QString() << QString() << QStringList();
        QTest::newRow("QINTARA_ROOT") << "no"
                                      << "elsewhere"
                                      << "elsewhere/" + Register << QStringList{empty};
        // "blocked" is a file, so no folder can be made below it
        QTest::newRow("folder cannot be made")
            << "yes,ok"
            << "blocked/root" << QString()
            << QStringList{QStringLiteral("box|Qintara合同管理系统|无法创建合同登记库：\\n"
                                          "<home>/blocked/root/C/Zanbook/Hestrel.mdb\\n\\n"
                                          "无法创建文件夹 <home>/blocked/root/C/Zanbook。")};
    }
    void firstStart() {
        QFETCH(QString, answers);
        QFETCH(QString, rootVariable);
        QFETCH(QString, registerFile);
        QFETCH(QStringList, after);
        const QString home = m_dir.filePath(QStringLiteral("home-") + QTest::currentDataTag());
        QVERIFY(QDir().mkpath(home));
        QFile blocked(home + QStringLiteral("/blocked"));
        QVERIFY(blocked.open(QIODevice::WriteOnly));
        const QString root = rootVariable.isEmpty() ? QString() : home + '/' + rootVariable;
        const QString expected =
            (root.isEmpty() ? home + QStringLiteral("/.local/share/Qintara") : root) + '/' +
            Register;

        const Seen first = start(home, root, answers);
        QVERIFY2(first.code == 0, qPrintable(first.err));
        const QString offer = first.windows.value(0);
        QVERIFY2(offer.startsWith(QStringLiteral("box|Qintara合同管理系统|还没有合同登记库：\\n") +
                                  expected + QStringLiteral("\\n\\n是否创建演示库？")),
                 qPrintable(offer));
        after.replaceInStrings(QStringLiteral("<home>"), home);
        QCOMPARE(first.windows.mid(1), after);
        QCOMPARE(QFileInfo::exists(expected), !registerFile.isEmpty());
        if (registerFile.isEmpty())
            return;
        QCOMPARE(expected, home + '/' + registerFile);

        // settings in the config folder, nothing beside the program or in ~/Qintara
        ProfileFile settings(home + QStringLiteral("/.config/Qintara/Settings.ini"));
        const QString section = QStringLiteral("Settings");
        QCOMPARE(settings.readInteger(section, QStringLiteral("First"), 0), 1);
        QCOMPARE(settings.readInteger(section, QStringLiteral("DayTXing"), 0), 7);
        QVERIFY(!QFileInfo::exists(installed(QStringLiteral("Settings.ini"))));
        QVERIFY(!QFileInfo::exists(home + QStringLiteral("/Qintara")));

        const Seen again = start(home, root, {});
        QVERIFY2(again.code == 0, qPrintable(again.err));
        QCOMPARE(again.windows, after);
    }

private:
    QString installed(const QString& name) const {
        return m_root + QStringLiteral("/usr/bin/") + name;
    }

    // The line the probe writes for the login window offering these operators.
    static QString login(const QString& operators) {
        return QStringLiteral("login|登录|") + operators;
    }

    struct Seen {
        int code = -1;
        QString err;
        QStringList windows; // one line per window the probe saw
    };

    // Starts the installed program as from the menu, with the probe at the screen.
    Seen start(const QString& home, const QString& root, const QString& answers) const {
        const QString report = home + QStringLiteral("/probe.txt");
        QFile::remove(report);
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        for (const char* name : {"QINTARA_ROOT", "XDG_CONFIG_HOME", "XDG_DATA_HOME"})
            env.remove(QLatin1String(name));
        env.insert(QStringLiteral("HOME"), home);
        if (!root.isEmpty())
            env.insert(QStringLiteral("QINTARA_ROOT"), root);
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        env.insert(QStringLiteral("QT_PLUGIN_PATH"), QStringLiteral(QINTARA_PROBE_PLUGINS));
        env.insert(QStringLiteral("QT_QPA_GENERIC_PLUGINS"), QStringLiteral("qintaraprobe"));
        env.insert(QStringLiteral("QINTARA_PROBE_ANSWERS"), answers);
        env.insert(QStringLiteral("QINTARA_PROBE_REPORT"), report);
        const Run program = run(installed(QStringLiteral("qintara")), {}, env);
        Seen seen{program.code, program.err, {}};
        QFile file(report);
        if (file.open(QIODevice::ReadOnly))
            seen.windows =
                QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        return seen;
    }

    QTemporaryDir m_dir;
    QString m_deb;
    QString m_root;
};
QINTARA_TEST(TestPackage)
#include "tst_package.moc"

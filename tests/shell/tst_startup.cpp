#include "about/taboutfrm.h"
#include "common/damagedregister.h"
#include "common/testregistry.h"
#include "common/testserver.h"
#include "contracts/tchazhao.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "masterdata/tbumengli.h"
#include "masterdata/tquanxfrm.h"
#include "masterdata/twldanwei.h"
#include "money/tfukfrm.h"
#include "money/tshkfrm.h"
#include "money/ttix.h"
#include "output/tfkprint.h"
#include "output/tqtprint.h"
#include "output/tskprint.h"
#include "platform/paths.h"
#include "platform/profilefile.h"
#include "safety/tbfen.h"
#include "safety/thfu.h"
#include "shell/appcontext.h"
#include "shell/programexit.h"
#include "shell/tcloseform.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"
#include "shellfixture.h"

#include <QDir>
#include <QFile>
#include <QTest>
#include <QTimer>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

const QString Section = QStringLiteral("Settings");

} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void firstRunSettings_data() {
        QTest::addColumn<QByteArray>("before"); // null: no file
        QTest::addColumn<int>("dayTXing");
        QTest::addColumn<bool>("untouched");
        QTest::newRow("no file") << QByteArray() << 7 << false;
        QTest::newRow("DayTXing 15, no First")
            << QByteArray("[Settings]\nDayTXing=15\n") << 7 << false;
        QTest::newRow("First 2") << QByteArray("[Settings]\nFirst=2\nDayTXing=15\n") << 7 << false;
        QTest::newRow("First 1") << QByteArray("[Settings]\nFirst=1\nDayTXing=15\n") << 15 << true;
    }
    void firstRunSettings() {
        QFETCH(QByteArray, before);
        QFETCH(int, dayTXing);
        QFETCH(bool, untouched);
        ShellFixture f;
        if (!before.isNull())
            writeAll(f.settingsPath(), before);
        QVERIFY(f.start());
        const ProfileFile settings(f.settingsPath());
        QCOMPARE(settings.readInteger(Section, QStringLiteral("First"), 0), 1);
        QCOMPARE(settings.readInteger(Section, QStringLiteral("DayTXing"), 0), dayTXing);
        if (untouched)
            QCOMPARE(readAll(f.settingsPath()), before);
        // the data module reads the horizon through the main window's settings file
        QCOMPARE(f.dm().reminderDays(), dayTXing);
        QCOMPARE(f.dialogs().count(), 0);
    }

    void missingDatabase() {
        if (TestServer::active())
            QSKIP("a missing register file");
        ShellFixture f;
        f.removeDatabase();
        QVERIFY(!f.start());
        QCOMPARE(f.dialogs().count(), 1);
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("警告"));
        QCOMPARE(f.dialogs().last().text,
                 QStringLiteral("无法连接至C:\\Zanbook\\Hestrel.mdb数据库"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::None);
        QCOMPARE(f.dialogs().last().buttons, Dialogs::Buttons(Dialogs::Button::Ok));
        QVERIFY(f.modal.seen.isEmpty());
        QVERIFY(!app().Login);
        QVERIFY(!app().DMod);
        QVERIFY(!QFile::exists(f.settingsPath())); // ends before the settings file
    }

    // The warning names the register by the program's own path, as every other message does,
    // never by the folder that stands for drive C: on this machine.
    void unusableDatabase_data() {
        QTest::addColumn<QByteArray>("bytes"); // the file's content; empty: a foreign SQLite file
        QTest::addColumn<QString>("expected");
        QTest::newRow("no database")
            << QByteArray("not a register")
            << QStringLiteral("文件 C:\\Zanbook\\Hestrel.mdb 不是合同数据库：不是数据库文件");
        QTest::newRow("another program's database")
            << QByteArray()
            << QStringLiteral("文件 C:\\Zanbook\\Hestrel.mdb 不是合同数据库：缺少 Compact");
    }
    void unusableDatabase() {
        if (TestServer::active())
            QSKIP("register files that are none");
        QFETCH(QByteArray, bytes);
        QFETCH(QString, expected);
        ShellFixture f;
        f.removeDatabase();
        if (bytes.isEmpty())
            DamagedRegister::run(Paths::databaseFile(), {QStringLiteral("CREATE TABLE notes(x)")});
        else
            writeAll(Paths::databaseFile(), bytes);
        QVERIFY(!f.start());
        QCOMPARE(f.dialogs().texts(), QStringList(expected));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("警告"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::Warning);
        QVERIFY(f.modal.seen.isEmpty());
    }

    void settingsNotWritable() {
        ShellFixture f;
        const QString path = QDir(QFileInfo(f.settingsPath()).path())
                                 .filePath(QStringLiteral("no such folder/Settings.ini"));
        Paths::setSettingsFile(path);
        QVERIFY(!f.start());
        QCOMPARE(f.dialogs().texts(),
                 QStringList(
                     QStringLiteral("无法写入设置文件%1。").arg(QDir::toNativeSeparators(path))));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::Error);
        QVERIFY(f.modal.seen.isEmpty());
    }

    void everyWindowOnceInItsPlace() {
        ShellFixture f;
        QVERIFY(f.start());
        const AppContext& c = app();
        const QList<QObject*> windows{c.TiX,      c.FormAddCom, c.AboutFrm,  c.Login,
                                      c.fukfrm,   c.shkfrm,     c.quanxfrm,  c.WLDanWei,
                                      c.BuMenGLi, c.ChaZhao,    c.CloseForm, c.BFen,
                                      c.HFu,      c.FKPrint,    c.SKPrint,   c.QTPrint};
        for (QObject* w : windows)
            QVERIFY(w && w->parent() == c.frmCompactManager);
        QVERIFY(c.DMod);
        QVERIFY(f.main().isVisible());
        QCOMPARE(f.main().windowTitle(), QStringLiteral("Qintara合同管理系统"));
        QCOMPARE(f.modal.seen, QStringList(QStringLiteral("Login")));
    }

    // While the first login is up the panels hold their first texts; after it, the operator
    // and the count, and the reminder check one tick later.
    void panelsAroundTheFirstLogin() {
        ShellFixture f;
        for (const char* no : {"HT-001", "HT-002", "HT-003"})
            f.addContract(QString::fromUtf8(no));
        QStringList during;
        f.modal.then([&](QDialog* dialog) {
            during << f.main().panelText(2) << f.main().panelText(3);
            ShellFixture::login(QStringLiteral("管理员"), {})(dialog);
        });
        QVERIFY(f.start());
        QCOMPARE(f.modal.seen, QStringList(QStringLiteral("Login")));
        QCOMPARE(during,
                 QStringList({QStringLiteral("操作员："), QStringLiteral("共有    份合同")}));
        QCOMPARE(f.main().panelText(2), QStringLiteral("操作员：管理员"));
        QCOMPARE(f.main().panelText(3), QStringLiteral("共有  3  条记录"));
        QCOMPARE(f.loginDialog().CurUserName, QStringLiteral("管理员"));
        QVERIFY(f.main().Timer1->isActive());
        QCOMPARE(f.main().Timer1->interval(), 1000);
        f.main().Timer1Timer();
        QVERIFY(!f.main().Timer1->isActive());
    }

    void noLoginEndsTheProgram() {
        ShellFixture f;
        f.modal.then([](QDialog*) {}); // the dialog closed without a login
        QVERIFY(!f.start());
        QVERIFY(ProgramExit::requested());
        QVERIFY(!f.main().Timer1->isActive());
        QCOMPARE(f.dialogs().count(), 0);
    }
};
QINTARA_TEST(TestStartup)
#include "tst_startup.moc"

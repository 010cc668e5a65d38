#include "common/damagedregister.h"
#include "common/testregistry.h"
#include "data/registerbackup.h"
#include "data/tdmod.h"
#include "platform/clock.h"
#include "safety/tbfen.h"
#include "safetyfixture.h"
#include "shell/appcontext.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTreeWidget>
#include <cstdio>
#include <sys/file.h>
#include <utility>

namespace {

const QString Proposed = QStringLiteral("D:\\ZanbookBack\\Hestrel20240506.mdb");
// the running program's hold on its register
const QString Lock = QStringLiteral("Hestrel.mdb.lock");
const QString PathError = QStringLiteral("备份失败，备份路径错误！");

// Records whether a window was visible when each message box came up.
class VisibilityProbe : public Dialogs::Backend {
public:
    VisibilityProbe(Dialogs::Backend* inner, const QWidget* window)
        : m_inner(inner), m_window(window), m_scope(this) {}
    Dialogs::Button show(const Dialogs::Message& message) override {
        visible << m_window->isVisible();
        return m_inner->show(message);
    }
    QString openFileName(const QString& caption, const QString& dir,
                         const QString& filter) override {
        return m_inner->openFileName(caption, dir, filter);
    }
    QList<bool> visible;

private:
    Dialogs::Backend* m_inner;
    const QWidget* m_window;
    Dialogs::ScopedBackend m_scope;
};

TBFen* backupWindow(QDialog* window) {
    auto* w = qobject_cast<TBFen*>(window);
    [&] { QVERIFY(w); }();
    return w;
}

void typeName(TBFen* w, const QString& text) {
    w->Edit1->clear();
    ShellFixture::typeText(w->Edit1, text);
    QCOMPARE(w->Edit1->text(), text);
}

QString success(const QString& target) {
    return QStringLiteral("数据已成功备份至:\r\n") + target;
}

} // namespace

class TestBackup : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { Clock::setNow(QDateTime(QDate(2024, 5, 6), QTime(9, 30))); }

    // With drive D the folder is made and proposed; without it the lists stay where they were.
    void proposedNameAndFolder_data() {
        QTest::addColumn<bool>("driveD");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("folder");
        QTest::newRow("drive D") << true << Proposed << "D:\\ZanbookBack";
        QTest::newRow("no drive D") << false << "C:\\Zanbook\\Hestrel20240506.mdb"
                                    << "C:\\Zanbook";
    }
    void proposedNameAndFolder() {
        QFETCH(bool, driveD);
        QFETCH(QString, name);
        QFETCH(QString, folder);
        SafetyFixture f;
        if (!driveD)
            QVERIFY(QDir(SafetyFixture::real(QStringLiteral("D:\\"))).removeRecursively());
        f.addContracts();
        QVERIFY(f.start());
        QString shownName, current, drive;
        QStringList drives;
        f.inBackup([&](QDialog* window) {
            TBFen* w = backupWindow(window);
            shownName = w->Edit1->text();
            current = w->DirectoryListBox1->currentItem()->data(0, Qt::UserRole).toString();
            drive = w->DriveComboBox1->currentText();
            for (int i = 0; i < w->DriveComboBox1->count(); ++i)
                drives << w->DriveComboBox1->itemText(i);
            SafetyFixture::press(w);
        });
        QCOMPARE(shownName, name);
        QCOMPARE(current, folder);
        QCOMPARE(drive, folder.left(2));
        QCOMPARE(drives, driveD ? QStringList({"C:", "D:"}) : QStringList({"C:"}));
        QCOMPARE(f.dialogs().texts(), QStringList(success(name)));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::None);
        QCOMPARE(SafetyFixture::numbersIn(SafetyFixture::real(name)),
                 QStringList({"HT-001", "HT-002", "HT-003"}));
    }

    // The date digits whatever the system's date format: never a "/" in the name.
    void proposedNameIsDigits() {
        const QLocale keep;
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(TBFen::proposedName(), QStringLiteral("Hestrel20240506.mdb"));
        QLocale::setDefault(keep);
    }

    void successHidesTheWindowFirst() {
        SafetyFixture f;
        QVERIFY(f.start());
        VisibilityProbe probe(&f.dialogs(), app().BFen);
        f.backupNow();
        QCOMPARE(f.dialogs().texts(), QStringList(success(Proposed)));
        QCOMPARE(probe.visible, QList<bool>({false}));
        QVERIFY(!app().BFen->isVisible());
        QCOMPARE(app().BFen->result(), int(QDialog::Accepted));
    }

    // A second backup the same day asks; No copies nothing, Yes overwrites.
    void secondBackupSameDay_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<QStringList>("inCopy");
        QTest::newRow("no") << int(Dialogs::Button::No)
                            << QStringList({"HT-001", "HT-002", "HT-003"});
        QTest::newRow("yes") << int(Dialogs::Button::Yes)
                             << QStringList({"HT-001", "HT-002", "HT-003", "HT-004"});
        QTest::newRow("Enter keeps the old copy")
            << int(Dialogs::Button::None) << QStringList({"HT-001", "HT-002", "HT-003"});
    }
    void secondBackupSameDay() {
        QFETCH(int, answer);
        QFETCH(QStringList, inCopy);
        SafetyFixture f;
        f.addContracts();
        QVERIFY(f.start());
        f.backupNow();
        f.addContract(QStringLiteral("HT-004"));
        f.dialogs().clear();
        if (answer == int(Dialogs::Button::None))
            f.dialogs().pressEnter();
        else
            f.dialogs().answer(Dialogs::Button(answer));
        bool openAfter = false;
        f.inBackup([&](QDialog* window) {
            SafetyFixture::press(window);
            openAfter = window->isVisible();
        });
        const Dialogs::Message& asked = f.dialogs().shown.first();
        QCOMPARE(asked.caption, QStringLiteral("已存在文件"));
        QCOMPARE(asked.text, Proposed + QStringLiteral("已经存在!是否覆盖?"));
        QCOMPARE(asked.icon, Dialogs::Icon::Question);
        QCOMPARE(asked.buttons, Dialogs::Button::Yes | Dialogs::Button::No);
        const bool yes = Dialogs::Button(answer) == Dialogs::Button::Yes;
        QCOMPARE(f.dialogs().count(), yes ? 2 : 1);
        if (yes)
            QCOMPARE(f.dialogs().last().text, success(Proposed));
        QCOMPARE(openAfter, !yes);
        QCOMPARE(SafetyFixture::numbersIn(SafetyFixture::real(Proposed)), inCopy);
        QCOMPARE(QDir(SafetyFixture::real(QStringLiteral("D:\\ZanbookBack")))
                     .entryList(QDir::Files | QDir::Hidden),
                 QStringList(QStringLiteral("Hestrel20240506.mdb")));
    }

    // Clicks in the lists: a file aims at it, a folder keeps the name, a drive root takes the
    // name without a doubled separator, another drive moves everything there.
    void folderAndFileClicks() {
        SafetyFixture f;
        QVERIFY(QDir().mkpath(SafetyFixture::real(QStringLiteral("D:\\ZanbookBack\\旧备份"))));
        for (const char* file : {"D:\\ZanbookBack\\Hestrel20240101.mdb",
                                 "D:\\ZanbookBack\\说明.txt", "D:\\ZanbookBack\\旧备份\\a.MDB"}) {
            QFile out(SafetyFixture::real(QString::fromUtf8(file)));
            QVERIFY(out.open(QIODevice::WriteOnly));
        }
        QVERIFY(f.start());
        f.inBackup([&](QDialog* window) {
            TBFen* w = backupWindow(window);
            QCOMPARE(SafetyFixture::names(w->FileListBox1),
                     QStringList(QStringLiteral("Hestrel20240101.mdb")));
            SafetyFixture::clickFile(w->FileListBox1, QStringLiteral("Hestrel20240101.mdb"));
            QCOMPARE(w->Edit1->text(), QStringLiteral("D:\\ZanbookBack\\Hestrel20240101.mdb"));
            SafetyFixture::activateFolder(w->DirectoryListBox1,
                                          QStringLiteral("D:\\ZanbookBack\\旧备份"));
            QCOMPARE(w->Edit1->text(),
                     QStringLiteral("D:\\ZanbookBack\\旧备份\\Hestrel20240101.mdb"));
            QCOMPARE(SafetyFixture::names(w->FileListBox1), QStringList(QStringLiteral("a.MDB")));
            SafetyFixture::activateFolder(w->DirectoryListBox1, QStringLiteral("D:\\"));
            QCOMPARE(w->Edit1->text(), QStringLiteral("D:\\Hestrel20240101.mdb"));
            QCOMPARE(SafetyFixture::names(w->FileListBox1), QStringList());
            w->DriveComboBox1->setFocus();
            QTest::keyClick(w->DriveComboBox1, Qt::Key_Up);
            QCOMPARE(w->DriveComboBox1->currentText(), QStringLiteral("C:"));
            QCOMPARE(w->Edit1->text(), QStringLiteral("C:\\Hestrel20240101.mdb"));
            QCOMPARE(w->DirectoryListBox1->currentItem()->data(0, Qt::UserRole).toString(),
                     QStringLiteral("C:\\"));
        });
        QCOMPARE(f.dialogs().count(), 0);
    }

    // A missing folder one level deep is made; two levels deep, or a folder Windows would
    // refuse, is the path error and nothing is made.
    void missingFolder_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<bool>("made");
        QTest::newRow("one level") << "D:\\ZanbookBack\\新建\\x.mdb" << true;
        QTest::newRow("one level on a root") << "D:\\新建\\x.mdb" << true;
        QTest::newRow("two levels") << "D:\\ZanbookBack\\a\\b\\x.mdb" << false;
        QTest::newRow("missing drive") << "Q:\\ZanbookBack\\x.mdb" << false;
        QTest::newRow("missing drive root") << "Q:\\x.mdb" << false;
        QTest::newRow("colon in the folder") << "D:\\ZanbookBack\\a:b.mdb" << false;
        QTest::newRow("no folder") << "x.mdb" << false;
    }
    void missingFolder() {
        QFETCH(QString, target);
        QFETCH(bool, made);
        SafetyFixture f;
        f.addContracts();
        QVERIFY(f.start());
        bool openAfter = false;
        f.inBackup([&](QDialog* window) {
            typeName(backupWindow(window), target);
            SafetyFixture::press(window);
            openAfter = window->isVisible();
        });
        QCOMPARE(openAfter, !made);
        if (made) {
            QCOMPARE(f.dialogs().texts(), QStringList(success(target)));
            QCOMPARE(SafetyFixture::numbersIn(SafetyFixture::real(target)).size(), 3);
        } else {
            QCOMPARE(f.dialogs().texts(), QStringList(PathError));
            QCOMPARE(f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
            QVERIFY(!QFileInfo::exists(SafetyFixture::real(QStringLiteral("D:\\ZanbookBack\\a"))));
            QVERIFY(!QFileInfo::exists(SafetyFixture::real(QStringLiteral("Q:\\"))));
            QVERIFY(!QFileInfo::exists(SafetyFixture::real(QStringLiteral("D:\\ZanbookBack\\a:"))));
        }
    }

    void emptyName() {
        SafetyFixture f;
        QVERIFY(f.start());
        bool openAfter = false;
        f.inBackup([&](QDialog* window) {
            backupWindow(window)->Edit1->clear();
            SafetyFixture::press(window);
            openAfter = window->isVisible();
        });
        QVERIFY(openAfter);
        QCOMPARE(f.dialogs().texts(),
                 QStringList(QStringLiteral("请输入您要备份的数据文件的名称!")));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("信息提示"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::None);
    }

    // Copies that fail for other reasons say so with the path, keep the window open and leave
    // no file behind; never the success message.
    void copyFailures_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QString>("reason");
        QTest::newRow("refused name") << "D:\\ZanbookBack\\a?b.mdb"
                                      << "文件名无效";
        QTest::newRow("no name") << "D:\\ZanbookBack\\"
                                 << "文件名无效";
        QTest::newRow("a folder") << "D:\\ZanbookBack\\folder.mdb"
                                  << "该名称是一个文件夹";
        QTest::newRow("cannot be written") << "/proc/Hestrel.mdb"
                                           << "";
        QTest::newRow("copy fails its check") << Proposed << "备份文件校验未通过";
        QTest::newRow("the register itself") << "C:\\Zanbook\\Hestrel.mdb"
                                             << "该文件就是正在使用的数据库";
    }
    void copyFailures() {
        QFETCH(QString, target);
        QFETCH(QString, reason);
        SafetyFixture f;
        f.addContracts();
        const QString folder = SafetyFixture::real(QStringLiteral("D:\\ZanbookBack"));
        QVERIFY(QDir().mkpath(folder + QStringLiteral("/folder.mdb")));
        QVERIFY(f.start());
        const QByteArray live = SafetyFixture::bytes(f.databasePath());
        RegisterBackup::beforeCheck() = [](const QString& copy) {
            QFile file(copy);
            QVERIFY(file.open(QIODevice::ReadWrite));
            file.seek(file.size() / 2);
            file.write(QByteArray(8192, '\x5a'));
        };
        if (!target.startsWith(Proposed))
            RegisterBackup::beforeCheck() = nullptr;
        bool openAfter = false;
        f.inBackup([&](QDialog* window) {
            if (target != Proposed)
                typeName(backupWindow(window), target);
            SafetyFixture::press(window);
            openAfter = window->isVisible();
        });
        RegisterBackup::beforeCheck() = nullptr;
        QVERIFY(openAfter);
        QCOMPARE(f.dialogs().count(), 1);
        const Dialogs::Message& m = f.dialogs().last();
        QCOMPARE(m.caption, QStringLiteral("错误提示"));
        QCOMPARE(m.icon, Dialogs::Icon::Error);
        QVERIFY2(
            m.text.startsWith(QStringLiteral("备份失败！\r\n") + target + QStringLiteral("\r\n")),
            qPrintable(m.text));
        QVERIFY2(m.text.contains(reason), qPrintable(m.text));
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList(QStringLiteral("folder.mdb")));
        QCOMPARE(SafetyFixture::bytes(f.databasePath()), live);
        QCOMPARE(f.besideRegister(), QStringList(Lock));
        QCOMPARE(QDir(QStringLiteral("/proc"))
                     .entryList({QStringLiteral("*.part")}, QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // Part copies left by backups that were stopped (with what SQLite made beside them) go at
    // the next backup to that folder and at the next start, however fresh; one that a backup
    // running now holds stays.
    void stoppedBackupLeavesNothing_data() {
        QTest::addColumn<bool>("atStart");
        QTest::newRow("next backup") << false;
        QTest::newRow("next start") << true;
    }
    void stoppedBackupLeavesNothing() {
        QFETCH(bool, atStart);
        SafetyFixture f;
        const QDir folder(SafetyFixture::real(QStringLiteral("D:\\ZanbookBack")));
        QVERIFY(QDir().mkpath(folder.path()));
        for (const char* name :
             {".qintara-old.part", ".qintara-new.part", ".qintara-new.part-wal",
              ".qintara-new.part-shm", ".qintara-gone.part-journal", ".qintara-held.part"}) {
            QFile part(folder.filePath(QString::fromUtf8(name)));
            QVERIFY(part.open(QIODevice::WriteOnly));
            part.write("part");
            part.flush(); // before the time is set, not after
            if (QByteArray(name).contains("old"))
                QVERIFY(part.setFileTime(QDateTime::currentDateTime().addDays(-1),
                                         QFileDevice::FileModificationTime));
        }
        QFile held(folder.filePath(QStringLiteral(".qintara-held.part")));
        QVERIFY(held.open(QIODevice::ReadWrite));
        QCOMPARE(::flock(held.handle(), LOCK_EX | LOCK_NB), 0); // as a running backup holds it
        QVERIFY(f.start());
        if (!atStart)
            f.backupNow();
        QStringList left{".qintara-held.part"};
        if (!atStart)
            left << "Hestrel20240506.mdb";
        QCOMPARE(folder.entryList(QDir::Files | QDir::Hidden, QDir::Name), left);
    }

    // A register in write-ahead-log mode is copied as one file that opens without a log: no
    // -wal or -shm ever comes up beside the backups.
    void backupOfLogModeRegister() {
        SafetyFixture f;
        f.addContracts();
        QVERIFY(f.start());
        QSqlQuery program(f.dm().database().connection());
        QVERIFY(program.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
        QVERIFY(program.exec(QStringLiteral("DELETE FROM Compact WHERE 合同编号 = 'HT-003'")));
        f.backupNow();
        QCOMPARE(f.dialogs().texts(), QStringList(success(Proposed)));
        const QByteArray header = SafetyFixture::bytes(SafetyFixture::real(Proposed)).left(20);
        QCOMPARE(int(header.at(18)), 1);
        QCOMPARE(int(header.at(19)), 1);
        QCOMPARE(SafetyFixture::numbersIn(SafetyFixture::real(Proposed)),
                 QStringList({"HT-001", "HT-002"}));
        QCOMPARE(QDir(SafetyFixture::real(QStringLiteral("D:\\ZanbookBack")))
                     .entryList(QDir::Files | QDir::Hidden),
                 QStringList(QStringLiteral("Hestrel20240506.mdb")));
    }

    // A register file replaced under the running program (as another program's restore does)
    // is not the one the program reads: no backup of stale data reported as a success.
    void replacedRegisterIsNotBackedUp() {
        SafetyFixture f;
        f.addContracts();
        QVERIFY(f.start());
        const QString other = f.databasePath() + QStringLiteral(".other");
        QVERIFY(QFile::copy(f.databasePath(), other));
        QVERIFY(::rename(QFile::encodeName(other).constData(),
                         QFile::encodeName(f.databasePath()).constData()) == 0);
        f.backupNow();
        QCOMPARE(f.dialogs().texts(),
                 QStringList(QStringLiteral("备份失败！\r\n") + Proposed +
                             QStringLiteral("\r\n数据库文件已被替换或移走，请重新启动程序")));
        QVERIFY(!QFile::exists(SafetyFixture::real(Proposed)));
    }

    // A live register whose list index disagrees with its table is not copied as a good backup,
    // and the message names the register, not the copy.
    void damagedRegisterIsNotBackedUp() {
        SafetyFixture f;
        f.addContracts();
        DamagedRegister::indexDisagrees(f.databasePath());
        QVERIFY(f.start());
        bool openAfter = false;
        f.inBackup([&](QDialog* window) {
            SafetyFixture::press(window);
            openAfter = window->isVisible();
        });
        QVERIFY(openAfter);
        QCOMPARE(f.dialogs().texts(),
                 QStringList(QStringLiteral("备份失败！\r\n") + Proposed +
                             QStringLiteral("\r\n正在使用的数据库已损坏（文件已损坏），请先从完好的"
                                            "备份恢复")));
        QCOMPARE(QDir(SafetyFixture::real(QStringLiteral("D:\\ZanbookBack")))
                     .entryList(QDir::Files | QDir::Hidden),
                 QStringList());
    }

    // The copy is consistent while a contract is being edited, and the edit goes on: nothing
    // saved, nothing cancelled.
    void consistentWhileEditing() {
        SafetyFixture f;
        f.addContracts();
        QVERIFY(f.start());
        Dataset* c = f.dm().TBCompacter;
        QVERIFY(c->locate(QStringLiteral("合同编号"), QStringLiteral("HT-002")));
        c->edit();
        c->fieldByName(QStringLiteral("合同名称"))->setValue(QStringLiteral("改了一半"));
        f.backupNow();
        QCOMPARE(f.dialogs().texts(), QStringList(success(Proposed)));
        QCOMPARE(c->state(), DatasetState::Edit);
        QCOMPARE(c->value(QStringLiteral("合同名称")).toString(), QStringLiteral("改了一半"));

        QProcess sqlite;
        sqlite.start(QStringLiteral("sqlite3"),
                     {SafetyFixture::real(Proposed),
                      QStringLiteral("PRAGMA integrity_check; SELECT 合同名称 FROM Compact "
                                     "WHERE 合同编号 = 'HT-002';")});
        QVERIFY(sqlite.waitForFinished());
        QCOMPARE(sqlite.exitCode(), 0);
        QCOMPARE(QString::fromUtf8(sqlite.readAllStandardOutput())
                     .split(QLatin1Char('\n'), Qt::SkipEmptyParts),
                 QStringList({"ok", "合同HT-002"}));
        QVERIFY(c->post());
        QCOMPARE(f.scalar(QStringLiteral("SELECT 合同名称 FROM Compact WHERE 合同编号 = 'HT-002'"))
                     .toString(),
                 QStringLiteral("改了一半"));
    }

    // The copy is one committed state: what another program has not committed yet is not in
    // it, what the program committed is, also while it sits in a write-ahead log.
    void copyIsCommittedState_data() {
        QTest::addColumn<bool>("writeAheadLog");
        QTest::newRow("rollback journal") << false;
        QTest::newRow("write-ahead log") << true;
    }
    void copyIsCommittedState() {
        QFETCH(bool, writeAheadLog);
        SafetyFixture f;
        f.addContracts();
        QVERIFY(f.start());
        QSqlQuery program(f.dm().database().connection());
        if (writeAheadLog)
            QVERIFY(program.exec(QStringLiteral("PRAGMA journal_mode=WAL")));
        QVERIFY(program.exec(QStringLiteral("UPDATE Compact SET 合同编号 = 'HT-008' "
                                            "WHERE 合同编号 = 'HT-003'")));
        f.exec(QStringLiteral("BEGIN IMMEDIATE")); // the fixture's connection: another program
        f.exec(QStringLiteral("DELETE FROM Compact WHERE 合同编号 = 'HT-002'"));
        const QString target = SafetyFixture::real(QStringLiteral("D:\\copy.mdb"));
        QCOMPARE(RegisterBackup::run(f.dm().database(), target, false),
                 RegisterBackup::Result::Done);
        f.exec(QStringLiteral("COMMIT"));
        QCOMPARE(SafetyFixture::numbersIn(target), QStringList({"HT-001", "HT-002", "HT-008"}));
        QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), QStringList({"HT-001", "HT-008"}));
    }

    // A change the program makes while the copy is under way (a window repainting in between
    // may run a statement) is in the copy, never half of it.
    void changeWhileCopying() {
        SafetyFixture f;
        f.addContracts();
        QVERIFY(f.start());
        QSqlQuery program(f.dm().database().connection());
        bool changed = false;
        const QString target = SafetyFixture::real(QStringLiteral("D:\\copy.mdb"));
        QCOMPARE(RegisterBackup::run(f.dm().database(), target, false,
                                     [&](qint64, qint64) {
                                         if (!std::exchange(changed, true))
                                             QVERIFY(program.exec(QStringLiteral(
                                                 "DELETE FROM Compact WHERE 合同编号 = 'HT-002'")));
                                     }),
                 RegisterBackup::Result::Done);
        QVERIFY(changed);
        QCOMPARE(SafetyFixture::numbersIn(target), QStringList({"HT-001", "HT-003"}));
        QCOMPARE(SafetyFixture::numbersIn(f.databasePath()), QStringList({"HT-001", "HT-003"}));
    }
};

QINTARA_FILE_TEST(TestBackup)
#include "tst_backup.moc"

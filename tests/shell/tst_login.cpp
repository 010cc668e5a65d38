#include "common/testregistry.h"
#include "common/testserver.h"
#include "data/tdmod.h"
#include "shell/appcontext.h"
#include "shell/programexit.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"
#include "shellfixture.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

const QString Denied = QStringLiteral("您的权限不够，不能完成此项功能！");

// Clicks a toolbar button or triggers a menu item of the main window by its name.
void command(TfrmCompactManager& window, const QString& name) {
    if (auto* button = window.findChild<QToolButton*>(name))
        QTest::mouseClick(button, Qt::LeftButton);
    else
        window.findChild<QAction*>(name)->trigger();
}

} // namespace

class TestLogin : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void password_data() {
        QTest::addColumn<QVariant>("stored");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("exact") << QVariant(QStringLiteral("Abc1")) << "Abc1" << true;
        QTest::newRow("other case") << QVariant(QStringLiteral("Abc1")) << "abc1" << false;
        QTest::newRow("trailing blank") << QVariant(QStringLiteral("Abc1")) << "Abc1 " << false;
        QTest::newRow("none stored, empty box") << QVariant() << "" << true;
        QTest::newRow("none stored, typed") << QVariant() << "x" << false;
    }
    void password() {
        QFETCH(QVariant, stored);
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        ShellFixture f;
        f.addOperator(QStringLiteral("张三"), stored, {});
        QCOMPARE(f.start(QStringLiteral("张三"), typed), accepted);
        // a register of an earlier version: opening it replaced the typed texts by hashes
        QCOMPARE(f.count(QStringLiteral("Operator"),
                         QStringLiteral("Password IS NULL AND PasswordHash LIKE '$argon2id$%'")),
                 2);
        if (accepted) {
            QCOMPARE(f.dialogs().count(), 0);
            QCOMPARE(f.main().panelText(2), QStringLiteral("操作员：张三"));
            return;
        }
        // refused: the notice, and the dialog stayed open until it was closed without a login
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("口令错误！")));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::None);
        QVERIFY(f.loginDialog().CurUserName.isEmpty());
        QCOMPARE(f.main().panelText(2), QStringLiteral("操作员："));
    }

    // Not a trace of the password typed in an earlier version remains in the file, and a new
    // one set in 用户权限设置 replaces it: the old one is refused, the new one opens.
    void passwordsKeptOnlyAsHashes() {
        if (TestServer::active())
            QSKIP("reads the bytes of the register file");
        ShellFixture f;
        f.addOperator(QStringLiteral("张三"), QStringLiteral("Zq9#kPw"), {});
        QVERIFY(f.start(QStringLiteral("张三"), QStringLiteral("Zq9#kPw")));
        f.stop();
        QFile file(f.databasePath());
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(!file.readAll().contains("Zq9#kPw"));
    }

    // Nobody reads the register before a login: the first login dialog has nothing behind it.
    void noRegisterBeforeTheLogin() {
        ShellFixture f;
        f.addContract(QStringLiteral("HT-001"));
        QStringList behind;
        QStringList panels;
        f.modal.then([&](QDialog* dialog) {
            behind = ShellFixture::registerShown(f.main());
            panels = {f.main().panelText(2), f.main().panelText(3)};
            ShellFixture::login(QStringLiteral("管理员"), {})(dialog);
        });
        QVERIFY(f.start()); // its own login action comes after the one above
        QCOMPARE(behind, QStringList());
        QCOMPARE(panels,
                 QStringList({QStringLiteral("操作员："), QStringLiteral("共有    份合同")}));
        QCOMPARE(ShellFixture::registerShown(f.main()), QStringList(QStringLiteral("wwDBGrid1")));
    }

    void escapeEndsTheProgram() {
        ShellFixture f;
        f.modal.then([](QDialog* dialog) { QTest::keyClick(dialog, Qt::Key_Escape); });
        QVERIFY(!f.start());
        QVERIFY(ProgramExit::requested());
        QCOMPARE(f.dialogs().count(), 0);
    }

    void namesListedAndNothingChosen() {
        ShellFixture f;
        f.addOperator(QStringLiteral("张三"), {}, {});
        QStringList names;
        int chosen = 0;
        f.modal.then([&](QDialog* dialog) {
            auto* box = dialog->findChild<QComboBox*>(QStringLiteral("UserName"));
            for (int i = 0; i < box->count(); ++i)
                names << box->itemText(i);
            chosen = box->currentIndex();
            QVERIFY(!box->isEditable());
            QCOMPARE(dialog->findChild<QLineEdit*>(QStringLiteral("Password"))->echoMode(),
                     QLineEdit::Password);
            // no name chosen: "确定" does nothing
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BtYes")),
                              Qt::LeftButton);
            QVERIFY(dialog->isVisible());
            ShellFixture::login(QStringLiteral("张三"), {})(dialog);
        });
        QVERIFY(f.start());
        QCOMPARE(names, QStringList({QStringLiteral("管理员"), QStringLiteral("张三")}));
        QCOMPARE(chosen, -1);
        QCOMPARE(f.dialogs().count(), 0);
    }

    // Each guarded command: denied, only the message; granted, its window opens.
    void guardedCommands_data() {
        QTest::addColumn<QString>("command");
        QTest::addColumn<QString>("right");
        QTest::addColumn<QString>("window");
        QTest::newRow("用户管理") << "N6"
                                  << "用户权限设置"
                                  << "quanxfrm";
        QTest::newRow("数据备份") << "N10"
                                  << "数据备份"
                                  << "BFen";
        QTest::newRow("数据恢复") << "N11"
                                  << "数据恢复"
                                  << "HFu";
        QTest::newRow("合同增加") << "SpeedButton5"
                                  << "增加"
                                  << "FormAddCom";
        QTest::newRow("新增记录") << "N13"
                                  << "增加"
                                  << "FormAddCom";
    }
    void guardedCommands() {
        QFETCH(QString, command);
        QFETCH(QString, right);
        QFETCH(QString, window);
        ShellFixture f;
        f.addContract(QStringLiteral("HT-001"));
        f.addOperator(QStringLiteral("张三"), {}, {});
        f.addOperator(QStringLiteral("李四"), {}, {right});
        QVERIFY(f.start(QStringLiteral("张三")));
        f.modal.seen.clear();
        ::command(f.main(), command);
        QVERIFY(f.modal.seen.isEmpty());
        QCOMPARE(f.dialogs().texts(), QStringList(Denied));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("信息提示"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::Information);
        QCOMPARE(f.dialogs().last().buttons, Dialogs::Buttons(Dialogs::Button::Ok));
        QCOMPARE(f.dm().TBCompacter->state(), DatasetState::Browse);

        QVERIFY(f.start(QStringLiteral("李四")));
        f.dialogs().clear();
        f.modal.seen.clear();
        ::command(f.main(), command);
        QCOMPARE(f.modal.seen, QStringList(window));
        QCOMPARE(f.dialogs().count(), 0);
    }

    void deleteDeniedAsksNothing() {
        ShellFixture f;
        f.addContract(QStringLiteral("HT-001"));
        f.addOperator(QStringLiteral("张三"), {}, {QStringLiteral("增加")});
        QVERIFY(f.start(QStringLiteral("张三")));
        for (const char* name : {"DelCompSBtn", "N15"})
            command(f.main(), QString::fromUtf8(name));
        QCOMPARE(f.dialogs().texts(), QStringList({Denied, Denied}));
        QCOMPARE(f.count(QStringLiteral("Compact")), 1);
    }

    // An operator deleted since the login has no rights any more.
    void operatorGoneIsDenied() {
        ShellFixture f;
        f.addOperator(QStringLiteral("张三"), {}, {QStringLiteral("删除")});
        QVERIFY(f.start(QStringLiteral("张三")));
        QVERIFY(f.loginDialog().CheckOperatorRight(QStringLiteral("删除")));
        f.exec(QStringLiteral("DELETE FROM Operator WHERE OperatorName = '张三'"));
        f.loginDialog().TBLogin->refresh(); // as the operators window does when it closes
        QVERIFY(!f.loginDialog().CheckOperatorRight(QStringLiteral("删除")));
        QCOMPARE(f.dialogs().texts(), QStringList(Denied));
    }
};
QINTARA_TEST(TestLogin)
#include "tst_login.moc"

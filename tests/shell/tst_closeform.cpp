#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "data/tdmod.h"
#include "shell/appcontext.h"
#include "shell/programexit.h"
#include "shell/tcloseform.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"
#include "shellfixture.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QTest>
#include <QTimer>
#include <QToolButton>

namespace {

Modal::ScriptedModal::Action click(QPushButton* TCloseForm::*button) {
    return [button](QDialog* dialog) {
        QTest::mouseClick(static_cast<TCloseForm*>(dialog)->*button, Qt::LeftButton);
    };
}

// Drops the maximised state of a window it hides, as window managers do with a withdrawn window.
class ForgetfulWindowManager : public QObject {
public:
    explicit ForgetfulWindowManager(QWidget* window) : m_window(window) {
        window->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_window && event->type() == QEvent::Hide)
            m_window->setWindowState(m_window->windowState() & ~Qt::WindowMaximized);
        return false;
    }

private:
    QWidget* m_window;
};

} // namespace

class TestCloseForm : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cancelChangesNothing() {
        ShellFixture f;
        f.addContract(QStringLiteral("HT-001"));
        f.addContract(QStringLiteral("HT-002"));
        QVERIFY(f.start());
        f.dm().TBCompacter->setRecNo(2);
        f.modal.seen.clear();
        f.modal.then(click(&TCloseForm::Button3));
        f.main().N3->trigger();
        QCOMPARE(f.modal.seen, QStringList(QStringLiteral("CloseForm")));
        QCOMPARE(app().CloseForm->CloseChoice, int(TCloseForm::Cancel));
        QVERIFY(f.main().isVisible());
        QVERIFY(!ProgramExit::requested());
        QCOMPARE(f.main().panelText(2), QStringLiteral("操作员：管理员"));
        QCOMPARE(f.dm().TBCompacter->recNo(), 2);
        QVERIFY(f.dm().database().isOpen());
    }

    // Enter and Esc do nothing; a showing starts at 0 even after a cancel.
    void choiceStartsAtZero() {
        ShellFixture f;
        QVERIFY(f.start());
        f.modal.then(click(&TCloseForm::Button3));
        f.main().close();
        QCOMPARE(app().CloseForm->CloseChoice, int(TCloseForm::Cancel));
        int atShow = -1;
        f.modal.then([&](QDialog* dialog) {
            atShow = app().CloseForm->CloseChoice;
            QTest::keyClick(dialog, Qt::Key_Return);
            QTest::keyClick(dialog, Qt::Key_Escape);
            QVERIFY(dialog->isVisible());
        }); // then closed without a choice
        f.main().close();
        QCOMPARE(atShow, 0);
        QCOMPARE(app().CloseForm->CloseChoice, int(TCloseForm::Exit));
        QVERIFY(ProgramExit::requested());
        QVERIFY(!f.main().isVisible());
        QVERIFY(f.dm().database().isOpen()); // only the exit choice closes the register
    }

    void exitClosesTheRegister() {
        ShellFixture f;
        QVERIFY(f.start());
        f.modal.then(click(&TCloseForm::Button1));
        QTest::mouseClick(f.main().SpeedButton3, Qt::LeftButton);
        QVERIFY(ProgramExit::requested());
        QVERIFY(!f.main().isVisible());
        QVERIFY(!f.dm().TBCompacter->isActive());
        QVERIFY(!f.dm().database().isOpen());
    }

    void pictureClicksItsButton() {
        ShellFixture f;
        QVERIFY(f.start());
        f.modal.then([](QDialog* dialog) {
            QTest::mouseClick(static_cast<TCloseForm*>(dialog)->Image3, Qt::LeftButton);
        });
        f.main().close();
        QCOMPARE(app().CloseForm->CloseChoice, int(TCloseForm::Cancel));
        QVERIFY(f.main().isVisible());
    }

    // The login comes again with the last name but an empty password: Enter does not let the
    // next person in as the previous operator.
    void switchUser() {
        ShellFixture f;
        f.addOperator(QStringLiteral("张三"), QStringLiteral("pw"), {});
        f.addContract(QStringLiteral("HT-001"));
        QVERIFY(f.start(QStringLiteral("张三"), QStringLiteral("pw")));
        f.main().Timer1Timer();
        f.modal.seen.clear();
        QString name, password;
        bool stayedOpen = false;
        f.modal.then(click(&TCloseForm::Button2)).then([&](QDialog* dialog) {
            name = dialog->findChild<QComboBox*>(QStringLiteral("UserName"))->currentText();
            auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("Password"));
            password = box->text();
            QTest::keyClick(dialog, Qt::Key_Return);
            stayedOpen = dialog->isVisible();
            ShellFixture::typeText(box, QStringLiteral("pw"));
            QTest::keyClick(dialog, Qt::Key_Return);
        });
        f.main().close();
        QCOMPARE(f.modal.seen, QStringList({QStringLiteral("CloseForm"), QStringLiteral("Login")}));
        QCOMPARE(name, QStringLiteral("张三"));
        QCOMPARE(password, QString());
        QVERIFY(stayedOpen);
        QCOMPARE(f.dialogs().texts(), QStringList(QStringLiteral("口令错误！")));
        QVERIFY(f.main().isVisible());
        QVERIFY(!ProgramExit::requested());
        QCOMPARE(f.main().panelText(2), QStringLiteral("操作员：张三"));
        QCOMPARE(f.main().panelText(3), QStringLiteral("共有  1  条记录"));
        QVERIFY(f.main().Timer1->isActive()); // the reminder check runs again

        // another operator, then "退出" in the login ends the program
        f.modal.then(click(&TCloseForm::Button2))
            .then(ShellFixture::login(QStringLiteral("管理员"), {}));
        f.main().close();
        QCOMPARE(f.main().panelText(2), QStringLiteral("操作员：管理员"));
        QCOMPARE(f.loginDialog().CurUserName, QStringLiteral("管理员"));
        f.modal.then(click(&TCloseForm::Button2)).then([](QDialog* dialog) {
            QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BtNo")),
                              Qt::LeftButton);
        });
        f.main().close();
        QVERIFY(ProgramExit::requested());
    }

    // Behind the login of a switch of user nothing of the register shows; after the login the
    // lists and the count are back.
    void switchUserShowsNoRegisterBehindTheLogin() {
        ShellFixture f;
        f.addPartner(QStringLiteral("P1"), QStringLiteral("甲公司"), true, true);
        f.addContract(QStringLiteral("HT-001"), QStringLiteral("P1"));
        QVERIFY(f.start());
        ShellFixture::chooseTab(f.main(), 2);
        QStringList behind;
        QString count;
        f.modal.then(click(&TCloseForm::Button2)).then([&](QDialog* dialog) {
            behind = ShellFixture::registerShown(f.main());
            count = f.main().panelText(3);
            ShellFixture::login(QStringLiteral("管理员"), {})(dialog);
        });
        QTest::mouseClick(f.main().SpeedButton3, Qt::LeftButton);
        QCOMPARE(behind, QStringList());
        QCOMPARE(count, QStringLiteral("共有    份合同"));
        QCOMPARE(ShellFixture::registerShown(f.main()),
                 QStringList({QStringLiteral("DBGrid3"), QStringLiteral("DBGrid4")}));
        QCOMPARE(f.main().panelText(3), QStringLiteral("共有  1  条记录"));
    }

    // However the window was asked to close, a switch of user brings it back as it was, even
    // where the window manager forgets the state of a window it hid.
    void switchUserKeepsTheWindowState_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("退出系统, maximised") << "SpeedButton3" << true;
        QTest::newRow("close box, maximised") << "close" << true;
        QTest::newRow("退出系统, normal") << "SpeedButton3" << false;
    }
    void switchUserKeepsTheWindowState() {
        QFETCH(QString, how);
        QFETCH(bool, maximised);
        ShellFixture f;
        QVERIFY(f.start());
        TfrmCompactManager& w = f.main();
        QVERIFY(w.isMaximized());
        if (!maximised)
            w.showNormal();
        ForgetfulWindowManager wm(&w);
        f.modal.then(click(&TCloseForm::Button2))
            .then(ShellFixture::login(QStringLiteral("管理员"), {}));
        if (how == QLatin1String("close"))
            w.close();
        else
            QTest::mouseClick(w.SpeedButton3, Qt::LeftButton);
        QVERIFY(w.isVisible());
        QCOMPARE(w.isMaximized(), maximised);
    }
};
QINTARA_TEST(TestCloseForm)
#include "tst_closeform.moc"

// The operators window: names, rights as saved for the login and the permission check, delete,
// and the last operator who may manage operators.
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "data/passwordhash.h"
#include "data/tdmod.h"
#include "masterdata/checkcolumndelegate.h"
#include "masterdata/tquanxfrm.h"
#include "masterdatafixture.h"
#include "shell/tcloseform.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"

#include <QCheckBox>
#include <QSignalSpy>
#include <QTest>
#include <QToolButton>

using State = MasterDataWindow::State;

namespace {

const QString Denied = QStringLiteral("您的权限不够，不能完成此项功能！");
const QString Manager = QStringLiteral("用户权限设置");

QString headers(DBGrid* grid) {
    QStringList titles;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        titles << grid->model()->headerData(c, Qt::Horizontal).toString();
    return titles.join(u',');
}

} // namespace

class TestOperators : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<MasterDataFixture>(); }
    void cleanup() { f.reset(); }

    // 张三 with 增加 only: after the window closes the login offers him, and he may add
    // contracts but not delete them.
    void addedOperatorLogsInWithHisRights() {
        f->addContract(QStringLiteral("HT-1"));
        QVERIFY(f->start());
        operators([](Tquanxfrm& w) {
            QCOMPARE(
                headers(w.wwDBGrid1),
                QStringLiteral("用户名称,增加,删除,修改,用户权限设置,数据备份,数据恢复,网络设置"));
            MasterDataFixture::click(w.Button1);
            QVERIFY(!w.DBCheckBox1->isChecked() && !w.DBCheckBox7->isChecked());
            MasterDataFixture::type(w.DBEdit1, QStringLiteral("张三"));
            w.DBEdit2->setFocus();
            QTest::keyClicks(w.DBEdit2, QStringLiteral("pw1"));
            QCOMPARE(w.DBEdit2->echoMode(), QLineEdit::Password);
            MasterDataFixture::click(w.DBCheckBox1);
            MasterDataFixture::click(w.Button5);
            QCOMPARE(w.state(), State::List);
            QCOMPARE(MasterDataFixture::column(w.wwDBGrid1, 0),
                     QStringList({QStringLiteral("管理员"), QStringLiteral("张三")}));
            const QAbstractItemModel* model = w.wwDBGrid1->model();
            QVERIFY(CheckColumnDelegate::isTicked(model->index(1, 1)));  // 增加
            QVERIFY(!CheckColumnDelegate::isTicked(model->index(1, 2))); // 删除
        });
        QVERIFY(storedPasswordIs(QStringLiteral("张三"), QStringLiteral("pw1")));
        QVERIFY(f->loginDialog().TBLogin->locate(QStringLiteral("OperatorName"),
                                                 QStringLiteral("张三")));

        f->modal
            .then([](QDialog* dialog) {
                MasterDataFixture::click(static_cast<TCloseForm*>(dialog)->Button2);
            })
            .then(ShellFixture::login(QStringLiteral("张三"), QStringLiteral("pw1")));
        f->main().close();
        QCOMPARE(f->main().panelText(2), QStringLiteral("操作员：张三"));
        f->modal.seen.clear();
        MasterDataFixture::click(f->main().SpeedButton5);
        QCOMPARE(f->modal.seen, QStringList{QStringLiteral("FormAddCom")});
        MasterDataFixture::click(f->main().DelCompSBtn);
        QCOMPARE(f->dialogs().texts(), QStringList{Denied});
        QCOMPARE(f->count(QStringLiteral("Compact")), 1);
    }

    void names_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("message");
        QTest::newRow("empty") << QString() << "用户名称不可为空！";
        QTest::newRow("three blanks") << "   " << QString();
        QTest::newRow("existing") << "管理员"
                                  << "用户名称不可重名!";
    }
    void names() {
        QFETCH(QString, name);
        QFETCH(QString, message);
        QVERIFY(f->start());
        operators([&](Tquanxfrm& w) {
            MasterDataFixture::click(w.Button1);
            if (!name.isEmpty())
                MasterDataFixture::type(w.DBEdit1, name);
            MasterDataFixture::click(w.Button5);
            if (message.isEmpty()) {
                QCOMPARE(f->dialogs().count(), 0);
                QCOMPARE(w.state(), State::List);
                return;
            }
            QCOMPARE(f->dialogs().texts(), QStringList{message});
            QCOMPARE(w.state(), State::Adding);
            QVERIFY(w.isEditLayout());
            QCOMPARE(w.dataset()->state(), DatasetState::Insert);
        });
        QCOMPARE(f->count(QStringLiteral("Operator")), message.isEmpty() ? 2 : 1);
        if (message.isEmpty())
            QCOMPARE(
                f->count(QStringLiteral("Operator"), QStringLiteral("OperatorName = ?"), {name}),
                1);
        else if (name.isEmpty())
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("信息提示"));
        else
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("Qintara合同管理系统"));
    }

    // Emptying the name and leaving the box discards the new operator at once.
    void emptiedNameReturnsToTheList() {
        QVERIFY(f->start());
        operators([](Tquanxfrm& w) {
            MasterDataFixture::click(w.Button1);
            MasterDataFixture::type(w.DBEdit1, QStringLiteral("王五"));
            MasterDataFixture::erase(w.DBEdit1);
            QCOMPARE(w.state(), State::Adding); // still in the box
            w.DBEdit2->setFocus();
            QCOMPARE(w.state(), State::List);
            QVERIFY(!w.editPanel()->isVisible() && w.buttonBar()->isVisible());
            QVERIFY(w.wwDBGrid1->isEnabled());
            QCOMPARE(w.dataset()->state(), DatasetState::Browse);
        });
        QCOMPARE(f->count(QStringLiteral("Operator")), 1);
    }

    void closingWhileAddingDropsTheOperator() {
        QVERIFY(f->start());
        operators([](Tquanxfrm& w) {
            MasterDataFixture::click(w.Button1);
            MasterDataFixture::type(w.DBEdit1, QStringLiteral("王五"));
            w.close();
        });
        QCOMPARE(f->count(QStringLiteral("Operator")), 1);
        QVERIFY(!f->loginDialog().TBLogin->locate(QStringLiteral("OperatorName"),
                                                  QStringLiteral("王五")));
    }

    // Whatever the answer, the login list is repainted.
    void deleteQuestion() {
        f->addOperator(QStringLiteral("李四"), QVariant(), {});
        QVERIFY(f->start());
        operators([this](Tquanxfrm& w) {
            QSignalSpy repainted(&w, &Tquanxfrm::repaintLoginList);
            w.dataset()->setRecNo(2);
            f->dialogs().answer(Dialogs::Button::No);
            MasterDataFixture::click(w.Button3);
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("删除用户"));
            QCOMPARE(f->dialogs().last().text,
                     QStringLiteral("确定删除用户名为：\r\n李四记录吗？"));
            QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Question);
            QCOMPARE(repainted.count(), 1);
            QCOMPARE(w.dataset()->recordCount(), 2);
            f->dialogs().answer(Dialogs::Button::Yes);
            MasterDataFixture::click(w.Button3);
            QCOMPARE(repainted.count(), 2);
        });
        QCOMPARE(f->count(QStringLiteral("Operator")), 1);
    }

    // The box shows no stored password: left empty on 修改 it keeps the password, typed into it
    // replaces it; the register holds a hash either way.
    void passwordKeptOrReplaced() {
        f->addOperator(QStringLiteral("李四"), QStringLiteral("old1"), {});
        QVERIFY(f->start());
        auto modify = [this](const QString& typed) {
            operators([&](Tquanxfrm& w) {
                ShellFixture::clickRow(w.wwDBGrid1, 1);
                MasterDataFixture::click(w.Button2);
                QCOMPARE(w.DBEdit2->text(), QString());
                QCOMPARE(w.DBEdit2->placeholderText(), QStringLiteral("不修改请留空"));
                MasterDataFixture::click(w.DBCheckBox1);
                if (!typed.isEmpty())
                    MasterDataFixture::type(w.DBEdit2, typed);
                MasterDataFixture::click(w.Button5);
                QCOMPARE(w.state(), State::List);
            });
        };
        modify({});
        QVERIFY(storedPasswordIs(QStringLiteral("李四"), QStringLiteral("old1")));
        QCOMPARE(f->count(QStringLiteral("Operator"), QStringLiteral("增加 <> 0")), 2);
        modify(QStringLiteral("new2"));
        QVERIFY(storedPasswordIs(QStringLiteral("李四"), QStringLiteral("new2")));
        QVERIFY(!storedPasswordIs(QStringLiteral("李四"), QStringLiteral("old1")));
        QCOMPARE(f->count(QStringLiteral("Operator"), QStringLiteral("Password IS NOT NULL")), 0);
        f->stop();
        QVERIFY(!f->start(QStringLiteral("李四"), QStringLiteral("old1")));
        QVERIFY(f->start(QStringLiteral("李四"), QStringLiteral("new2")));
    }

    // Another operator keeps the right: the logged-in one may give up his own, and the next
    // "用户管理" is refused.
    void givingUpOnesOwnRight() {
        f->addOperator(QStringLiteral("李四"), QVariant(), {Manager});
        QVERIFY(f->start());
        operators([](Tquanxfrm& w) {
            w.dataset()->locate(QStringLiteral("OperatorName"), QStringLiteral("管理员"));
            MasterDataFixture::click(w.Button2);
            QVERIFY(w.DBCheckBox7->isChecked());
            MasterDataFixture::click(w.DBCheckBox7);
            MasterDataFixture::click(w.Button5);
            QCOMPARE(w.state(), State::List);
        });
        QCOMPARE(f->count(QStringLiteral("Operator"), QStringLiteral("用户权限设置 <> 0")), 1);
        f->modal.seen.clear();
        f->main().N6->trigger();
        QCOMPARE(f->dialogs().texts(), QStringList{Denied});
        QVERIFY(f->modal.seen.isEmpty());
    }

    // The one operator who may manage operators keeps that right: neither unticking it nor a
    // delete goes through, and the row stays as it was.
    void lastManagerKept() {
        f->addOperator(QStringLiteral("李四"), QVariant(), {QStringLiteral("增加")});
        QVERIFY(f->start());
        operators([this](Tquanxfrm& w) {
            w.dataset()->locate(QStringLiteral("OperatorName"), QStringLiteral("管理员"));
            MasterDataFixture::click(w.Button2);
            MasterDataFixture::click(w.DBCheckBox7);
            MasterDataFixture::click(w.Button5);
            QCOMPARE(f->dialogs().texts(), QStringList{Tquanxfrm::LastManagerText});
            QCOMPARE(f->dialogs().last().caption, QStringLiteral("信息提示"));
            QCOMPARE(f->dialogs().last().icon, Dialogs::Icon::Information);
            QCOMPARE(w.state(), State::Modifying);
            QCOMPARE(w.dataset()->state(), DatasetState::Edit);
            MasterDataFixture::click(w.Button6);

            f->dialogs().clear();
            MasterDataFixture::click(w.Button3);
            QCOMPARE(f->dialogs().texts(), QStringList{Tquanxfrm::LastManagerText});
            QCOMPARE(w.dataset()->recordCount(), 2);
            // giving the right to another first lets the first one go
            w.dataset()->locate(QStringLiteral("OperatorName"), QStringLiteral("李四"));
            MasterDataFixture::click(w.Button2);
            MasterDataFixture::click(w.DBCheckBox7);
            MasterDataFixture::click(w.Button5);
            w.dataset()->locate(QStringLiteral("OperatorName"), QStringLiteral("管理员"));
            f->dialogs().answer(Dialogs::Button::Yes);
            MasterDataFixture::click(w.Button3);
        });
        QCOMPARE(f->count(QStringLiteral("Operator")), 1);
        QCOMPARE(
            f->stored(QStringLiteral("SELECT OperatorName FROM Operator WHERE 用户权限设置 = 1")),
            QVariant(QStringLiteral("李四")));
    }

private:
    bool storedPasswordIs(const QString& name, const QString& password) {
        return PasswordHash::matches(
            f->stored(QStringLiteral("SELECT PasswordHash FROM Operator WHERE OperatorName = ?"),
                      {name})
                .toString(),
            password);
    }
    void operators(const MasterDataFixture::Steps<Tquanxfrm>& steps) {
        f->inWindow<Tquanxfrm>(f->main().N6, steps);
    }

    std::unique_ptr<MasterDataFixture> f;
};

QINTARA_TEST(TestOperators)
#include "tst_operators.moc"

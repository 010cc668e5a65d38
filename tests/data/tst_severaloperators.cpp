// Several operators on one register: two data modules, each with its own connection, as two
// programs on two desks have.
#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "common/testserver.h"
#include "contracts/nextcompactno.h"
#include "data/managerguard.h"

#include <QCoreApplication>
#include <QSqlQuery>
#include <QTest>

namespace {

const QString Number = QStringLiteral("合同编号");
const QString Name = QStringLiteral("合同名称");
const QString ConflictText = QStringLiteral("该记录已被其他程序修改或删除，无法保存。");

// The announcements the server sent a program so far reach it: its next statement brings
// in those that came before the answer, and the event loop hands them on.
void settle(TDMod& dm) {
    QSqlQuery q(dm.database().connection());
    q.exec(QStringLiteral("SELECT 1"));
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

QVariant keyOf(RegisterFixture& f, const QString& number) {
    return f.scalar(QStringLiteral("SELECT CompactID FROM Compact WHERE 合同编号 = ?"), {number});
}

void fill(RegisterFixture& f) {
    f.addPartner(QStringLiteral("P1"), QStringLiteral("甲方"), true, false);
    for (const char* number : {"HT1", "HT2", "HT3"})
        f.addContract(QString::fromLatin1(number), QStringLiteral("合同"), QStringLiteral("P1"),
                      QStringLiteral("收款"), 100);
}

void rename(TDMod& dm, const QString& number, const QString& name) {
    QVERIFY(dm.TBCompacter->locate(Number, number));
    dm.TBCompacter->edit();
    dm.TBCompacter->fieldByName(Name)->setValue(name);
}

// The server ends the program's connection, as a network failure would.
void breakLink(RegisterFixture& f, TDMod& dm) {
    QSqlQuery pid(dm.database().connection());
    QVERIFY(pid.exec(QStringLiteral("SELECT pg_backend_pid()")) && pid.next());
    f.scalar(QStringLiteral("SELECT pg_terminate_backend(?)"), {pid.value(0)});
}

} // namespace

class TestSeveralOperators : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The second of two operators saving the same contract is refused and keeps what was
    // typed; the first one's save stays. A contract deleted by one while the other edits it is
    // not written back either. Once the edit is given up, the list shows the register.
    void secondSaveOfAContractIsRefused_data() {
        QTest::addColumn<bool>("deleted");
        QTest::newRow("changed") << false;
        QTest::newRow("deleted") << true;
    }
    void secondSaveOfAContractIsRefused() {
        QFETCH(bool, deleted);
        RegisterFixture f;
        fill(f);
        TDMod& first = f.openModule();
        TDMod second(f.databasePath());
        rename(second, QStringLiteral("HT2"), QStringLiteral("第二位"));
        if (deleted) {
            QVERIFY(first.TBCompacter->locate(Number, QStringLiteral("HT2")));
            first.deleteContract();
        } else {
            rename(first, QStringLiteral("HT2"), QStringLiteral("第一位"));
            QVERIFY(first.TBCompacter->post());
        }
        settle(second);
        QVERIFY(!second.TBCompacter->post());
        QCOMPARE(f.dialogs().texts(), QStringList{ConflictText});
        QCOMPARE(second.TBCompacter->state(), DatasetState::Edit);
        QCOMPARE(second.TBCompacter->value(Name).toString(), QStringLiteral("第二位"));
        QCOMPARE(f.count(QStringLiteral("Compact"), QStringLiteral("合同编号 = 'HT2'")),
                 deleted ? 0 : 1);
        if (!deleted)
            QCOMPARE(f.scalar(QStringLiteral("SELECT 合同名称 FROM Compact WHERE 合同编号 = 'HT2'"))
                         .toString(),
                     QStringLiteral("第一位"));
        second.TBCompacter->cancel();
        if (!TestServer::active())
            return; // a file has one program at a time: nothing announces changes
        QCOMPARE(second.TBCompacter->locate(Number, QStringLiteral("HT2")), !deleted);
        if (!deleted)
            QCOMPARE(second.TBCompacter->value(Name).toString(), QStringLiteral("第一位"));
    }

    // Two operators press 合同增加 at once and are proposed the same number: the one who saves
    // second is told and given the next free number; a number typed by hand that exists stays
    // refused as a duplicate.
    void takenNumberIsProposedAnew_data() {
        QTest::addColumn<QString>("proposed");
        QTest::addColumn<QString>("typed");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QString>("after");
        QTest::newRow("proposed")
            << "HT4"
            << "HT4"
            << QStringList{QStringLiteral(
                   "合同编号“HT4”已被其他操作员使用，新合同的编号已改为“HT5”，请再次保存。")}
            << "HT5";
        QTest::newRow("typed by hand")
            << "HT4"
            << "HT1" << QStringList{QStringLiteral("编号不可重名")} << "HT1";
    }
    void takenNumberIsProposedAnew() {
        QFETCH(QString, proposed);
        QFETCH(QString, typed);
        QFETCH(QStringList, texts);
        QFETCH(QString, after);
        RegisterFixture f;
        fill(f);
        TDMod& first = f.openModule();
        TDMod second(f.databasePath());
        for (TDMod* dm : {&first, &second}) {
            dm->nextNumber = NextCompactNo;
            dm->TBCompacter->append();
            dm->TBCompacter->fieldByName(Number)->setValue(proposed);
            dm->proposedNumber = proposed;
            dm->TBCompacter->fieldByName(Name)->setValue(QStringLiteral("新合同"));
        }
        QVERIFY(first.TBCompacter->post());
        second.TBCompacter->fieldByName(Number)->setValue(typed);
        QVERIFY(!second.TBCompacter->post());
        QCOMPARE(f.dialogs().texts(), texts);
        QCOMPARE(second.TBCompacter->state(), DatasetState::Insert);
        QCOMPARE(second.TBCompacter->value(Number).toString(), after);
        if (after == typed)
            return;
        QVERIFY(second.TBCompacter->post());
        QCOMPARE(f.count(QStringLiteral("Compact"), QStringLiteral("合同名称 = '新合同'")), 2);
        QCOMPARE(f.count(QStringLiteral("Compact"), QStringLiteral("合同编号 = ?"), {after}), 1);
    }

    // Two operators each take the right 用户权限设置 from one of its two holders: whoever
    // saves second is refused, and one holder stays.
    void lastHolderOfTheRightsRightStays() {
        RegisterFixture f;
        f.exec(QStringLiteral("INSERT INTO Operator (OperatorName, \"用户权限设置\") VALUES "
                              "('张三', 1)"));
        TDMod& first = f.openModule();
        TDMod second(f.databasePath());
        const QString right = QStringLiteral("用户权限设置");
        const QString user = QStringLiteral("OperatorName");
        QVERIFY(first.TBOperator->locate(user, QStringLiteral("管理员")));
        QVERIFY(second.TBOperator->locate(user, QStringLiteral("张三")));
        for (TDMod* dm : {&first, &second}) {
            dm->TBOperator->edit();
            dm->TBOperator->fieldByName(right)->setValue(false);
        }
        QVERIFY(first.TBOperator->post());
        QVERIFY(!second.TBOperator->post());
        QCOMPARE(f.dialogs().texts(), QStringList{ManagerGuard::LastManagerText});
        QCOMPARE(f.count(QStringLiteral("Operator"), QStringLiteral("\"用户权限设置\" <> 0")), 1);
        QCOMPARE(f.scalar(QStringLiteral("SELECT OperatorName FROM Operator WHERE "
                                         "\"用户权限设置\" <> 0"))
                     .toString(),
                 QStringLiteral("张三"));
    }

    // A save, an add and a delete by one operator reach the other's open lists as the server
    // announces them: the contract list, the partner list's counts, the instalments and their
    // sums; the other's cursor and the row being typed stay.
    void changesReachTheOtherOperator() {
        if (!TestServer::active())
            QSKIP("one program at a time works on a file");
        RegisterFixture f;
        fill(f);
        const int ht1 = keyOf(f, QStringLiteral("HT1")).toInt();
        TDMod& first = f.openModule();
        TDMod second(f.databasePath());
        Dataset* list = second.TBCompacter;
        TDMod::reread(second.TBShouKuanZong);
        TDMod::reread(second.TBShoukuan);
        rename(second, QStringLiteral("HT2"), QStringLiteral("正在输入"));
        const int cursor = list->recNo();

        rename(first, QStringLiteral("HT1"), QStringLiteral("改过"));
        QVERIFY(first.TBCompacter->post());
        first.TBCompacter->append();
        first.TBCompacter->fieldByName(Number)->setValue(QStringLiteral("HT9"));
        first.TBCompacter->fieldByName(QStringLiteral("SCNum"))->setValue(QStringLiteral("P1"));
        QVERIFY(first.TBCompacter->post());
        QVERIFY(first.TBCompacter->locate(Number, QStringLiteral("HT3")));
        first.deleteContract();
        QVERIFY(first.TBCompacter->locate(Number, QStringLiteral("HT1")));
        first.TBSKJiLu->append();
        first.TBSKJiLu->fieldByName(QStringLiteral("应收金额"))
            ->setValue(QVariant::fromValue(Currency::fromDouble(40)));
        QVERIFY(first.TBSKJiLu->post());
        settle(second);

        QCOMPARE(list->state(), DatasetState::Edit);
        QCOMPARE(list->value(Name).toString(), QStringLiteral("正在输入"));
        QCOMPARE(list->recNo(), cursor);
        QCOMPARE(list->recordCount(), 3);
        QCOMPARE(list->storedValue(ht1, Name).toString(), QStringLiteral("改过"));
        QVERIFY(list->post());
        QVERIFY(list->locate(Number, QStringLiteral("HT9")));
        QVERIFY(!list->locate(Number, QStringLiteral("HT3")));
        QVERIFY(second.TBMarst->locate(QStringLiteral("客户/供应商编号"), QStringLiteral("P1")));
        QCOMPARE(second.TBMarst->value(QStringLiteral("合同数量")).toInt(), 3);
        QVERIFY(second.TBShouKuanZong->locate(QStringLiteral("客户编号"), QStringLiteral("P1")));
        QCOMPARE(second.TBShouKuanZong->value(QStringLiteral("应收金额")).value<Currency>(),
                 Currency::fromDouble(40));
        QVERIFY(second.TBShoukuan->locate(Number, QStringLiteral("HT1")));
        QCOMPARE(second.TBShoukuan->value(QStringLiteral("应收金额")).value<Currency>(),
                 Currency::fromDouble(40));
    }

    // Another operator put the whole register back from a backup: the open lists are read
    // again, what was being typed is given up, and the operator is told.
    void registerPutBackIsReadAgain() {
        if (!TestServer::active())
            QSKIP("one program at a time works on a file");
        RegisterFixture f;
        fill(f);
        TDMod& dm = f.openModule();
        rename(dm, QStringLiteral("HT1"), QStringLiteral("输入中"));
        // a bulk writer announces nothing row by row, and the whole register once
        f.exec(QStringLiteral("SELECT set_config('qintara.quiet', 'on', false)"));
        f.exec(QStringLiteral("DELETE FROM Compact WHERE 合同编号 = 'HT3'"));
        f.exec(QStringLiteral("SELECT pg_notify('qintara_changes', '*:restore:0')"));
        settle(dm);
        QCOMPARE(f.dialogs().texts(), QStringList{QStringLiteral(
                                          "其他操作员已从备份恢复了数据库，所有数据已重新读取。")});
        QCOMPARE(dm.TBCompacter->state(), DatasetState::Browse);
        QCOMPARE(dm.TBCompacter->recordCount(), 2);
        QVERIFY(!dm.TBCompacter->locate(Number, QStringLiteral("HT3")));
    }

    // The server drops the connection: the save says so and keeps what was typed; the next
    // save connects again and is written once, and the other operator's changes arrive again.
    void droppedConnectionIsOpenedAgain() {
        if (!TestServer::active())
            QSKIP("a file has no connection to lose");
        RegisterFixture f;
        fill(f);
        TDMod& first = f.openModule();
        TDMod second(f.databasePath());
        rename(first, QStringLiteral("HT1"), QStringLiteral("断线前输入"));
        breakLink(f, first);
        QVERIFY(!first.TBCompacter->post());
        QCOMPARE(
            f.dialogs().texts(),
            QStringList{QStringLiteral("与数据库服务器的连接已断开，刚才的操作没有完成，"
                                       "输入的内容仍然保留。程序将重新连接服务器，请稍后再试。")});
        QCOMPARE(first.TBCompacter->state(), DatasetState::Edit);
        QCOMPARE(first.TBCompacter->value(Name).toString(), QStringLiteral("断线前输入"));
        QVERIFY(first.TBCompacter->post());
        QCOMPARE(f.count(QStringLiteral("Compact"), QStringLiteral("合同名称 = '断线前输入'")), 1);
        QCoreApplication::processEvents(); // what was missed meanwhile is read back

        rename(second, QStringLiteral("HT2"), QStringLiteral("另一位"));
        QVERIFY(second.TBCompacter->post());
        settle(first);
        QCOMPARE(first.TBCompacter->storedValue(keyOf(f, QStringLiteral("HT2")), Name).toString(),
                 QStringLiteral("另一位"));
    }

    // The link breaks as the server commits a change: the next save of it meets the change
    // itself, and the user is told it may be saved already, not that someone else changed it.
    void changeKeptAsTheLinkBroke() {
        if (!TestServer::active())
            QSKIP("a file has no connection to lose");
        RegisterFixture f;
        fill(f);
        TDMod& first = f.openModule();
        rename(first, QStringLiteral("HT1"), QStringLiteral("断线时保存"));
        breakLink(f, first);
        QVERIFY(!first.TBCompacter->post());
        // what the server kept of the broken save
        f.scalar(
            QStringLiteral("UPDATE Compact SET 合同名称 = '断线时保存' WHERE 合同编号 = 'HT1'"));
        QVERIFY(!first.TBCompacter->post());
        QCOMPARE(f.dialogs().texts().mid(1),
                 QStringList{QStringLiteral("与服务器的连接断开时，对合同“HT1”的修改可能已经保存。"
                                            "请取消修改，查看合同现在的内容。")});
        QCOMPARE(first.TBCompacter->value(Name).toString(), QStringLiteral("断线时保存"));
        first.TBCompacter->cancel();
        settle(first);
        QCOMPARE(first.TBCompacter->value(Name).toString(), QStringLiteral("断线时保存"));
        QCOMPARE(f.count(QStringLiteral("Compact"), QStringLiteral("合同名称 = '断线时保存'")), 1);

        // a later change of the same contract meets another operator's as before
        rename(first, QStringLiteral("HT1"), QStringLiteral("之后"));
        f.scalar(QStringLiteral("UPDATE Compact SET 合同名称 = '另一位' WHERE 合同编号 = 'HT1'"));
        QVERIFY(!first.TBCompacter->post());
        QCOMPARE(f.dialogs().texts().last(), ConflictText);
    }
};

QINTARA_TEST(TestSeveralOperators)
#include "tst_severaloperators.moc"

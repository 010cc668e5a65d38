// Two whole programs on one register on a server, as two operators at two desks: what one saves
// shows in the other's open contract list while that operator is typing.
#include "common/testregistry.h"
#include "common/testserver.h"
#include "common/userinput.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "shell/appswitch.h"
#include "shell/startup.h"
#include "shell/tfrmcompactmanager.h"
#include "shellfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>
#include <memory>
#include <optional>

namespace {

// A second program in the same process, with windows and a data module of its own.
class SecondProgram {
public:
    explicit SecondProgram(Modal::ScriptedModal& modal) {
        AppContextSwitch to(m_context);
        modal.then(ShellFixture::login(QStringLiteral("管理员"), {}));
        m_startup = std::make_unique<Startup>();
        m_started = m_startup->run();
    }
    ~SecondProgram() {
        AppContextSwitch to(m_context);
        m_startup.reset();
    }
    bool started() const { return m_started; }
    AppContext& context() { return m_context; }

private:
    AppContext m_context;
    std::unique_ptr<Startup> m_startup;
    bool m_started = false;
};

// Three contracts of one partner, the first program started and the second beside it, where
// the test then acts.
struct TwoDesks {
    TwoDesks() {
        f.addPartner(QStringLiteral("P1"), QStringLiteral("甲方"), true, false);
        for (const char* number : {"HT1", "HT2", "HT3"})
            f.RegisterFixture::addContract(QString::fromLatin1(number), QStringLiteral("合同"),
                                           QStringLiteral("P1"), QStringLiteral("收款"), 100);
    }
    bool start() {
        if (!f.start())
            return false;
        f.main().Timer1->stop();
        first = &app();
        other = std::make_unique<SecondProgram>(f.modal);
        if (!other->started())
            return false;
        toOther.emplace(other->context());
        app().frmCompactManager->Timer1->stop();
        return true;
    }

    ShellFixture f;
    AppContext* first = nullptr;
    std::unique_ptr<SecondProgram> other;
    std::optional<AppContextSwitch> toOther;
};

QStringList rowTexts(const DBGrid* grid, int row) {
    QStringList texts;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        texts << grid->model()->index(row, c).data().toString();
    return texts;
}

} // namespace

class TestLiveUpdates : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        if (!TestServer::active())
            QSKIP("one program at a time works on a file");
    }

    // One operator saves a contract while the other has another one open in the editor with a
    // change not yet saved: the other's list shows the saved name at once, on the same row as
    // before, and the typed name stays in the editor and is saved after.
    void aSaveShowsInTheOtherProgramsList() {
        TwoDesks desks;
        QVERIFY(desks.start());
        ShellFixture& f = desks.f;
        AppContext& first = *desks.first;
        TfrmCompactManager& window = *app().frmCompactManager;
        ShellFixture::clickRow(window.wwDBGrid1, 1);
        f.modal.then([&](QDialog*) {
            TFormAddCom* editor = app().FormAddCom;
            QTest::mouseClick(editor->Button6, Qt::LeftButton); // 修改
            UserInput::type(editor->DBEdit2, QStringLiteral("正在输入"));
            {
                AppContextSwitch toFirst(first);
                f.modal.then([](QDialog*) {
                    TFormAddCom* e = app().FormAddCom;
                    QTest::mouseClick(e->Button6, Qt::LeftButton);
                    UserInput::type(e->DBEdit2, QStringLiteral("另一位改过"));
                    QTest::mouseClick(e->Button2, Qt::LeftButton);
                    QTest::mouseClick(e->Button5, Qt::LeftButton);
                });
                ShellFixture::doubleClickRow(f.main().wwDBGrid1, 0);
            }
            QTRY_VERIFY(rowTexts(window.wwDBGrid1, 0).contains(QStringLiteral("另一位改过")));
            QCOMPARE(window.wwDBGrid1->currentIndex().row(), 1);
            QCOMPARE(app().DMod->TBCompacter->recNo(), 2);
            QCOMPARE(editor->DBEdit2->text(), QStringLiteral("正在输入"));
            QTest::mouseClick(editor->Button2, Qt::LeftButton); // 保存
            QTest::mouseClick(editor->Button5, Qt::LeftButton);
        });
        ShellFixture::doubleClickRow(window.wwDBGrid1, 1);
        QCOMPARE(f.modal.pending(), 0);
        QCOMPARE(f.dialogs().texts(), QStringList());
        QCOMPARE(f.scalar(QStringLiteral("SELECT 合同名称 FROM Compact WHERE 合同编号 = 'HT1'"))
                     .toString(),
                 QStringLiteral("另一位改过"));
        QCOMPARE(f.scalar(QStringLiteral("SELECT 合同名称 FROM Compact WHERE 合同编号 = 'HT2'"))
                     .toString(),
                 QStringLiteral("正在输入"));
    }

    // One operator deletes the contract the other has open: a contract only shown closes with
    // a word before the window could show another one; one being changed stays open with what
    // was typed, and its save writes nothing. The other operator then opens the next contract.
    void aContractDeletedWhileOpenInTheOther_data() {
        QTest::addColumn<bool>("changing");
        QTest::addColumn<QStringList>("told"); // in the other program
        QTest::newRow("shown") << false
                               << QStringList{QStringLiteral("合同“HT2”已被其他操作员删除。")};
        QTest::newRow("being changed")
            << true
            << QStringList{QStringLiteral("合同“HT2”已被其他操作员删除，您的修改无法保存。"),
                           QStringLiteral("该记录已被其他程序修改或删除，无法保存。")};
    }
    void aContractDeletedWhileOpenInTheOther() {
        QFETCH(bool, changing);
        QFETCH(QStringList, told);
        TwoDesks desks;
        QVERIFY(desks.start());
        ShellFixture& f = desks.f;
        AppContext& first = *desks.first;
        TfrmCompactManager& window = *app().frmCompactManager;
        f.modal.then([&](QDialog*) {
            TFormAddCom* editor = app().FormAddCom;
            if (changing) {
                QTest::mouseClick(editor->Button6, Qt::LeftButton); // 修改
                UserInput::type(editor->DBEdit2, QStringLiteral("正在输入"));
            }
            {
                AppContextSwitch toFirst(first);
                ShellFixture::clickRow(f.main().wwDBGrid1, 1);
                f.dialogs().answer(Dialogs::Button::Yes);
                QTest::mouseClick(f.main().DelCompSBtn, Qt::LeftButton);
            }
            QTRY_COMPARE(f.dialogs().count(), 2); // the question in the first, a word here
            QCOMPARE(editor->isVisible(), changing);
            if (!changing)
                return;
            QCOMPARE(editor->DBEdit1->text(), QStringLiteral("HT2"));
            QCOMPARE(editor->DBEdit2->text(), QStringLiteral("正在输入"));
            QTest::mouseClick(editor->Button2, Qt::LeftButton); // 保存
            QTest::mouseClick(editor->Button5, Qt::LeftButton);
        });
        ShellFixture::doubleClickRow(window.wwDBGrid1, 1);
        QCOMPARE(f.modal.pending(), 0);
        QCOMPARE(f.dialogs().texts().mid(1), told);
        QCOMPARE(f.count(QStringLiteral("Compact")), 2);
        QCOMPARE(f.count(QStringLiteral("Compact"), QStringLiteral("合同名称 = '正在输入'")), 0);

        // the list holds what the register holds, and the row opens its own contract
        QCOMPARE(window.wwDBGrid1->model()->rowCount(), 2);
        QString shown;
        f.modal.then([&](QDialog*) { shown = app().FormAddCom->DBEdit1->text(); });
        ShellFixture::doubleClickRow(window.wwDBGrid1, 1);
        QCOMPARE(shown, QStringLiteral("HT3"));
    }
};

QINTARA_TEST(TestLiveUpdates)
#include "tst_liveupdates.moc"

// The change history as the user meets it: a contract edited in the editor and its history
// opened from there and from the main window, a deleted contract found by its number, a save
// that the register refuses, and the export offered only with the right 用户权限设置.
#include "common/externalreaders.h"
#include "common/testregistry.h"
#include "common/userinput.h"
#include "components/dateedit.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "history/txgjilu.h"
#include "platform/clock.h"
#include "platform/gui/shellopen.h"
#include "platform/paths.h"
#include "shell/appcontext.h"
#include "shell/shellfixture.h"
#include "shell/tfrmcompactmanager.h"

#include <QAction>
#include <QJsonArray>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QToolButton>

namespace {

const QString When = QStringLiteral("2026-12-11 09:30:15");

// What the window shows: its count and every row, cells joined by "|".
struct Shown {
    QString count;
    QStringList rows;
    bool exportOffered = false;
};

Shown shownBy(const TXGJiLu& w) {
    Shown shown{w.LbCount->text(), {}, !w.BtExport->isHidden()};
    const QAbstractItemModel* m = w.wwDBGrid1->model();
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells;
        for (int c = 0; c < m->columnCount(); ++c)
            cells << m->index(r, c).data().toString();
        shown.rows << cells.join(u'|');
    }
    return shown;
}

QString row(const QString& action, const QString& number, const QString& item,
            const QString& before, const QString& after, const QString& who = "管理员") {
    return QStringList{When, who, action, number, item, before, after}.join(u'|');
}

void click(QWidget* w) {
    QTest::mouseClick(w, Qt::LeftButton);
}

} // namespace

class TestHistoryWindow : public QObject {
    Q_OBJECT

    std::unique_ptr<ShellFixture> f;
    int m_contract = 0;

    TXGJiLu& window() { return *app().XGJiLu; }

    // The history rows in the register, oldest first: action, subject, field, old, new, who.
    QStringList stored() {
        QStringList rows;
        const int n = f->count(QStringLiteral("CompactHistory"));
        for (int id = 1; id <= n; ++id) {
            QStringList cells;
            for (const char* column :
                 {"合同编号", "操作", "对象", "字段", "原值", "新值", "操作员"})
                cells << f->scalar(QStringLiteral("SELECT \"%1\" FROM CompactHistory WHERE ID = ?")
                                       .arg(QString::fromUtf8(column)),
                                   {id})
                             .toString();
            rows << cells.join(u'|');
        }
        return rows;
    }

    // The history window's next showing: what it shows, after typing a number and 查询 when
    // one is given.
    void expectWindow(Shown& shown, const QString& number = {}) {
        f->modal.then([this, &shown, number](QDialog*) {
            if (!number.isEmpty()) {
                UserInput::type(window().EdNumber, number);
                click(window().BtFind);
            }
            shown = shownBy(window());
        });
    }

    // The editor on the first contract of the list: 修改, typing, 保存, then 修改记录.
    void editThenOpenHistory(const std::function<void(TFormAddCom*)>& typing, Shown& shown) {
        f->modal.then([typing](QDialog*) {
            TFormAddCom* e = app().FormAddCom;
            click(e->Button6);
            typing(e);
            click(e->Button2);
            click(e->Button17);
            click(e->Button5);
        });
        expectWindow(shown);
        ShellFixture::doubleClickRow(f->main().wwDBGrid1, 0);
    }

private Q_SLOTS:
    void init() {
        f = std::make_unique<ShellFixture>();
        f->addPartner(QStringLiteral("KH001"), QStringLiteral("华东客户"), true, false);
        m_contract =
            f->RegisterFixture::addContract(QStringLiteral("HT001"), QStringLiteral("办公设备采购"),
                                            QStringLiteral("KH001"), QStringLiteral("收款"), 1000);
        f->exec(QStringLiteral("UPDATE Compact SET 签订日期 = '2024-03-05' WHERE CompactID = ?"),
                {m_contract});
        Clock::setNow(QDateTime::fromString(When, QStringLiteral("yyyy-MM-dd HH:mm:ss")));
    }
    void cleanup() { f.reset(); }

    void editedAmountAndDate() {
        QVERIFY(f->start());
        Shown fromEditor;
        editThenOpenHistory(
            [](TFormAddCom* e) {
                UserInput::type(e->DBEdit5, QStringLiteral("12345.6"));
                UserInput::type(e->wwDBDateTimePicker1, QStringLiteral("2024-04-01"));
            },
            fromEditor);
        QCOMPARE(f->modal.pending(), 0);
        // the register: one row per changed field, in the save's own transaction
        QCOMPARE(stored(), (QStringList{"HT001|修改|合同|合同金额|10000000|123456000|管理员",
                                        "HT001|修改|合同|签订日期|2024-03-05|2024-04-01|管理员",
                                        "HT001|修改|合同|修改||管理员|管理员"}));
        const QStringList expected{row("修改合同", "HT001", "修改人", "", "管理员"),
                                   row("修改合同", "HT001", "签订日期", "2024-03-05", "2024-04-01"),
                                   row("修改合同", "HT001", "合同金额", "1,000.00", "12,345.60")};
        QCOMPARE(fromEditor.rows, expected);
        QCOMPARE(fromEditor.count, QStringLiteral("共有  3  条记录"));

        // the same history from the main window's menu, which proposes the current contract
        Shown fromMenu;
        expectWindow(fromMenu);
        f->main().N18->trigger();
        QCOMPARE(window().EdNumber->text(), QStringLiteral("HT001"));
        QCOMPARE(fromMenu.rows, expected);

        // a second save comes first; the history window has no way to change a row
        Shown again;
        editThenOpenHistory(
            [](TFormAddCom* e) { UserInput::type(e->DBEdit5, QStringLiteral("20000")); }, again);
        QCOMPARE(again.rows.size(), 4);
        QCOMPARE(again.rows.first(),
                 row("修改合同", "HT001", "合同金额", "12,345.60", "20,000.00"));
        QCOMPARE(again.rows.mid(1), expected);
        QCOMPARE(window().wwDBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
    }

    void deletedContractByNumber() {
        f->RegisterFixture::addReceivable(m_contract, QDate(2024, 6, 30), 2000, 500);
        QVERIFY(f->start());
        ShellFixture::clickRow(f->main().wwDBGrid1, 0);
        f->dialogs().answer(Dialogs::Button::Yes);
        click(f->main().DelCompSBtn);
        QCOMPARE(f->count(QStringLiteral("Compact")), 0);
        QCOMPARE(f->count(QStringLiteral("AccountReceive")), 0);
        QCOMPARE(stored(), (QStringList{"HT001|删除|应收款|应收日期|2024-06-30||管理员",
                                        "HT001|删除|应收款|应收金额|20000000||管理员",
                                        "HT001|删除|应收款|实收金额|5000000||管理员",
                                        "HT001|删除|应收款|发票额|0||管理员",
                                        "HT001|删除|合同|合同编号|HT001||管理员",
                                        "HT001|删除|合同|合同名称|办公设备采购||管理员",
                                        "HT001|删除|合同|合同金额|10000000||管理员",
                                        "HT001|删除|合同|签订日期|2024-03-05||管理员",
                                        "HT001|删除|合同|收付类型|收款||管理员",
                                        "HT001|删除|合同|SCNum|KH001||管理员"}));

        Shown shown;
        expectWindow(shown, QStringLiteral("ht001")); // numbers match without regard to case
        f->main().N18->trigger();
        QCOMPARE(shown.rows,
                 (QStringList{row("删除合同", "HT001", "往来单位编号", "KH001", ""),
                              row("删除合同", "HT001", "收付类型", "收款", ""),
                              row("删除合同", "HT001", "签订日期", "2024-03-05", ""),
                              row("删除合同", "HT001", "合同金额", "1,000.00", ""),
                              row("删除合同", "HT001", "合同名称", "办公设备采购", ""),
                              row("删除合同", "HT001", "合同编号", "HT001", ""),
                              row("删除应收款", "HT001", "发票额", "0.00", ""),
                              row("删除应收款", "HT001", "实收金额", "500.00", ""),
                              row("删除应收款", "HT001", "应收金额", "2,000.00", ""),
                              row("删除应收款", "HT001", "应收日期", "2024-06-30", "")}));
        QCOMPARE(f->dialogs().count(), 1); // the delete question only

        // a number nobody ever used is said so
        Shown none;
        expectWindow(none, QStringLiteral("HT999"));
        f->main().N18->trigger();
        QCOMPARE(none.count, QStringLiteral("共有  0  条记录"));
        QCOMPARE(f->dialogs().last().text, QStringLiteral("没有合同编号为“HT999”的修改记录。"));
    }

    // Another program changed the contract meanwhile: the save is refused and leaves no history.
    void refusedSaveLeavesNoHistory() {
        QVERIFY(f->start());
        Shown shown;
        editThenOpenHistory(
            [this](TFormAddCom* e) {
                UserInput::type(e->DBEdit5, QStringLiteral("12345.6"));
                f->exec(QStringLiteral("UPDATE Compact SET 合同金额 = 7 WHERE CompactID = ?"),
                        {m_contract});
            },
            shown);
        QCOMPARE(f->dialogs().texts(),
                 QStringList{QStringLiteral("该记录已被其他程序修改或删除，无法保存。")});
        QCOMPARE(f->scalar(QStringLiteral("SELECT 合同金额 FROM Compact")).toLongLong(), 7);
        QCOMPARE(f->count(QStringLiteral("CompactHistory")), 0);
        QCOMPARE(shown.rows, QStringList());
        QCOMPARE(shown.count, QStringLiteral("共有  0  条记录"));
    }

    void exportOnlyWithRight_data() {
        QTest::addColumn<QString>("user");
        QTest::addColumn<QString>("password");
        QTest::addColumn<bool>("offered");
        QTest::newRow("管理员") << "管理员"
                                << "" << true;
        QTest::newRow("张三") << "张三"
                              << "123" << false;
    }

    void exportOnlyWithRight() {
        QFETCH(QString, user);
        QFETCH(QString, password);
        QFETCH(bool, offered);
        f->addOperator(QStringLiteral("张三"), QStringLiteral("123"),
                       {QStringLiteral("增加"), QStringLiteral("删除"), QStringLiteral("修改")});
        QVERIFY(f->start(user, password));
        Shown shown;
        editThenOpenHistory(
            [](TFormAddCom* e) { UserInput::type(e->DBEdit2, QStringLiteral("办公家具采购")); },
            shown);
        QCOMPARE(shown.exportOffered, offered);
        QCOMPARE(shown.rows.last(),
                 row("修改合同", "HT001", "合同名称", "办公设备采购", "办公家具采购", user));
        if (!offered)
            return;

        Shell::RecordingOpener opener;
        f->modal.then([this](QDialog*) { click(window().BtExport); });
        f->main().N18->trigger();
        const QString path = Paths::mapped(TXGJiLu::ExportFile);
        QCOMPARE(opener.opened, QStringList{path});
        const QJsonObject book = ExternalReaders::readXls(path);
        const QJsonObject sheet = book[QStringLiteral("sheets")][0].toObject();
        QCOMPARE(sheet[QStringLiteral("name")].toString(), QStringLiteral("修改记录"));
        QStringList lines;
        for (const QJsonValue& r : sheet[QStringLiteral("rows")].toArray()) {
            QStringList cells;
            for (const QJsonValue& c : r.toArray())
                cells << c.toArray().at(1).toString();
            lines << cells.join(u'|');
        }
        QCOMPARE(lines.first(), QStringLiteral("时间|操作员|操作|合同编号|项目|原值|新值"));
        QCOMPARE(lines.mid(1), shown.rows);
    }
};

QINTARA_TEST(TestHistoryWindow)
#include "tst_historywindow.moc"

// The contract search window: its buttons, the single-field searches, the combined query, the
// heights, opening a result in the editor, and closing.
#include "common/testregistry.h"
#include "common/testserver.h"
#include "components/dbgrid.h"
#include "contracts/tchazhao.h"
#include "contracts/tformaddcom.h"
#include "editorfixture.h"
#include "shell/appcontext.h"

#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <algorithm>
#include <functional>

namespace {

const QString Number = QStringLiteral("合同编号");

// Four contracts whose numbers are out of order, one of them with a partner that does not
// exist; texts with quotes, a semicolon, a backslash and mixed case.
class SearchFixture : public EditorFixture {
public:
    // before: what else goes into the register before the program starts.
    explicit SearchFixture(const std::function<void(SearchFixture&)>& before = {}) {
        exec(QStringLiteral("UPDATE server SET 简称 = '华东' WHERE ScNum = 'KH001'"));
        exec(QStringLiteral("UPDATE server SET 简称 = '北方' WHERE ScNum = 'GY001'"));
        add("HT-03", "钢材 采购合同", "GY001", "采购部", "张三", "甲方 ABC Steel 违约金 100%");
        add("HT-01", "设备销售", "KH001", "销售部", "李四",
            "不可抗力 abc steel 他说\"好\"; 路径 C:\\合同\\a");
        add("HT-02", "场地租赁", "ZZ999", "销售部", "张三", "O'Brien 租赁 50% 押金");
        add("HT-04", "办公用品采购", "KH001", "行政部", "王五", nullptr);
        if (before)
            before(*this);
        start();
        window = std::make_unique<TChaZhao>();
        app().ChaZhao = window.get();
    }
    ~SearchFixture() { window.reset(); }

    void add(const char* number, const char* name, const char* partner, const char* department,
             const char* enteredBy, const char* text) {
        exec(QStringLiteral("INSERT INTO Compact (合同编号, 合同名称, SCNum, 所属部门, 录入, "
                            "合同内容, 收付类型) VALUES (?, ?, ?, ?, ?, ?, '收款')"),
             {QString::fromUtf8(number), QString::fromUtf8(name), QString::fromUtf8(partner),
              QString::fromUtf8(department), QString::fromUtf8(enteredBy),
              text ? QVariant(QString::fromUtf8(text)) : QVariant(QMetaType(QMetaType::QString))});
    }

    void show() {
        window->show();
        QVERIFY(QTest::qWaitForWindowExposed(window.get()));
    }

    QLineEdit* box(int criterion) const {
        return std::array<QLineEdit*, 6>{window->EditHeTName,  window->EditHeTMemo,
                                         window->EditDanWName, window->EditDanWShortN,
                                         window->EditBuMen,    window->EditLuRuRen}[criterion];
    }
    QPushButton* button(int criterion) const {
        return std::array<QPushButton*, 6>{
            window->Button1, window->Button2, window->Button3,
            window->Button4, window->Button5, window->Button6}[criterion];
    }

    // The result as the grid lists it, top to bottom.
    QStringList listed() const {
        QStringList out;
        const QAbstractItemModel* m = window->wwDBGrid1->model();
        for (int r = 0; r < m->rowCount(); ++r)
            out << m->data(m->index(r, 0)).toString();
        return out;
    }

    Dataset& query() { return *module().TBQuery; }
    std::unique_ptr<TChaZhao> window;
};

QStringList list(const char* numbers) {
    return QString::fromUtf8(numbers).split(u' ', Qt::SkipEmptyParts);
}

QStringList sorted(QStringList l) {
    l.sort();
    return l;
}

void doubleClickRow(DBGrid* grid, int row) {
    const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

} // namespace

class TestSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<SearchFixture>(); }
    void cleanup() { f.reset(); }

    void buttonFollowsItsBox_data() {
        QTest::addColumn<int>("criterion");
        for (int c = 0; c < 6; ++c)
            QTest::addRow("box %d", c) << c;
    }
    void buttonFollowsItsBox() {
        QFETCH(int, criterion);
        f->show();
        QLineEdit* box = f->box(criterion);
        QPushButton* button = f->button(criterion);
        QVERIFY(!button->isEnabled());
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A);
        QVERIFY(button->isEnabled());
        for (int c = 0; c < 6; ++c)
            QCOMPARE(f->button(c)->isEnabled(), c == criterion);
        QTest::keyClick(box, Qt::Key_Backspace);
        QVERIFY(!button->isEnabled());
        QTest::keyClicks(box, QStringLiteral("  "));
        QVERIFY(button->isEnabled());
        QVERIFY(f->window->Button7->isEnabled());
    }

    void singleFieldSearch_data() {
        QTest::addColumn<int>("criterion");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<bool>("joined"); // joined results come in the store's join order
        QTest::newRow("one character") << 0 << "采" << list("HT-03 HT-04") << false;
        QTest::newRow("leading blank kept") << 0 << " 采购" << list("HT-03") << false;
        QTest::newRow("% is a wildcard") << 0 << "设%售" << list("HT-01") << false;
        QTest::newRow("_ is a wildcard") << 0 << "备_售" << list("HT-01") << false;
        QTest::newRow("_ alone") << 0 << "_" << list("HT-03 HT-01 HT-02 HT-04") << false;
        QTest::newRow("ASCII case ignored") << 1 << "abc steel" << list("HT-03 HT-01") << false;
        QTest::newRow("short word") << 1 << "押金" << list("HT-02") << false;
        QTest::newRow("double quotes") << 1 << "\"好\"" << list("HT-01") << false;
        QTest::newRow("lone double quote") << 1 << "\"" << list("HT-01") << false;
        QTest::newRow("single quote") << 1 << "O'Brien" << list("HT-02") << false;
        QTest::newRow("semicolon") << 1 << "\"; 路径" << list("HT-01") << false;
        QTest::newRow("backslash") << 1 << "C:\\合同\\a" << list("HT-01") << false;
        QTest::newRow("short and long pieces") << 1 << "抗力%steel" << list("HT-01") << false;
        QTest::newRow("quote found nowhere") << 0 << "\"" << QStringList() << false;
        QTest::newRow("injection is text") << 0 << "\" OR \"\"=\"" << QStringList() << false;
        QTest::newRow("partner name") << 2 << "华东" << list("HT-01 HT-04") << true;
        QTest::newRow("missing partner never found")
            << 2 << "_" << list("HT-03 HT-01 HT-04") << true;
        QTest::newRow("partner name as typed") << 2 << " 华东" << QStringList() << true;
        QTest::newRow("short name") << 3 << "北" << list("HT-03") << true;
        QTest::newRow("department") << 4 << "销售" << list("HT-01 HT-02") << false;
        QTest::newRow("operator") << 5 << "张三" << list("HT-03 HT-02") << false;
    }
    void singleFieldSearch() {
        QFETCH(int, criterion);
        QFETCH(QString, text);
        QFETCH(QStringList, found);
        QFETCH(bool, joined);
        f->show();
        EditorFixture::type(f->box(criterion), text);
        QTest::mouseClick(f->button(criterion), Qt::LeftButton);
        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(joined ? sorted(f->listed()) : f->listed(), joined ? sorted(found) : found);
        QCOMPARE(f->query().sort(), QString());
        QCOMPARE(f->box(criterion)->text(), text);
        // The criterion travels as a bound value, never inside the statement.
        QVERIFY(f->query().params().contains(u'%' + text + u'%'));
        QVERIFY(text.size() < 2 || !f->query().sql().contains(text));
    }

    void combinedQuery_data() {
        QTest::addColumn<QStringList>(
            "texts"); // name, content, partner, short, department, operator
        QTest::addColumn<QStringList>("found");
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<bool>("joined");
        QTest::newRow("none filled: every contract")
            << QStringList(6, QString()) << list("HT-03 HT-01 HT-02 HT-04") << false << false;
        QTest::newRow("blanks only: every contract")
            << QStringList(6, QStringLiteral("  ")) << list("HT-03 HT-01 HT-02 HT-04") << false
            << false;
        QTest::newRow("department only, sorted")
            << QStringList{"", "", "", "", "销售", ""} << list("HT-01 HT-02") << true << false;
        QTest::newRow("department as typed")
            << QStringList{"", "", "", "", " 销售", ""} << QStringList() << true << false;
        QTest::newRow("all six, unsorted")
            << QStringList{"采购", "steel", " 北方 ", "北", "采购", "张"} << list("HT-03") << false
            << true;
        QTest::newRow("five, sorted") << QStringList{"%", "", "%", "%", "部", "%"}
                                      << list("HT-01 HT-03 HT-04") << true << true;
        QTest::newRow("blank partner name still joins")
            << QStringList{"", "", "   ", "华", "", ""} << list("HT-01 HT-04") << true << true;
        QTest::newRow("blank partner name alone adds nothing")
            << QStringList{"", "", "   ", "", "销售", ""} << list("HT-01 HT-02") << true << false;
        QTest::newRow("partner name trimmed")
            << QStringList{"", "", "  华东  ", "", "", ""} << list("HT-01 HT-04") << true << true;
        QTest::newRow("content of short and long pieces")
            << QStringList{"", "甲方%Steel", "", "", "", "张"} << list("HT-03") << true << false;
        QTest::newRow("quotes are text")
            << QStringList{"", "\"好\"", "", "", "销售", ""} << list("HT-01") << true << false;
    }
    void combinedQuery() {
        QFETCH(QStringList, texts);
        QFETCH(QStringList, found);
        QFETCH(bool, sorted);
        QFETCH(bool, joined);
        f->show();
        for (int c = 0; c < 6; ++c)
            EditorFixture::type(f->box(c), texts[c]);
        QTest::mouseClick(f->window->Button7, Qt::LeftButton);
        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(f->query().sort(), sorted ? Number : QString());
        // Unsorted joined rows come in the store's join order.
        QCOMPARE(joined && !sorted ? ::sorted(f->listed()) : f->listed(), found);
        QCOMPARE(f->query().findField(QStringLiteral("ScName")) != nullptr, joined);
    }

    void gridAppearsWithTheFirstSearch() {
        f->show();
        TChaZhao& w = *f->window;
        QCOMPARE(w.frameGeometry().height(), 321);
        QCOMPARE(w.width(), 591);
        QCOMPARE(w.wwDBGrid1->height(), 0);
        QCOMPARE(w.GroupBox1->geometry(), QRect(32, 22, 529, 249));
        QTest::mouseClick(w.Button7, Qt::LeftButton);
        QCOMPARE(w.wwDBGrid1->geometry(), QRect(32, 284, 529, 199));
        QCOMPARE(w.frameGeometry().height(), 533);
        QCOMPARE(w.wwDBGrid1->toolTip(), QStringLiteral("双击打开合同"));
        QStringList titles;
        for (int c = 0; c < w.wwDBGrid1->model()->columnCount(); ++c)
            titles << w.wwDBGrid1->model()->headerData(c, Qt::Horizontal).toString();
        QCOMPARE(titles,
                 list("合同编号 合同名称 收付类型 合同类型 签订日期 合同金额 所属部门 责任人"));
        QCOMPARE(w.wwDBGrid1->datasetModel()->widthAt(1), 30);
        QCOMPARE(w.wwDBGrid1->editTriggers(), QAbstractItemView::NoEditTriggers);
        QVERIFY(
            !(w.wwDBGrid1->model()->flags(w.wwDBGrid1->model()->index(0, 1)) & Qt::ItemIsEditable));
        QVERIFY(!w.kong->isVisible());
        QCOMPARE(w.Label7->text(), QStringLiteral("提示 ：  输入以上多个字段可以进行组合查询！"));
    }

    // Close, reopen, search again: nothing of the last use is left, and a search still works.
    void closingEmptiesEverything() {
        f->show();
        TChaZhao& w = *f->window;
        for (int c = 0; c < 6; ++c)
            EditorFixture::type(f->box(c), QStringLiteral("x"));
        QTest::mouseClick(w.Button1, Qt::LeftButton);
        w.close();
        QVERIFY(!w.isVisible());
        QVERIFY(!f->query().isActive());
        QCOMPARE(f->query().sql(), QString());
        f->show();
        for (int c = 0; c < 6; ++c) {
            QCOMPARE(f->box(c)->text(), QString());
            QVERIFY(!f->button(c)->isEnabled());
        }
        QCOMPARE(w.wwDBGrid1->height(), 0);
        QCOMPARE(w.frameGeometry().height(), 321);
        EditorFixture::type(f->box(4), QStringLiteral("行政"));
        QTest::mouseClick(w.Button5, Qt::LeftButton);
        QCOMPARE(f->listed(), list("HT-04"));
    }

    void doubleClickOnNothingFound() {
        f->show();
        EditorFixture::type(f->box(0), QStringLiteral("不存在"));
        QTest::mouseClick(f->window->Button1, Qt::LeftButton);
        QTest::mouseDClick(f->window->wwDBGrid1->viewport(), Qt::LeftButton, {}, QPoint(20, 20));
        QCOMPARE(f->dialogs().texts(), QStringList{QStringLiteral("对不起,记录为空.无法查看!")});
        QCOMPARE(f->modal.seen, QStringList());
    }

    // The second result opens in view mode; the search keeps its result behind the editor.
    void doubleClickOpensTheContract() {
        f->show();
        EditorFixture::type(f->box(4), QStringLiteral("销售"));
        QTest::mouseClick(f->window->Button5, Qt::LeftButton);
        QString shown;
        bool viewMode = false;
        f->modal.then([&](QDialog*) {
            TFormAddCom& e = f->editor();
            shown = e.DBEdit1->text();
            viewMode = e.windowTitle() == TFormAddCom::ViewCaption && !e.Button2->isEnabled() &&
                       !e.Button3->isEnabled() && e.Button6->isEnabled() &&
                       e.Label20->isVisible() && !e.Label21->isVisible() && e.DBEdit2->isReadOnly();
        });
        doubleClickRow(f->window->wwDBGrid1, 1);
        QCOMPARE(f->modal.seen, QStringList{QStringLiteral("FormAddCom")});
        QCOMPARE(shown, QStringLiteral("HT-02"));
        QVERIFY(viewMode);
        QVERIFY(f->window->isVisible());
        QCOMPARE(f->listed(), list("HT-01 HT-02"));
    }

    // The contract list stands on one partner's contracts: the partner list moves to the
    // found contract's partner; a contract whose partner is not listed is found among all
    // contracts. Never another contract.
    void contractOutsideThePartnerListStillOpens_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<bool>("customersOnly");
        QTest::addColumn<bool>("stillLinked");
        QTest::newRow("another listed partner") << "HT-03" << false << true;
        QTest::newRow("partner not listed") << "HT-03" << true << false;
        QTest::newRow("no such partner") << "HT-02" << false << false;
    }
    void contractOutsideThePartnerListStillOpens() {
        QFETCH(QString, number);
        QFETCH(bool, customersOnly);
        QFETCH(bool, stillLinked);
        TDMod& dm = f->module();
        dm.TBMarst->setFilter(QStringLiteral("客户=true"));
        dm.TBMarst->setFiltered(customersOnly);
        dm.TBCompacter->setMaster(dm.DSMarst, QStringLiteral("客户/供应商编号"),
                                  QStringLiteral("SCNum"));
        QVERIFY(!dm.TBCompacter->locate(Number, number));
        f->show();
        EditorFixture::type(f->box(0), QStringLiteral("_"));
        QTest::mouseClick(f->window->Button1, Qt::LeftButton);
        QString shown;
        f->modal.then([&](QDialog*) { shown = f->editor().DBEdit1->text(); });
        doubleClickRow(f->window->wwDBGrid1, f->listed().indexOf(number));
        QCOMPARE(shown, number);
        QCOMPARE(dm.TBCompacter->masterSource() != nullptr, stillLinked);
    }

    // A register of an earlier version may hold numbers that differ only in case: both are
    // found, and double-clicking either opens that one, whichever way the list is sorted.
    void numbersDifferingInCaseOpenTheirOwnContract_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<int>("button");
        QTest::newRow("upper case, one field") << "HT-7" << 1;
        QTest::newRow("lower case, one field") << "ht-7" << 1;
        QTest::newRow("upper case, combined") << "HT-7" << 7;
        QTest::newRow("lower case, combined") << "ht-7" << 7;
    }
    void numbersDifferingInCaseOpenTheirOwnContract() {
        QFETCH(QString, number);
        QFETCH(int, button);
        if (TestServer::active())
            QSKIP("registers on a server are all made by this version, with keys of any case");
        f.reset();
        f = std::make_unique<SearchFixture>([](SearchFixture& s) {
            s.makeKeysCaseSensitive();
            s.add("ht-7", "仓储 小写", "KH001", "行政部", "王五", nullptr);
            s.add("HT-7", "仓储 大写", "KH001", "行政部", "王五", nullptr);
        });
        f->show();
        EditorFixture::type(f->box(0), QStringLiteral("仓储"));
        QTest::mouseClick(button == 7 ? f->window->Button7 : f->window->Button1, Qt::LeftButton);
        QCOMPARE(sorted(f->listed()), list("HT-7 ht-7"));
        QString shown, name;
        f->modal.then([&](QDialog*) {
            shown = f->editor().DBEdit1->text();
            name = f->editor().DBEdit2->text();
        });
        doubleClickRow(f->window->wwDBGrid1, f->listed().indexOf(number));
        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(shown, number);
        QCOMPARE(name, number == QLatin1String("HT-7") ? QStringLiteral("仓储 大写")
                                                       : QStringLiteral("仓储 小写"));
    }

    void downOnTheLastRowStays() {
        f->show();
        QTest::mouseClick(f->window->Button7, Qt::LeftButton);
        DBGrid* grid = f->window->wwDBGrid1;
        grid->setFocus();
        for (int i = 0; i < 6; ++i)
            QTest::keyClick(grid, Qt::Key_Down);
        QCOMPARE(f->query().recNo(), 4);
        QCOMPARE(grid->currentIndex().row(), 3);
        QCOMPARE(f->query().recordCount(), 4);
    }

private:
    std::unique_ptr<SearchFixture> f;
};
QINTARA_TEST(TestSearch)
#include "tst_search.moc"

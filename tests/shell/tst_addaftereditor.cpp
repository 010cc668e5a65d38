// Add after any way into and out of the editor: nothing reaches the register before a save,
// and the add window always edits a new row.
#include "common/testregistry.h"
#include "common/userinput.h"
#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"
#include "shellfixture.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

namespace {

QStringList gridColumn(DBGrid* grid) {
    QStringList texts;
    for (int row = 0; row < grid->model()->rowCount(); ++row)
        texts << grid->model()->index(row, 0).data().toString();
    return texts;
}

using Steps = QStringList; // editor buttons pressed, by object name, after a view

} // namespace

class TestAddAfterEditor : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void addStartsBlank_data() {
        QTest::addColumn<Steps>("steps");
        QTest::newRow("view, Q退出") << Steps{"Button5"};
        QTest::newRow("view, G修改, C取消") << Steps{"Button6", "Button3"};
        QTest::newRow("view, G修改, Q退出") << Steps{"Button6", "Button5"};
        QTest::newRow("view, closed by its frame") << Steps{};
    }
    void addStartsBlank() {
        QFETCH(Steps, steps);
        ShellFixture f;
        f.addPartner(QStringLiteral("C01"), QStringLiteral("东方电子"), true, false);
        f.addContract(QStringLiteral("HT-001"), QStringLiteral("C01"));
        f.addContract(QStringLiteral("HT-002"), QStringLiteral("C01"));
        QVERIFY(f.start());
        const int before = f.count(QStringLiteral("Compact"));
        f.modal.then([&](QDialog* editor) {
            for (const QString& name : steps)
                QTest::mouseClick(editor->findChild<QPushButton*>(name), Qt::LeftButton);
        });
        ShellFixture::doubleClickRow(f.main().wwDBGrid1, 0);

        DatasetState state = DatasetState::Inactive;
        QString name, number;
        int during = -1;
        QStringList shown;
        f.main().wwDBGrid1->setFocus();
        f.modal.then([&](QDialog*) {
            QApplication::processEvents(); // the modal loop runs on while the user looks
            Dataset* c = f.dm().TBCompacter;
            state = c->state();
            name = c->fieldByName(QStringLiteral("合同名称"))->asString();
            number = c->fieldByName(QStringLiteral("合同编号"))->asString();
            during = f.count(QStringLiteral("Compact"));
            shown = gridColumn(f.main().wwDBGrid1);
        });
        QTest::mouseClick(f.main().SpeedButton5, Qt::LeftButton);
        QCOMPARE(during, before);
        QCOMPARE(state, DatasetState::Insert);
        QCOMPARE(number, QStringLiteral("HT-003"));
        QCOMPARE(name, QString());
        QCOMPARE(f.count(QStringLiteral("Compact")), before);
        // the pending row shows after the stored ones, never in place of one
        QCOMPARE(shown, (QStringList{"HT-001", "HT-002", "HT-003"}));
        QCOMPARE(gridColumn(f.main().wwDBGrid1), (QStringList{"HT-001", "HT-002"}));
    }

    // Add left without saving, however it is left: the list returns to the contract that was
    // current, on the row it was on and in view, not to the bottom of the list.
    void leftWithoutSavingReturnsToCurrent_data() {
        QTest::addColumn<QString>("exit"); // editor button, or empty for the window's frame
        QTest::newRow("C取消") << "Button3";
        QTest::newRow("Q退出") << "Button5";
        QTest::newRow("closed by its frame") << "";
    }
    void leftWithoutSavingReturnsToCurrent() {
        QFETCH(QString, exit);
        ShellFixture f;
        f.addPartner(QStringLiteral("C01"), QStringLiteral("东方电子"), true, false);
        for (int i = 1; i <= 80; ++i)
            f.addContract(QStringLiteral("HT-%1").arg(i, 3, 10, QChar(u'0')),
                          QStringLiteral("C01"));
        QVERIFY(f.start());
        DBGrid* grid = f.main().wwDBGrid1;
        ShellFixture::clickRow(grid, 4);
        QCOMPARE(f.dm().TBCompacter->value(QStringLiteral("合同编号")).toString(),
                 QStringLiteral("HT-005"));
        f.modal.then([&](QDialog* editor) {
            UserInput::type(app().FormAddCom->DBEdit2, QStringLiteral("不保存的合同"));
            if (exit.isEmpty())
                editor->close();
            else
                QTest::mouseClick(editor->findChild<QPushButton*>(exit), Qt::LeftButton);
        });
        QTest::mouseClick(f.main().SpeedButton5, Qt::LeftButton);
        QCOMPARE(f.count(QStringLiteral("Compact")), 80);
        QCOMPARE(f.dm().TBCompacter->state(), DatasetState::Browse);
        QCOMPARE(f.dm().TBCompacter->value(QStringLiteral("合同编号")).toString(),
                 QStringLiteral("HT-005"));
        QCOMPARE(grid->currentIndex().row(), 4);
        QVERIFY(grid->viewport()->rect().contains(grid->visualRect(grid->currentIndex())));
    }

    void tabLinkedAgainAfterSave();
};

// A contract saved on the supplier tab whose partner is only a customer: once the editor is
// closed the tab is linked again, with its own list and count.
void TestAddAfterEditor::tabLinkedAgainAfterSave() {
    ShellFixture f;
    f.addPartner(QStringLiteral("S01"), QStringLiteral("北方钢铁"), false, true);
    f.addPartner(QStringLiteral("C01"), QStringLiteral("东方电子"), true, false);
    f.addContract(QStringLiteral("HT-001"), QStringLiteral("S01"));
    QVERIFY(f.start());
    ShellFixture::chooseTab(f.main(), 1);
    f.modal.then([&](QDialog*) {
        TFormAddCom* e = app().FormAddCom;
        ShellFixture::typeText(e->DBEdit2, QStringLiteral("客户合同"));
        UserInput::choose(e->DBComboBox1, QStringLiteral("收款"));
        UserInput::choose(e->DBLookupComboBox1, QStringLiteral("东方电子"));
        ShellFixture::typeText(e->DBEdit5, QStringLiteral("100"));
        QTest::mouseClick(e->Button2, Qt::LeftButton);
        QCOMPARE(f.dm().TBCompacter->value(QStringLiteral("合同名称")).toString(),
                 QStringLiteral("客户合同"));
    });
    QTest::mouseClick(f.main().SpeedButton5, Qt::LeftButton);
    QCOMPARE(f.count(QStringLiteral("Compact")), 2);
    QVERIFY(f.dm().TBCompacter->masterSource());
    QCOMPARE(gridColumn(f.main().DBGrid2), QStringList{"HT-001"});
    QCOMPARE(f.main().panelText(3), QStringLiteral("共有  1  条记录"));
}

QINTARA_TEST(TestAddAfterEditor)
#include "tst_addaftereditor.moc"

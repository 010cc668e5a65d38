// The toolbar's "合同查找" in a whole program run: the search window over the main window's
// lists, a found contract opened in the editor, and the window empty on its next opening.
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "contracts/tchazhao.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"
#include "shellfixture.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>
#include <QToolButton>

class TestSearchCommand : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // On the supplier tab the contract list holds one supplier's contracts; a found contract
    // of another supplier, or of a customer, opens all the same.
    void foundContractOpensFromAPartnerTab_data() {
        QTest::addColumn<QString>("number");
        QTest::addColumn<QString>("partnerAfter");
        QTest::newRow("another supplier") << "HT-003"
                                          << "S02";
        QTest::newRow("a customer") << "HT-001"
                                    << "S01";
    }
    void foundContractOpensFromAPartnerTab() {
        QFETCH(QString, number);
        QFETCH(QString, partnerAfter);
        ShellFixture f;
        f.addPartner(QStringLiteral("C01"), QStringLiteral("东方电子"), true, false);
        f.addPartner(QStringLiteral("S01"), QStringLiteral("北方钢铁"), false, true);
        f.addPartner(QStringLiteral("S02"), QStringLiteral("南方水泥"), false, true);
        f.addContract(QStringLiteral("HT-002"), QStringLiteral("S01"));
        f.addContract(QStringLiteral("HT-003"), QStringLiteral("S02"));
        f.addContract(QStringLiteral("HT-001"), QStringLiteral("C01"));
        QVERIFY(f.start());
        TfrmCompactManager& w = f.main();
        QTabBar* bar = w.PageControl1->tabBar();
        QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(1).center());

        QString shown;
        f.modal.seen.clear();
        f.modal
            .then([&](QDialog* dialog) {
                auto* search = static_cast<TChaZhao*>(dialog);
                search->EditHeTName->setFocus();
                QTest::keyClicks(search->EditHeTName, number);
                QTest::mouseClick(search->Button1, Qt::LeftButton);
                const QRect cell =
                    search->wwDBGrid1->visualRect(search->wwDBGrid1->model()->index(0, 0));
                QTest::mouseDClick(search->wwDBGrid1->viewport(), Qt::LeftButton, {},
                                   cell.center());
            })
            .then([&](QDialog*) { shown = app().FormAddCom->DBEdit1->text(); });
        QTest::mouseClick(w.SpeedButton8, Qt::LeftButton);
        QCOMPARE(f.modal.seen,
                 (QStringList{QStringLiteral("ChaZhao"), QStringLiteral("FormAddCom")}));
        QCOMPARE(shown, number);
        QCOMPARE(f.dm().TBMarst->fieldByName(QStringLiteral("客户/供应商编号"))->asString(),
                 partnerAfter);

        // The next opening starts empty.
        bool empty = false;
        f.modal.then([&](QDialog* dialog) {
            auto* search = static_cast<TChaZhao*>(dialog);
            empty = search->EditHeTName->text().isEmpty() && !search->Button1->isEnabled() &&
                    search->wwDBGrid1->height() == 0 && !f.dm().TBQuery->isActive();
        });
        QTest::mouseClick(w.SpeedButton8, Qt::LeftButton);
        QVERIFY(empty);
    }
};
QINTARA_TEST(TestSearchCommand)
#include "tst_searchcommand.moc"

// The pattern every master-data window shares: the two layouts, the bar, the byte limits.
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "masterdata/masterdatawindow.h"
#include "masterdatafixture.h"
#include "shell/tfrmcompactmanager.h"

#include <QAction>
#include <QFrame>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

namespace {

int bottom(const QWidget* w) {
    return w->y() + w->height();
}

QStringList barCaptions(const QWidget* bar) {
    QList<QPushButton*> buttons = bar->findChildren<QPushButton*>();
    std::sort(buttons.begin(), buttons.end(),
              [](const QPushButton* a, const QPushButton* b) { return a->x() < b->x(); });
    QStringList captions;
    for (const QPushButton* b : buttons)
        captions << b->objectName() + u'=' + b->text();
    return captions;
}

} // namespace

class TestLayouts : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void layouts_data() {
        QTest::addColumn<QString>("menu");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("editHeight");
        QTest::addColumn<QStringList>("bar");
        QTest::addColumn<QStringList>("panelButtons");
        QTest::addColumn<QString>("box");
        QTest::addColumn<int>("bytes");
        QTest::newRow("partners") << "N7"
                                  << " 往来单位管理" << 169
                                  << QStringList{"Button1=添 加", "Button4=修 改", "Button2=删 除",
                                                 "Button3=退 出"}
                                  << QStringList{"Button5=确 定", "Button6=取 消"} << "DBEdit2"
                                  << 30;
        QTest::newRow("departments")
            << "N8"
            << "部门管理" << 100
            << QStringList{"Button1=添 加", "Button5=修 改", "Button2=删 除", "Button3=退 出"}
            << QStringList{"Button4=确   定", "Button6=取    消"} << "Edit1" << 20;
        QTest::newRow("operators")
            << "N6"
            << "用户及权限设置" << 200
            << QStringList{"Button1=添 加", "Button2=修 改", "Button3=删 除", "Button4=退 出"}
            << QStringList{"Button5=确 定", "Button6=取 消"} << "DBEdit1" << 10;
    }
    void layouts() {
        QFETCH(QString, menu);
        QFETCH(QString, caption);
        QFETCH(int, editHeight);
        QFETCH(QStringList, bar);
        QFETCH(QStringList, panelButtons);
        QFETCH(QString, box);
        QFETCH(int, bytes);
        MasterDataFixture f;
        QVERIFY(f.start());
        auto* item = f.main().findChild<QAction*>(menu);
        f.inWindow<MasterDataWindow>(item, [&](MasterDataWindow& w) {
            QCOMPARE(w.windowTitle(), caption);
            QCOMPARE(barCaptions(w.buttonBar()), bar);
            QCOMPARE(barCaptions(w.editPanel()), panelButtons);
            // list layout: the panel collapsed, the bar 5 pixels below it
            QVERIFY(!w.editPanel()->isVisible() && w.buttonBar()->isVisible());
            QCOMPARE(w.editPanel()->height(), 0);
            QCOMPARE(w.editPanel()->y(), bottom(w.grid()) + 5);
            QCOMPARE(w.buttonBar()->y(), bottom(w.editPanel()) + 5);
            QCOMPARE(w.frameGeometry().height(), bottom(w.buttonBar()) + 50);
            QVERIFY(w.grid()->isEnabled());

            MasterDataFixture::click(w.findChild<QPushButton*>(QStringLiteral("Button1")));
            QVERIFY(w.editPanel()->isVisible() && !w.buttonBar()->isVisible());
            QCOMPARE(w.editPanel()->height(), editHeight);
            QCOMPARE(w.editPanel()->y(), bottom(w.grid()) + 5);
            QCOMPARE(w.buttonBar()->y(), bottom(w.editPanel()) + 5);
            QCOMPARE(w.frameGeometry().height(), bottom(w.buttonBar()) + 50);
            QVERIFY(!w.grid()->isEnabled());

            // a Chinese character takes two bytes of the field's width
            auto* edit = w.findChild<QLineEdit*>(box);
            MasterDataFixture::type(edit, QString(bytes, QChar(0x4E2D)));
            QCOMPARE(edit->text(), QString(bytes / 2, QChar(0x4E2D)));
            MasterDataFixture::type(edit, QString(bytes + 3, u'a'));
            QCOMPARE(edit->text(), QString(bytes, u'a'));
            MasterDataFixture::click(w.findChild<QPushButton*>(QStringLiteral("Button6")));
            QVERIFY(!w.isEditLayout());
            QCOMPARE(w.frameGeometry().height(), bottom(w.buttonBar()) + 50);
        });
    }
};

QINTARA_TEST(TestLayouts)
#include "tst_layouts.moc"

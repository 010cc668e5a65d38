// The editor as the user sees it in each mode, in the program's font: nothing clipped, nothing
// overlapping. With QINTARA_SHOTS set to a folder, each mode is also saved there as a picture
// (editor-add.png, editor-view.png, editor-modify.png, editor-extra.png).
#include "common/testregistry.h"
#include "contracts/scheduletab.h"
#include "contracts/tformaddcom.h"
#include "editorfixture.h"

#include "components/dateedit.h"
#include <QAbstractButton>

#include <QAbstractItemView>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStyleFactory>
#include <QTabWidget>
#include <QTest>

namespace {

// Visible widgets whose text needs more room than they have.
QStringList clipped(const QWidget& window) {
    QStringList out;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        if (!w->isVisible())
            continue;
        const auto* label = qobject_cast<QLabel*>(w);
        const auto* button = qobject_cast<QAbstractButton*>(w);
        if (label && w->width() < w->sizeHint().width())
            out << label->text();
        // buttons may be narrower than their preferred size, as long as the caption fits
        QString caption = button ? button->text() : QString();
        caption.remove(u'&');
        if (!caption.isEmpty() && w->width() < w->fontMetrics().horizontalAdvance(caption) + 8)
            out << caption;
    }
    return out;
}

// Pairs of visible controls of one layout that cover each other.
QStringList overlapping(const QWidget& area) {
    QList<QWidget*> shown;
    for (QWidget* w : area.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
        if (w->isVisible())
            shown << w;
    QStringList out;
    for (int i = 0; i < shown.size(); ++i)
        for (int j = i + 1; j < shown.size(); ++j)
            if (shown[i]->geometry().intersects(shown[j]->geometry()))
                out << shown[i]->objectName() + u'/' + shown[j]->objectName();
    return out;
}

} // namespace

class TestEditorLook : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        m_font = QApplication::font();
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
        QFont font(QStringLiteral("Noto Serif CJK SC"));
        font.setPixelSize(12);
        QApplication::setFont(font);
    }
    void cleanupTestCase() { QApplication::setFont(m_font); }

    void modes_data() {
        QTest::addColumn<QString>("mode");
        QTest::newRow("add") << "add";
        QTest::newRow("view") << "view";
        QTest::newRow("modify") << "modify";
        QTest::newRow("modify, extra tab") << "extra";
    }

    void modes() {
        QFETCH(QString, mode);
        EditorFixture f;
        const int id =
            f.addContract(QStringLiteral("HT2024-001"), QStringLiteral("办公楼空调设备采购安装"),
                          QStringLiteral("KH001"), QStringLiteral("收款"), 1280000);
        f.addReceivable(id, QDate(2024, 4, 30), 384000, 384000);
        f.addReceivable(id, QDate(2024, 8, 31), 640000);
        f.exec(
            QStringLiteral(
                "UPDATE Compact SET 签订日期 = '2024-03-01', 所属部门 = '销售部', "
                "责任人 = '王经理', 合同类型 = '购销合同', 合同内容 = '甲方向乙方采购空调设备。' "
                "WHERE CompactID = ?"),
            {id});
        f.start();
        TFormAddCom& e = f.editor();
        if (mode == QLatin1String("add")) {
            f.openAdd(QStringLiteral("HT2024-002"));
        } else {
            f.openView(QStringLiteral("HT2024-001"));
            if (mode != QLatin1String("view"))
                EditorFixture::click(e.Button6);
            e.PageControl1->setCurrentIndex(mode == QLatin1String("extra") ? 3 : 1);
        }
        if (const QString folder = qEnvironmentVariable("QINTARA_SHOTS"); !folder.isEmpty())
            QVERIFY(
                e.grab().save(QDir(folder).filePath(QStringLiteral("editor-%1.png").arg(mode))));
        QCOMPARE(e.size(), QSize(616, 620));
        const QStringList cut = clipped(e);
        QVERIFY2(cut.isEmpty(), qPrintable(cut.join(QStringLiteral(", "))));
        const QStringList covered =
            overlapping(*e.findChild<QWidget*>(QStringLiteral("fieldBlock")));
        QVERIFY2(covered.isEmpty(), qPrintable(covered.join(QStringLiteral(", "))));
    }

    // In view mode the locked boxes look read-only, amounts show grouped, every box is named
    // after its label, and the partner list drops down twelve rows.
    void viewLook() {
        EditorFixture f;
        for (int i = 0; i < 20; ++i)
            f.addPartner(QStringLiteral("P%1").arg(i, 2, 10, QLatin1Char('0')),
                         QStringLiteral("单位%1").arg(i), true, true);
        f.addContract(QStringLiteral("HT001"), QStringLiteral("大额"), QStringLiteral("KH001"),
                      QStringLiteral("收款"), 581742.24);
        f.start();
        f.openView(QStringLiteral("HT001"));
        TFormAddCom& e = f.editor();
        QCOMPARE(e.DBEdit5->text(), QStringLiteral("581,742.24"));
        const QColor window = e.palette().color(QPalette::Window);
        for (QWidget* box : std::initializer_list<QWidget*>{e.DBEdit1, e.DBEdit5, e.DBMemo1})
            QCOMPARE(box->palette().color(QPalette::Base), window);
        const std::pair<QWidget*, const char*> names[] = {
            {e.DBEdit1, "合同编号"},
            {e.DBEdit2, "合同名称"},
            {e.DBEdit5, "合同金额"},
            {e.DBLookupComboBox1, "往来单位"},
            {static_cast<QWidget*>(e.wwDBDateTimePicker1), "签订日期"},
            {e.DBMemo1, "合同内容"}};
        for (const auto& [box, name] : names)
            QCOMPARE(box->accessibleName(), QString::fromUtf8(name));
        EditorFixture::click(e.Button6);
        QVERIFY(e.DBEdit1->palette().color(QPalette::Base) != window);
        e.DBLookupComboBox1->showPopup();
        QAbstractItemView* list = e.DBLookupComboBox1->view();
        QCOMPARE(qRound(list->viewport()->height() / double(list->sizeHintForRow(0))), 12);
        e.DBLookupComboBox1->hidePopup();
    }

private:
    QFont m_font;
};

QINTARA_TEST(TestEditorLook)
#include "tst_editorlook.moc"

// The editor as the user sees it in each mode, in the program's font: nothing clipped, nothing
// overlapping. With QINTARA_SHOTS set to a folder, each mode is also saved there as a picture
// (editor-add.png, editor-view.png, editor-modify.png, editor-extra.png).
#include "common/testregistry.h"
#include "contracts/scheduletab.h"
#include "contracts/tformaddcom.h"
#include "editorfixture.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QLabel>
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

private:
    QFont m_font;
};

QINTARA_TEST(TestEditorLook)
#include "tst_editorlook.moc"

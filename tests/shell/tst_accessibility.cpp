// What a screen reader hears in every window: each control that a user can act on is read by a
// Chinese name, and the yes/no cells of the lists by 是 and 否.
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "masterdata/tquanxfrm.h"
#include "shell/appcontext.h"
#include "shell/tcloseform.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"
#include "shellfixture.h"

#include <QAbstractItemView>
#include <QAbstractSpinBox>
#include <QAccessible>
#include <QAction>
#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QTest>
#include <QTextEdit>
#include <QToolBar>
#include <QToolButton>

namespace {

bool inside(const QWidget* w, auto isOwner) {
    for (const QWidget* p = w->parentWidget(); p; p = p->parentWidget()) {
        if (isOwner(p))
            return true;
    }
    return false;
}

// Buttons, boxes, lists, text areas, toolbars and pictures that act when clicked; not the parts
// of a combo box, spin box, calendar or list, which are read through their owner.
bool isControl(const QWidget* w) {
    const bool clickablePicture = qobject_cast<const QLabel*>(w) &&
                                  !static_cast<const QLabel*>(w)->pixmap().isNull() &&
                                  w->cursor().shape() == Qt::PointingHandCursor;
    const bool control =
        qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
        qobject_cast<const QComboBox*>(w) || qobject_cast<const QAbstractSpinBox*>(w) ||
        qobject_cast<const QPlainTextEdit*>(w) || qobject_cast<const QTextEdit*>(w) ||
        qobject_cast<const QAbstractItemView*>(w) || qobject_cast<const QToolBar*>(w) ||
        clickablePicture;
    // a list's headers and corner button are read with the list
    return control && !inside(w, [](const QWidget* p) {
               return qobject_cast<const QComboBox*>(p) ||
                      qobject_cast<const QAbstractSpinBox*>(p) ||
                      qobject_cast<const QCalendarWidget*>(p) ||
                      qobject_cast<const QAbstractItemView*>(p);
           });
}

QString heard(QWidget* w) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(w);
    return face ? face->text(QAccessible::Name) : QString();
}

// "window/object (class): name" for each control of the window itself (not of the windows it
// owns) whose name is empty or holds no Chinese.
QStringList unnamed(QWidget* window) {
    static const QRegularExpression chinese(QStringLiteral("[\\x{4e00}-\\x{9fff}]"));
    QStringList out;
    for (QWidget* w : window->findChildren<QWidget*>()) {
        if (w->window() != window || !isControl(w))
            continue;
        const QString name = heard(w);
        if (!name.contains(chinese))
            out << QStringLiteral("%1/%2 (%3): \"%4\"")
                       .arg(window->objectName(), w->objectName(),
                            QString::fromUtf8(w->metaObject()->className()), name);
    }
    return out;
}

} // namespace

class TestAccessibility : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Every window as its command opens it.
    void everyControlHasAChineseName() {
        ShellFixture f;
        f.addPartner(QStringLiteral("P1"), QStringLiteral("甲公司"), true, true);
        f.addContract(QStringLiteral("HT-001"), QStringLiteral("P1"));
        QStringList missing;
        const auto check = [&](QDialog* window) { missing << unnamed(window); };
        QVERIFY(f.start());
        TfrmCompactManager& w = f.main();
        missing << unnamed(&w) << unnamed(&f.loginDialog());
        const QStringList commands = {"SpeedButton5",
                                      "SpeedButton8",
                                      "SpeedButton4",
                                      "SpeedButton6",
                                      "SpeedButton2",
                                      "N6",
                                      "N7",
                                      "N8",
                                      "N10",
                                      "N11",
                                      "N5"};
        for (const QString& name : commands) {
            f.modal.seen.clear();
            f.modal.then(check);
            if (auto* button = w.findChild<QToolButton*>(name))
                QTest::mouseClick(button, Qt::LeftButton);
            else
                w.findChild<QAction*>(name)->trigger();
            QVERIFY2(!f.modal.seen.isEmpty(), qPrintable(name));
        }
        f.modal.then([&](QDialog* window) {
            check(window);
            QTest::mouseClick(static_cast<TCloseForm*>(window)->Button3, Qt::LeftButton);
        });
        w.close();
        QCOMPARE(missing, QStringList());
    }

    // A combo box is read by its label; its choice is its value.
    void comboBoxReadsItsLabel() {
        ShellFixture f;
        QString name, value;
        f.modal.then([&](QDialog* login) {
            auto* box = login->findChild<QComboBox*>(QStringLiteral("UserName"));
            box->setCurrentIndex(0);
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(box);
            name = face->text(QAccessible::Name);
            value = face->text(QAccessible::Value);
            ShellFixture::login(QStringLiteral("管理员"), {})(login);
        });
        QVERIFY(f.start());
        QCOMPARE(name, QStringLiteral("用户"));
        QCOMPARE(value, QStringLiteral("管理员"));
    }

    // The rights in the operators list read 是 or 否, to the eye and to a screen reader.
    void yesNoCellsRead() {
        ShellFixture f;
        f.addOperator(QStringLiteral("李四"), {}, {QStringLiteral("删除")});
        QVERIFY(f.start());
        QStringList shown, read;
        f.modal.then([&](QDialog* window) {
            DBGrid* grid = static_cast<Tquanxfrm*>(window)->findChild<DBGrid*>();
            QAbstractItemModel* m = grid->model();
            int add = -1, remove = -1;
            for (int c = 0; c < m->columnCount(); ++c) {
                const QString title = m->headerData(c, Qt::Horizontal).toString();
                add = title == QStringLiteral("增加") ? c : add;
                remove = title == QStringLiteral("删除") ? c : remove;
            }
            QAccessibleTableInterface* table =
                QAccessible::queryAccessibleInterface(grid)->tableInterface();
            QVERIFY(table);
            for (int column : {add, remove}) {
                shown << m->index(1, column).data().toString();
                read << table->cellAt(1, column)->text(QAccessible::Name);
            }
        });
        f.main().N6->trigger();
        QCOMPARE(shown, QStringList({QStringLiteral("否"), QStringLiteral("是")}));
        QCOMPARE(read, shown);
    }
};
QINTARA_TEST(TestAccessibility)
#include "tst_accessibility.moc"

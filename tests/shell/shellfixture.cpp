#include "shellfixture.h"

#include "components/dbgrid.h"
#include "data/tdmod.h"
#include "platform/clock.h"
#include "platform/paths.h"
#include "shell/appcontext.h"
#include "shell/startup.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QTabBar>
#include <QTabWidget>
#include <QTest>

ShellFixture::ShellFixture() = default;

ShellFixture::~ShellFixture() {
    stop();
}

void ShellFixture::addOperator(const QString& name, const QVariant& password,
                               const QStringList& rights) {
    exec(QStringLiteral("INSERT INTO Operator (OperatorName, Password) VALUES (?, ?)"),
         {name, password.isNull() ? QVariant(QMetaType(QMetaType::QString)) : password});
    for (const QString& right : rights)
        exec(QStringLiteral("UPDATE Operator SET %1 = 1 WHERE OperatorName = ?").arg(quoted(right)),
             {name});
}

int ShellFixture::addContract(const QString& number, const QString& partner) {
    return RegisterFixture::addContract(number, QStringLiteral("合同") + number,
                                        partner.isEmpty() ? QString() : partner,
                                        QStringLiteral("收款"));
}

void ShellFixture::addReceivable(int compactId, double amount) {
    exec(QStringLiteral("INSERT INTO AccountReceive (CompactID, 应收金额, 实收金额, 发票额) "
                        "VALUES (?, ?, 0, 0)"),
         {compactId, qlonglong(amount * 10000)});
}

bool ShellFixture::start(const QString& user, const QString& password) {
    stop();
    modal.then(login(user, password));
    m_startup = std::make_unique<Startup>();
    return m_startup->run();
}

Modal::ScriptedModal::Action ShellFixture::login(const QString& user, const QString& password) {
    return [user, password](QDialog* dialog) {
        auto* names = dialog->findChild<QComboBox*>(QStringLiteral("UserName"));
        auto* box = dialog->findChild<QLineEdit*>(QStringLiteral("Password"));
        QVERIFY(names && box);
        names->setCurrentIndex(names->findText(user));
        box->clear();
        typeText(box, password);
        QTest::mouseClick(dialog->findChild<QPushButton*>(QStringLiteral("BtYes")), Qt::LeftButton);
    };
}

void ShellFixture::typeText(QWidget* box, const QString& text) {
    for (const QChar c : text) {
        if (c.unicode() < 0x80)
            QTest::keyClick(box, char(c.unicode()));
        else
            QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
    }
}

QStringList ShellFixture::registerShown(const QWidget& window) {
    QStringList shown;
    for (const QAbstractItemView* view : window.findChildren<QAbstractItemView*>()) {
        // a header shows the titles of its list, not rows of its own
        if (view->isVisible() && !qobject_cast<const QHeaderView*>(view) && view->model() &&
            view->model()->rowCount() > 0)
            shown << view->objectName();
    }
    shown.sort();
    return shown;
}

void ShellFixture::stop() {
    m_startup.reset();
}

TfrmCompactManager& ShellFixture::main() const {
    return *app().frmCompactManager;
}

TLogin& ShellFixture::loginDialog() const {
    return *app().Login;
}

TDMod& ShellFixture::dm() const {
    return *app().DMod;
}

void ShellFixture::chooseTab(TfrmCompactManager& window, int index) {
    QTabBar* bar = window.PageControl1->tabBar();
    QTest::mouseClick(bar, Qt::LeftButton, {}, bar->tabRect(index).center());
    QCOMPARE(window.activeTab(), index);
}

void ShellFixture::clickRow(DBGrid* grid, int row) {
    grid->scrollTo(grid->model()->index(row, 0));
    const QRect cell = grid->visualRect(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
}

void ShellFixture::doubleClickRow(DBGrid* grid, int row) {
    grid->scrollTo(grid->model()->index(row, 0));
    const QPoint at = grid->visualRect(grid->model()->index(row, 0)).center();
    QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
}

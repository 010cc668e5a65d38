#include "editorfixture.h"

#include "common/userinput.h"

#include "contracts/tformaddcom.h"
#include "platform/clock.h"
#include "shell/appcontext.h"
#include "shell/tlogin.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTest>

EditorFixture::EditorFixture() {
    Clock::setNow(QDateTime(QDate(2024, 3, 15), QTime(9, 30)));
    addPartner(QStringLiteral("KH001"), QStringLiteral("华东客户"), true, false);
    addPartner(QStringLiteral("GY001"), QStringLiteral("北方供应商"), false, true);
    exec(QStringLiteral("INSERT INTO Department (部门名称) VALUES ('财务部'), ('销售部')"));
}

EditorFixture::~EditorFixture() {
    m_editor.reset(); // before the data module it is bound to
    m_login.reset();
    app() = AppContext();
}

void EditorFixture::addOperator(const QString& name, const QStringList& rights) {
    exec(QStringLiteral("INSERT INTO Operator (OperatorName) VALUES (?)"), {name});
    for (const QString& right : rights)
        exec(QStringLiteral("UPDATE Operator SET %1 = 1 WHERE OperatorName = ?").arg(quoted(right)),
             {name});
}

void EditorFixture::start(const QString& user) {
    TDMod& dm = openModule();
    m_login = std::make_unique<TLogin>();
    m_login->bindData(dm.database());
    m_login->TBLogin->open();
    m_login->CurUserName = user;
    m_editor = std::make_unique<TFormAddCom>();
    app().DMod = &dm;
    app().Login = m_login.get();
    app().FormAddCom = m_editor.get();
}

void EditorFixture::showEditor() {
    m_editor->show();
    m_editor->activateWindow();
    if (!QTest::qWaitForWindowActive(m_editor.get()))
        qWarning("the editor did not become the active window");
}

void EditorFixture::openAdd(const QString& number) {
    m_editor->UnlockCompactFields();
    Dataset& c = contracts();
    c.append();
    c.fieldByName(QStringLiteral("合同编号"))->setValue(number);
    c.fieldByName(QStringLiteral("录入日期"))->setValue(Clock::today());
    c.fieldByName(QStringLiteral("录入"))->setValue(m_login->CurUserName);
    m_editor->prepareAdd();
    showEditor();
}

void EditorFixture::openView(const QString& number) {
    contracts().locate(QStringLiteral("合同编号"), number);
    m_editor->prepareView();
    showEditor();
}

void EditorFixture::fillRequired(const QString& direction) {
    TFormAddCom& e = *m_editor;
    type(e.DBEdit2, QStringLiteral("办公设备采购"));
    choose(e.DBComboBox1, direction);
    choose(e.DBLookupComboBox1, QStringLiteral("华东客户"));
    type(e.DBEdit5, QStringLiteral("12345.67"));
}

QVariant EditorFixture::stored(const QString& number, const QString& column) {
    return scalar(QStringLiteral("SELECT %1 FROM Compact WHERE 合同编号 = ?").arg(quoted(column)),
                  {number});
}

int EditorFixture::count(const QString& table) {
    return scalar(QStringLiteral("SELECT count(*) FROM %1").arg(table)).toInt();
}

void EditorFixture::type(QWidget* box, const QString& text) {
    UserInput::type(box, text);
}

void EditorFixture::paste(QWidget* box, const QString& text) {
    QGuiApplication::clipboard()->setText(text);
    box->setFocus();
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(box, Qt::Key_V, Qt::ControlModifier);
}

void EditorFixture::click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

void EditorFixture::choose(QComboBox* box, const QString& item) {
    UserInput::choose(box, item);
}

void EditorFixture::pressKey(QWidget* widget, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QTest::keyClick(widget, key, modifiers);
}

#include "tquanxfrm.h"

#include "components/dbgrid.h"
#include "data/tdmod.h"
#include "leavewritelink.h"
#include "shell/appcontext.h"
#include "shell/tlogin.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QVBoxLayout>

namespace {

const QString Name = QStringLiteral("OperatorName");
const QString ManagerRight = QStringLiteral("用户权限设置");

MasterDataLook look() {
    MasterDataLook l;
    l.objectName = QStringLiteral("quanxfrm");
    l.caption = QStringLiteral("用户及权限设置");
    l.dataset = &TDMod::TBOperator;
    l.gridName = QStringLiteral("wwDBGrid1");
    // never the password
    l.columns = {{Name, QStringLiteral("用户名称"), 10},
                 {QStringLiteral("增加"), {}, 10},
                 {QStringLiteral("删除"), {}, 10},
                 {QStringLiteral("修改"), {}, 10},
                 {ManagerRight, {}, 10},
                 {QStringLiteral("数据备份"), {}, 10},
                 {QStringLiteral("数据恢复"), {}, 10},
                 {QStringLiteral("k1"), QStringLiteral("网络设置"), 5}};
    l.width = 640;
    l.gridHeight = 220;
    l.editHeight = 200;
    l.add = {QStringLiteral("Button1"), QStringLiteral("添 加")};
    l.modify = {QStringLiteral("Button2"), QStringLiteral("修 改")};
    l.remove = {QStringLiteral("Button3"), QStringLiteral("删 除")};
    l.exit = {QStringLiteral("Button4"), QStringLiteral("退 出")};
    l.confirm = {QStringLiteral("Button5"), QStringLiteral("确 定")};
    l.cancel = {QStringLiteral("Button6"), QStringLiteral("取 消")};
    l.deleteCaption = QStringLiteral("删除用户");
    l.deleteText = QStringLiteral("确定删除用户名为：");
    l.deleteField = Name;
    l.suspendWhileEditing = true;
    return l;
}

QCheckBox* rightBox(const QString& name, const QString& caption, QWidget* parent) {
    auto* box = new QCheckBox(caption, parent);
    box->setObjectName(name);
    return box;
}

} // namespace

Tquanxfrm::Tquanxfrm(QWidget* parent) : MasterDataWindow(look(), parent) {
    Button1 = m_addButton;
    Button2 = m_modifyButton;
    Button3 = m_deleteButton;
    Button4 = m_exitButton;
    Button5 = m_confirmButton;
    Button6 = m_cancelButton;
    buildPanel();
    ensureBound();
}

Tquanxfrm::~Tquanxfrm() {
    if (dm())
        dm()->operatorCancel = nullptr;
}

void Tquanxfrm::buildPanel() {
    QFrame* panel = editPanel();
    DBEdit1 = textBox(QStringLiteral("DBEdit1"), QStringLiteral("用户名称"), panel);
    DBEdit2 = textBox(QStringLiteral("DBEdit2"), QStringLiteral("用户密码"), panel);
    DBEdit2->setEchoMode(QLineEdit::Password);
    // stored passwords are hashes and never shown: the box only takes a new one
    DBEdit2->setPlaceholderText(QStringLiteral("不修改请留空"));
    DBEdit2->setStyleSheet(QStringLiteral("lineedit-password-character: 42;")); // '*'

    auto* names = new QGridLayout;
    names->addWidget(new QLabel(QStringLiteral("用户名称  "), panel), 0, 0);
    names->addWidget(DBEdit1, 0, 1);
    names->addWidget(new QLabel(QStringLiteral("用户密码   "), panel), 1, 0);
    names->addWidget(DBEdit2, 1, 1);
    names->setRowStretch(2, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button5);
    buttons->addSpacing(20);
    buttons->addWidget(Button6);
    buttons->addStretch(1);
    names->addLayout(buttons, 3, 0, 1, 2);

    auto* row = new QHBoxLayout(panel);
    row->setContentsMargins(10, 8, 10, 8);
    row->setSpacing(16);
    row->addLayout(names, 1);
    row->addWidget(buildRights(panel), 1);
}

// Two columns, top to bottom: 增 加, 删 除, 修 改, 网络设置 | 数据恢复, 数据备份, 用户权限设置.
QGroupBox* Tquanxfrm::buildRights(QWidget* panel) {
    GroupBox1 = new QGroupBox(QStringLiteral("设置权限"), panel);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    DBCheckBox1 = rightBox(QStringLiteral("DBCheckBox1"), QStringLiteral("增 加"), GroupBox1);
    DBCheckBox2 = rightBox(QStringLiteral("DBCheckBox2"), QStringLiteral("删 除"), GroupBox1);
    DBCheckBox3 = rightBox(QStringLiteral("DBCheckBox3"), QStringLiteral("修 改"), GroupBox1);
    DBCheckBox4 = rightBox(QStringLiteral("DBCheckBox4"), QStringLiteral("网络设置"), GroupBox1);
    DBCheckBox5 = rightBox(QStringLiteral("DBCheckBox5"), QStringLiteral("数据恢复"), GroupBox1);
    DBCheckBox6 = rightBox(QStringLiteral("DBCheckBox6"), QStringLiteral("数据备份"), GroupBox1);
    DBCheckBox7 = rightBox(QStringLiteral("DBCheckBox7"), ManagerRight, GroupBox1);
    auto* grid = new QGridLayout(GroupBox1);
    const QList<QCheckBox*> left = {DBCheckBox1, DBCheckBox2, DBCheckBox3, DBCheckBox4};
    const QList<QCheckBox*> right = {DBCheckBox5, DBCheckBox6, DBCheckBox7};
    for (int i = 0; i < left.size(); ++i)
        grid->addWidget(left[i], i, 0);
    for (int i = 0; i < right.size(); ++i)
        grid->addWidget(right[i], i, 1);
    return GroupBox1;
}

void Tquanxfrm::bindPanel(TDMod& dm) {
    wwDBGrid1 = grid();
    Dataset* ds = dm.TBOperator;
    m_links.add<LeaveWriteLink>(ds, Name, DBEdit1);
    m_links.add<LineEditLink>(ds, QStringLiteral("Password"), DBEdit2);
    const QList<QPair<QString, QCheckBox*>> rights = {{QStringLiteral("增加"), DBCheckBox1},
                                                      {QStringLiteral("删除"), DBCheckBox2},
                                                      {QStringLiteral("修改"), DBCheckBox3},
                                                      {QStringLiteral("k1"), DBCheckBox4},
                                                      {QStringLiteral("数据恢复"), DBCheckBox5},
                                                      {QStringLiteral("数据备份"), DBCheckBox6},
                                                      {ManagerRight, DBCheckBox7}};
    for (const auto& [field, box] : rights)
        m_links.add<CheckLink>(ds, field, box);
    // the name emptied and left discards the row and closes the panel
    dm.operatorCancel = [this] { cancelRecord(); };
    if (TLogin* login = app().Login)
        connect(this, &Tquanxfrm::repaintLoginList, login->UserName, qOverload<>(&QWidget::update),
                Qt::UniqueConnection);
}

// The name is not trimmed for the test: a name of blanks passes. The password is not checked.
void Tquanxfrm::confirm() {
    if (DBEdit1->text().isEmpty()) {
        refuse(QStringLiteral("用户名称不可为空！"), DBEdit1);
        return;
    }
    Dataset* ds = dataset();
    m_links.commit(); // as when the box is left
    if (!ds->isEditing()) {
        listLayout();
        return;
    }
    if (leavesNoManager(ds->fieldByName(ManagerRight)->asBoolean())) {
        refuse(LastManagerText, DBCheckBox7);
        return;
    }
    if (!save())
        return;
    // the logged-in operator keeps his name in the status bar and in the login list
    if (TLogin* login = app().Login)
        login->operatorSaved(ds->value(QStringLiteral("OperatorID")), ds->value(Name).toString());
    ds->refresh();
    listLayout();
}

bool Tquanxfrm::mayDelete() {
    if (!leavesNoManager(false))
        return true;
    refuse(LastManagerText, nullptr);
    return false;
}

void Tquanxfrm::deleteAsked() {
    Q_EMIT repaintLoginList();
}

// The login dialog and every later permission check read the operators and rights as saved.
void Tquanxfrm::closing() {
    Dataset* ds = dataset();
    ds->close();
    if (TLogin* login = app().Login; login && login->TBLogin) {
        login->TBLogin->close();
        login->TBLogin->open();
    }
    ds->open();
    cancelRecord();
}

int Tquanxfrm::managers(const QVariant& exceptId) const {
    QSqlQuery q = dm()->database().prepare(
        QStringLiteral("SELECT count(*) FROM Operator WHERE \"%1\" <> 0 AND OperatorID <> ?")
            .arg(ManagerRight));
    q.addBindValue(exceptId.isNull() ? QVariant(-1) : exceptId);
    Database::exec(q);
    return q.next() ? q.value(0).toInt() : 0;
}

bool Tquanxfrm::leavesNoManager(bool rowKeepsRight) const {
    const QVariant id = dataset()->fieldByName(QStringLiteral("OperatorID"))->value();
    const int others = managers(id);
    const int now = managers(QVariant()); // every stored row
    return now > 0 && others == 0 && !rowKeepsRight;
}

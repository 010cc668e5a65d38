#include "twldanwei.h"

#include "components/dbgrid.h"
#include "contracts/nextcompactno.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "platform/dialogs.h"
#include "shell/appcontext.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

namespace {

const QString Number = QStringLiteral("ScNum");

MasterDataLook look() {
    MasterDataLook l;
    l.objectName = QStringLiteral("WLDanWei");
    l.caption = QStringLiteral(" 往来单位管理");
    l.dataset = &TDMod::TBServer;
    l.gridName = QStringLiteral("wwDBGrid1");
    l.columns = {{Number, QStringLiteral("往来单位编号"), 18},
                 {QStringLiteral("ScName"), QStringLiteral("往来单位名称"), 30},
                 {QStringLiteral("联系人"), {}, 30},
                 {QStringLiteral("联系电话"), {}, 30},
                 {QStringLiteral("地址邮编"), {}, 50},
                 {QStringLiteral("简称"), {}, 15},
                 {QStringLiteral("客户"), {}, 10},
                 {QStringLiteral("供应商"), {}, 10}};
    l.width = 760;
    l.gridHeight = 300;
    l.editHeight = 169;
    l.pickHint = QStringLiteral("双击即可选中该单位名称");
    l.add = {QStringLiteral("Button1"), QStringLiteral("添 加")};
    l.modify = {QStringLiteral("Button4"), QStringLiteral("修 改")};
    l.remove = {QStringLiteral("Button2"), QStringLiteral("删 除")};
    l.exit = {QStringLiteral("Button3"), QStringLiteral("退 出")};
    l.confirm = {QStringLiteral("Button5"), QStringLiteral("确 定")};
    l.cancel = {QStringLiteral("Button6"), QStringLiteral("取 消")};
    l.deleteCaption = QStringLiteral("删除记录");
    l.deleteText = QStringLiteral("确定删除编号为：");
    l.deleteField = Number;
    l.suspendWhileEditing = true;
    l.keyField = Number;
    l.references = {{QStringLiteral("Compact"), QStringLiteral("SCNum"), true},
                    {QStringLiteral("StampTax"), QStringLiteral("SCNum"), false}};
    l.inUseText = QStringLiteral("编号为%1的往来单位已被%2份合同使用，不能删除！");
    return l;
}

} // namespace

TWLDanWei::TWLDanWei(QWidget* parent) : MasterDataWindow(look(), parent) {
    Button1 = m_addButton;
    Button4 = m_modifyButton;
    Button2 = m_deleteButton;
    Button3 = m_exitButton;
    Button5 = m_confirmButton;
    Button6 = m_cancelButton;
    buildPanel();
    ensureBound();
}

void TWLDanWei::buildPanel() {
    QFrame* panel = editPanel();
    DBEdit1 = textBox(QStringLiteral("DBEdit1"), QStringLiteral("往来单位编号"), panel);
    DBEdit2 = textBox(QStringLiteral("DBEdit2"), QStringLiteral("往来单位名称"), panel);
    DBEdit3 = textBox(QStringLiteral("DBEdit3"), QStringLiteral("联系人"), panel);
    DBEdit4 = textBox(QStringLiteral("DBEdit4"), QStringLiteral("联系电话"), panel);
    DBEdit5 = textBox(QStringLiteral("DBEdit5"), QStringLiteral("地址邮编"), panel);
    DBEdit6 = textBox(QStringLiteral("DBEdit6"), QStringLiteral("往来单位简称"), panel);
    GroupBox1 = new QGroupBox(QStringLiteral("供应商/客户 :"), panel);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    DBCheckBox1 = new QCheckBox(QStringLiteral("客户"), GroupBox1);
    DBCheckBox1->setObjectName(QStringLiteral("DBCheckBox1"));
    DBCheckBox2 = new QCheckBox(QStringLiteral("供应商"), GroupBox1);
    DBCheckBox2->setObjectName(QStringLiteral("DBCheckBox2"));
    auto* kinds = new QHBoxLayout(GroupBox1);
    kinds->addWidget(DBCheckBox1);
    kinds->addSpacing(30);
    kinds->addWidget(DBCheckBox2);
    kinds->addStretch(1);

    auto* grid = new QGridLayout(panel);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(8);
    const QList<QPair<QString, QLineEdit*>> boxes = {
        {QStringLiteral("往来单位编号"), DBEdit1}, {QStringLiteral("往来单位名称"), DBEdit2},
        {QStringLiteral("联系人"), DBEdit3},       {QStringLiteral("联系电话"), DBEdit4},
        {QStringLiteral("地址邮编"), DBEdit5},     {QStringLiteral("往来单位简称"), DBEdit6}};
    for (int i = 0; i < boxes.size(); ++i) {
        grid->addWidget(new QLabel(boxes[i].first, panel), i / 2, (i % 2) * 2);
        grid->addWidget(boxes[i].second, i / 2, (i % 2) * 2 + 1);
    }
    grid->addWidget(GroupBox1, 3, 0, 1, 2);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button5);
    buttons->addSpacing(12);
    buttons->addWidget(Button6);
    grid->addLayout(buttons, 3, 2, 1, 2);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(3, 1);
}

void TWLDanWei::bindPanel(TDMod& dm) {
    wwDBGrid1 = grid();
    Dataset* ds = dm.TBServer;
    const QStringList fields = {Number,
                                QStringLiteral("ScName"),
                                QStringLiteral("联系人"),
                                QStringLiteral("联系电话"),
                                QStringLiteral("地址邮编"),
                                QStringLiteral("简称")};
    const QList<QLineEdit*> boxes = {DBEdit1, DBEdit2, DBEdit3, DBEdit4, DBEdit5, DBEdit6};
    for (int i = 0; i < boxes.size(); ++i)
        m_links.add<LineEditLink>(ds, fields[i], boxes[i]);
    m_links.add<CheckLink>(ds, QStringLiteral("客户"), DBCheckBox1);
    m_links.add<CheckLink>(ds, QStringLiteral("供应商"), DBCheckBox2);
}

void TWLDanWei::shown() {
    dataset()->setSort(Number);
}

// The proposal follows the last number in text order; a digit run too long to count on, or a
// proposal longer than the number can be, stops the command before anything changes.
bool TWLDanWei::mayAdd() {
    Dataset* ds = dataset();
    ds->setSort(Number);
    ds->last();
    const std::optional<QString> next =
        NextCompactNo(ds->isEmpty() ? QString() : ds->fieldByName(Number)->asString());
    if (!next || Gb2312::byteLength(*next) > ds->fieldByName(Number)->size()) {
        Dialogs::plain(QStringLiteral("往来单位编号无法自动递增，请先修改最大的往来单位编号。"));
        return false;
    }
    m_proposal = *next;
    return true;
}

void TWLDanWei::appended() {
    if (!m_proposal.isEmpty())
        dataset()->fieldByName(Number)->setValue(m_proposal);
}

// The boxes are checked, not the fields: blanks alone are refused, while the texts reach the
// register as typed.
void TWLDanWei::confirm() {
    if (refuseBlank(DBEdit1, QStringLiteral("往来单位编号不能为空！")) ||
        refuseBlank(DBEdit2, QStringLiteral("往来单位名称不能为空！")))
        return;
    Dataset* ds = dataset();
    if (ds->isEditing()) {
        if (!save())
            return;
        ds->refresh();
        ds->requery();
    } else {
        ds->refresh();
    }
    listLayout();
}

// A partner added or renamed here shows in the editor's partner box.
void TWLDanWei::closing() {
    if (TFormAddCom* editor = app().FormAddCom; editor && editor->partnerLink())
        editor->partnerLink()->reloadList();
    cancelRecord();
}

void TWLDanWei::pick() {
    const QVariant number = dataset()->fieldByName(Number)->value();
    TFormAddCom* editor = app().FormAddCom;
    if (editor && editor->partnerLink())
        editor->partnerLink()->setKeyValue(number);
    close();
    if (editor)
        editor->DBLookupComboBox1->setFocus();
}

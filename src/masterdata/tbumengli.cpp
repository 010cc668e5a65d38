#include "tbumengli.h"

#include "components/dbgrid.h"
#include "contracts/tformaddcom.h"
#include "data/tdmod.h"
#include "leavewritelink.h"
#include "shell/appcontext.h"

#include <QComboBox>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString Name = QStringLiteral("部门名称");

MasterDataLook look() {
    MasterDataLook l;
    l.objectName = QStringLiteral("BuMenGLi");
    l.caption = QStringLiteral("部门管理");
    l.dataset = &TDMod::TBDepartment;
    l.gridName = QStringLiteral("DBGrid1");
    l.columns = {{Name, Name, 20}};
    l.width = 340;
    l.gridHeight = 240;
    l.editHeight = 100;
    l.pickHint = QStringLiteral("双击即可选中该部门名称");
    l.add = {QStringLiteral("Button1"), QStringLiteral("添 加")};
    l.modify = {QStringLiteral("Button5"), QStringLiteral("修 改")};
    l.remove = {QStringLiteral("Button2"), QStringLiteral("删 除")};
    l.exit = {QStringLiteral("Button3"), QStringLiteral("退 出")};
    l.confirm = {QStringLiteral("Button4"), QStringLiteral("确   定")};
    l.cancel = {QStringLiteral("Button6"), QStringLiteral("取    消")};
    l.deleteCaption = QStringLiteral("删除记录");
    l.deleteText = QStringLiteral("确定删除部门名为：");
    l.deleteField = Name;
    l.suspendWhileEditing = false;
    l.keyField = Name;
    l.references = {{QStringLiteral("Compact"), QStringLiteral("所属部门"), true}};
    l.inUseText = QStringLiteral("名为%1的部门已被%2份合同使用，不能删除！");
    return l;
}

} // namespace

TBuMenGLi::TBuMenGLi(QWidget* parent) : MasterDataWindow(look(), parent) {
    // close and minimise only
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint);
    Button1 = m_addButton;
    Button5 = m_modifyButton;
    Button2 = m_deleteButton;
    Button3 = m_exitButton;
    Button4 = m_confirmButton;
    Button6 = m_cancelButton;
    buildPanel();
    ensureBound();
}

void TBuMenGLi::buildPanel() {
    QFrame* panel = editPanel();
    Label1 = new QLabel(QStringLiteral("  请输入您要添加的部门名称："), panel);
    Label1->setObjectName(QStringLiteral("Label1"));
    Edit1 = textBox(QStringLiteral("Edit1"), Name, panel);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Button4);
    buttons->addSpacing(20);
    buttons->addWidget(Button6);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout(panel);
    column->setContentsMargins(10, 6, 10, 6);
    column->addWidget(Label1);
    column->addWidget(Edit1);
    column->addLayout(buttons);
}

void TBuMenGLi::bindPanel(TDMod& dm) {
    DBGrid1 = grid();
    m_nameLink = m_links.add<LeaveWriteLink>(dm.TBDepartment, Name, Edit1);
    // after the link has written the name
    connect(Edit1, &QLineEdit::editingFinished, this, &TBuMenGLi::nameLeft, Qt::UniqueConnection);
}

// The name was emptied and left: the data module has discarded the row. The box stays empty
// and takes nothing more, so nothing typed now can land in another department; 确定 or 取消
// returns to the list.
void TBuMenGLi::nameLeft() {
    if (state() != State::List && !dataset()->isEditing()) {
        Edit1->setText(QString());
        m_nameLink->setLocked(true);
    }
}

void TBuMenGLi::appended() {
    m_nameLink->setLocked(false);
    Edit1->setText(QString());
}

void TBuMenGLi::editing() {
    m_nameLink->setLocked(false);
    Edit1->setText(dataset()->isEmpty() ? QString() : dataset()->fieldByName(Name)->asString());
}

void TBuMenGLi::cancelled() {
    dataset()->refresh();
    Edit1->setText(QString());
}

// A modified name is stored trimmed, an added one as typed.
void TBuMenGLi::confirm() {
    Dataset* ds = dataset();
    m_links.commit(); // as when the box is left
    if (ds->isEditing()) {
        if (refuseBlank(Edit1, QStringLiteral("部门名称不能为空啊!   ")))
            return;
        if (ds->state() == DatasetState::Edit)
            ds->fieldByName(Name)->setValue(Edit1->text().trimmed());
        if (!save())
            return;
    }
    ds->refresh();
    Edit1->setText(QString());
    listLayout();
}

void TBuMenGLi::closing() {
    if (dataset()->isEditing()) {
        cancelRecord();
        return;
    }
    Edit1->setText(QString());
    listLayout();
}

// The editor's department box takes the name as if typed; it writes it into the contract when
// it is left or when the contract is saved.
void TBuMenGLi::pick() {
    const QString name = dataset()->fieldByName(Name)->asString();
    TFormAddCom* editor = app().FormAddCom;
    if (editor)
        editor->wwDBLookupCombo1->setCurrentText(name);
    dataset()->refresh();
    close();
    if (editor)
        editor->wwDBLookupCombo1->setFocus();
}

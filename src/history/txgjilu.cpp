#include "txgjilu.h"

#include "components/dbgrid.h"
#include "data/tdmod.h"
#include "historylist.h"
#include "output/spreadsheetexport.h"
#include "platform/dialogs.h"
#include "platform/gui/modal.h"
#include "shell/appcontext.h"
#include "shell/tlogin.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

const QString ExportRight = QStringLiteral("用户权限设置");

QPushButton* button(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setAutoDefault(false);
    return b;
}

bool mayExport() {
    return app().Login && app().Login->operatorHasRight(ExportRight);
}

} // namespace

const QString TXGJiLu::ExportFile = QStringLiteral("C:\\合同修改记录.xls");

TXGJiLu::TXGJiLu(TDMod& dm, QWidget* parent)
    : QDialog(parent), m_dm(dm), m_list(new HistoryList(dm, this)) {
    setObjectName(QStringLiteral("XGJiLu"));
    setWindowTitle(QStringLiteral("合同修改记录"));
    resize(880, 480);
    auto* layout = new QVBoxLayout(this);

    auto* find = new QHBoxLayout;
    find->addWidget(new QLabel(QStringLiteral("合同编号"), this));
    EdNumber = new QLineEdit(this);
    EdNumber->setObjectName(QStringLiteral("EdNumber"));
    EdNumber->setAccessibleName(QStringLiteral("合同编号"));
    EdNumber->setMaxLength(18);
    find->addWidget(EdNumber);
    BtFind = button(QStringLiteral("查询"), QStringLiteral("BtFind"), this);
    find->addWidget(BtFind);
    find->addStretch(1);
    layout->addLayout(find);

    wwDBGrid1 = new DBGrid(m_list->dataset(), this);
    wwDBGrid1->setObjectName(QStringLiteral("wwDBGrid1"));
    wwDBGrid1->setAccessibleName(windowTitle());
    wwDBGrid1->setColumns({{QStringLiteral("时间"), {}, 17},
                           {QStringLiteral("操作员"), {}, 8},
                           {QStringLiteral("操作"), {}, 10},
                           {QStringLiteral("合同编号"), {}, 12},
                           {QStringLiteral("项目"), {}, 10},
                           {QStringLiteral("原值"), {}, 20},
                           {QStringLiteral("新值"), {}, 20}});
    layout->addWidget(wwDBGrid1, 1);

    auto* buttons = new QHBoxLayout;
    LbCount = new QLabel(this);
    LbCount->setObjectName(QStringLiteral("LbCount"));
    buttons->addWidget(LbCount);
    buttons->addStretch(1);
    BtExport = button(QStringLiteral("导出到Excel"), QStringLiteral("BtExport"), this);
    BtClose = button(QStringLiteral("退出"), QStringLiteral("BtClose"), this);
    buttons->addWidget(BtExport);
    buttons->addWidget(BtClose);
    layout->addLayout(buttons);

    connect(BtFind, &QPushButton::clicked, this, &TXGJiLu::BtFindClick);
    connect(EdNumber, &QLineEdit::returnPressed, this, &TXGJiLu::BtFindClick);
    connect(BtExport, &QPushButton::clicked, this, &TXGJiLu::BtExportClick);
    connect(BtClose, &QPushButton::clicked, this, &QDialog::reject);
}

void TXGJiLu::showContract(const QString& number, const QVariant& compactId) {
    EdNumber->setText(number);
    if (!compactId.isNull())
        m_list->readContract(compactId);
    else
        m_list->readNumber(number.trimmed());
    showCount();
    BtExport->setVisible(mayExport());
    Modal::exec(this);
}

void TXGJiLu::BtFindClick() {
    const QString number = EdNumber->text().trimmed();
    if (number.isEmpty()) {
        Dialogs::message(QStringLiteral("提示信息"), QStringLiteral("请输入合同编号！"),
                         Dialogs::Icon::Information, Dialogs::Button::Ok);
        EdNumber->setFocus();
        return;
    }
    m_list->readNumber(number);
    showCount();
    if (m_list->dataset()->isEmpty())
        Dialogs::message(QStringLiteral("提示信息"),
                         QStringLiteral("没有合同编号为“%1”的修改记录。").arg(number),
                         Dialogs::Icon::Information, Dialogs::Button::Ok);
}

void TXGJiLu::showCount() {
    LbCount->setText(TDMod::countText(m_list->dataset()->recordCount()));
}

// The right is asked again: it may have been taken away while the window was open.
void TXGJiLu::BtExportClick() {
    if (!app().Login || !app().Login->CheckOperatorRight(ExportRight))
        return;
    SpreadsheetExport::run({ExportFile,
                            {{QStringLiteral("修改记录"), m_list->dataset(), false, {}}},
                            &m_dm.database()});
}

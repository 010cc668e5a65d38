#include "tchazhao.h"

#include "components/dbgrid.h"
#include "data/tdmod.h"
#include "platform/dialogs.h"
#include "platform/gui/modal.h"
#include "shell/appcontext.h"
#include "tformaddcom.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSignalBlocker>
#include <QWindow>

using namespace ContractSearch;

namespace {

const QString Number = QStringLiteral("合同编号");
const QString PartnerKey = QStringLiteral("客户/供应商编号");
const QString ContractKey = QStringLiteral("CompactID");

// Geometry in pixels: the criteria panel, the grid below it, and the margin under either.
constexpr int ClientWidth = 591;
constexpr QRect PanelRect(32, 22, 529, 249);
constexpr int GridTop = 284;
constexpr int GridHeight = 199;
constexpr int BottomMargin = 50;

const QList<DatasetModel::Column> ResultColumns{
    {QStringLiteral("合同编号"), QStringLiteral("合同编号"), 18},
    {QStringLiteral("合同名称"), QStringLiteral("合同名称"), 30},
    {QStringLiteral("收付类型"), QStringLiteral("收付类型"), 10},
    {QStringLiteral("合同类型"), QStringLiteral("合同类型"), 20},
    {QStringLiteral("签订日期"), QStringLiteral("签订日期"), 18},
    {QStringLiteral("合同金额"), QStringLiteral("合同金额"), 20},
    {QStringLiteral("所属部门"), QStringLiteral("所属部门"), 20},
    {QStringLiteral("责任人"), QStringLiteral("责任人"), 20}};

// Replacing a query's SQL replaces the fields it presents, so the grid takes its columns
// afresh once the query is open again; until then it hears nothing of the dataset. Also when
// the query fails.
class ColumnsRenewed {
public:
    explicit ColumnsRenewed(DBGrid* grid) : m_grid(grid), m_quiet(grid->dataset()) {}
    ~ColumnsRenewed() {
        m_quiet.unblock();
        m_grid->setColumns(ResultColumns);
    }
    ColumnsRenewed(const ColumnsRenewed&) = delete;
    ColumnsRenewed& operator=(const ColumnsRenewed&) = delete;

private:
    DBGrid* m_grid;
    QSignalBlocker m_quiet;
};

} // namespace

TChaZhao::TChaZhao(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("ChaZhao"));
    setWindowTitle(QStringLiteral("合同查找"));
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                   Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                   Qt::WindowCloseButtonHint);

    GroupBox1 = new QGroupBox(QStringLiteral("查找合同："), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(PanelRect);
    auto* grid = new QGridLayout(GroupBox1);
    grid->setContentsMargins(16, 12, 16, 8);
    grid->setHorizontalSpacing(10);
    addCriterion(0, "合同名称:", EditHeTName, "EditHeTName", Button1, "Button1", "按合同名称查找");
    addCriterion(1, "合同内容:", EditHeTMemo, "EditHeTMemo", Button2, "Button2", "按合同内容查找");
    addCriterion(2, "往来单位名称:", EditDanWName, "EditDanWName", Button3, "Button3",
                 "按单位名称查找");
    addCriterion(3, "往来单位简称:", EditDanWShortN, "EditDanWShortN", Button4, "Button4",
                 "按单位简称查找");
    addCriterion(4, "所属部门:", EditBuMen, "EditBuMen", Button5, "Button5", "按所属部门查找");
    addCriterion(5, "录入人:", EditLuRuRen, "EditLuRuRen", Button6, "Button6", "按录入人查找");

    Button7 = new QPushButton(QStringLiteral("组合查询"), GroupBox1);
    Button7->setObjectName(QStringLiteral("Button7"));
    Button7->setAutoDefault(false);
    grid->addWidget(Button7, 6, 2);
    Label7 = new QLabel(QStringLiteral("提示 ：  输入以上多个字段可以进行组合查询！"), GroupBox1);
    Label7->setObjectName(QStringLiteral("Label7"));
    Label7->setStyleSheet(QStringLiteral("color: red;"));
    grid->addWidget(Label7, 6, 0, 1, 2);
    kong = new QLineEdit(GroupBox1);
    kong->setObjectName(QStringLiteral("kong"));
    kong->hide();

    connect(Button1, &QPushButton::clicked, this, &TChaZhao::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TChaZhao::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TChaZhao::Button3Click);
    connect(Button4, &QPushButton::clicked, this, &TChaZhao::Button4Click);
    connect(Button5, &QPushButton::clicked, this, &TChaZhao::Button5Click);
    connect(Button6, &QPushButton::clicked, this, &TChaZhao::Button6Click);
    connect(Button7, &QPushButton::clicked, this, &TChaZhao::Button7Click);

    setFixedSize(ClientWidth, PanelRect.bottom() + 1 + BottomMargin);
    if (app().DMod)
        bindData(app().DMod);
}

// One row of the panel: the label, the box, and the box's own button, enabled while the box
// holds any text at all (blanks too).
void TChaZhao::addCriterion(int row, const char* label, QLineEdit*& box, const char* boxName,
                            QPushButton*& button, const char* buttonName, const char* caption) {
    auto* grid = static_cast<QGridLayout*>(GroupBox1->layout());
    auto* text = new QLabel(QString::fromUtf8(label), GroupBox1);
    text->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    box = new QLineEdit(GroupBox1);
    box->setObjectName(QString::fromUtf8(boxName));
    box->setAccessibleName(QString::fromUtf8(label).chopped(1));
    text->setBuddy(box);
    button = new QPushButton(QString::fromUtf8(caption), GroupBox1);
    button->setObjectName(QString::fromUtf8(buttonName));
    button->setAutoDefault(false);
    button->setEnabled(false);
    grid->addWidget(text, row, 0);
    grid->addWidget(box, row, 1);
    grid->addWidget(button, row, 2);
    QPushButton* own = button;
    connect(box, &QLineEdit::textChanged, own,
            [own](const QString& t) { own->setEnabled(!t.isEmpty()); });
}

void TChaZhao::bindData(TDMod* dmod) {
    if (wwDBGrid1 || !dmod)
        return;
    m_dmod = dmod;
    wwDBGrid1 = new DBGrid(dmod->TBQuery, this);
    wwDBGrid1->setObjectName(QStringLiteral("wwDBGrid1"));
    wwDBGrid1->setToolTip(QStringLiteral("双击打开合同"));
    wwDBGrid1->setAccessibleName(QStringLiteral("查找结果"));
    wwDBGrid1->setColumns(ResultColumns);
    wwDBGrid1->setGeometry(PanelRect.left(), GridTop, PanelRect.width(), 0);
    connect(wwDBGrid1, &DBGrid::rowDoubleClicked, this, &TChaZhao::wwDBGrid1DblClick);
}

void TChaZhao::ensureBound() {
    if (!wwDBGrid1)
        bindData(app().DMod);
}

std::array<QLineEdit*, CriterionCount> TChaZhao::boxes() const {
    return {EditHeTName, EditHeTMemo, EditDanWName, EditDanWShortN, EditBuMen, EditLuRuRen};
}

std::array<QPushButton*, CriterionCount> TChaZhao::buttons() const {
    return {Button1, Button2, Button3, Button4, Button5, Button6};
}

// Each showing starts as the criteria panel alone; the first search brings the grid. Sized
// before it shows, so that it opens centred over the main window.
void TChaZhao::setVisible(bool visible) {
    if (visible && !isVisible())
        FormShow();
    QDialog::setVisible(visible);
}

void TChaZhao::FormShow() {
    ensureBound();
    winId(); // the platform window, which knows the frame the outer height includes
    for (QPushButton* b : buttons())
        b->setEnabled(false);
    setGridHeight(0);
}

void TChaZhao::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TChaZhao::FormClose() {
    for (QLineEdit* box : boxes())
        box->clear();
    if (!m_dmod || !wwDBGrid1)
        return;
    ColumnsRenewed renewed(wwDBGrid1);
    m_dmod->TBQuery->close();
    m_dmod->TBQuery->setSql(QString());
}

void TChaZhao::setGridHeight(int height) {
    if (wwDBGrid1)
        wwDBGrid1->resize(wwDBGrid1->width(), height);
    const int bottom = height > 0 ? GridTop + height : PanelRect.bottom() + 1;
    // The heights are the window's outer ones; the frame, where there is one, counts.
    const QMargins m = windowHandle() ? windowHandle()->frameMargins() : QMargins();
    const int frame = m.top() + m.bottom();
    setFixedHeight(bottom + BottomMargin - frame);
}

TextMatch TChaZhao::textMatch() {
    return TextMatch::of(m_dmod->database().connection());
}

void TChaZhao::Button1Click() {
    search(Name);
}
void TChaZhao::Button2Click() {
    search(Content);
}
void TChaZhao::Button3Click() {
    search(PartnerName);
}
void TChaZhao::Button4Click() {
    search(PartnerShortName);
}
void TChaZhao::Button5Click() {
    search(Department);
}
void TChaZhao::Button6Click() {
    search(Operator);
}

// The box's text exactly as typed, blanks included.
void TChaZhao::search(Criterion criterion) {
    ensureBound();
    run(single(criterion, boxes()[size_t(criterion)]->text(), textMatch()));
}

void TChaZhao::Button7Click() {
    ensureBound();
    Criteria texts;
    for (int c = 0; c < CriterionCount; ++c)
        texts[size_t(c)] = boxes()[size_t(c)]->text();
    run(combined(texts, textMatch()));
}

void TChaZhao::run(const Statement& statement) {
    Dataset* query = m_dmod->TBQuery;
    {
        ColumnsRenewed renewed(wwDBGrid1);
        query->close();
        query->setSql(statement.sql, statement.params);
        query->open();
        if (statement.sortByNumber)
            query->setSort(Number);
    }
    showResult();
}

void TChaZhao::showResult() {
    setGridHeight(GridHeight);
}

void TChaZhao::wwDBGrid1DblClick() {
    Dataset* query = m_dmod ? m_dmod->TBQuery : nullptr;
    if (!query || !query->isActive() || query->isEmpty()) {
        Dialogs::plain(QStringLiteral("对不起,记录为空.无法查看!"));
        return;
    }
    const QString number = query->fieldByName(Number)->asString();
    const QString partner = query->fieldByName(QStringLiteral("SCNum"))->asString();
    if (!moveContractsTo(query->fieldByName(ContractKey)->value(), partner)) {
        Dialogs::plain(QStringLiteral("没有找到编号为") + number +
                       QStringLiteral("的合同，请重新查找。"));
        return;
    }
    TFormAddCom* editor = app().FormAddCom;
    editor->prepareView();
    Modal::exec(editor);
}

// Stands the contract list on the contract. A partner tab of the main window may hold only
// one partner's contracts: the partner list then moves to the contract's partner, and failing
// that the list holds every contract again, so the editor never shows another contract. The
// contract is found by its key: numbers of older registers may differ only in case.
bool TChaZhao::moveContractsTo(const QVariant& contract, const QString& partner) {
    Dataset* contracts = m_dmod->TBCompacter;
    if (contracts->locate(ContractKey, contract))
        return true;
    if (DataSource* master = contracts->masterSource(); master && !partner.isEmpty()) {
        Dataset* partners = master->dataset();
        if (partners->locate(PartnerKey, partner) && contracts->locate(ContractKey, contract))
            return true;
    }
    contracts->close();
    contracts->clearMaster();
    contracts->open();
    contracts->setSort(Number);
    return contracts->locate(ContractKey, contract);
}

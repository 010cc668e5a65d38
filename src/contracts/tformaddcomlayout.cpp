// The contract editor's controls and their places; what they do is in tformaddcom.cpp.
#include "components/dateedit.h"
#include "components/linklabel.h"
#include "contractfilestab.h"
#include "editorparts.h"
#include "scheduletab.h"
#include "tformaddcom.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

using namespace EditorParts;

const QString TFormAddCom::AddCaption = QStringLiteral("合同增加");
const QString TFormAddCom::ViewCaption = QStringLiteral("合同查看");

TFormAddCom::TFormAddCom(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("FormAddCom"));
    setWindowTitle(AddCaption);
    setWindowFlags(windowFlags() & ~Qt::WindowMaximizeButtonHint &
                   ~Qt::WindowContextHelpButtonHint);
    setFixedSize(616, 620);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 6);
    layout->setSpacing(6);
    layout->addWidget(makeHeader());
    auto* body = new QVBoxLayout;
    body->setContentsMargins(8, 0, 8, 0);
    body->setSpacing(6);
    body->addWidget(makeFieldBlock());
    body->addWidget(makeTabs(), 1);
    body->addWidget(makeButtons());
    layout->addLayout(body, 1);
}

TFormAddCom::~TFormAddCom() = default;

// ---------------------------------------------------------------- building

QWidget* TFormAddCom::makeHeader() {
    auto* header = named(new QFrame(this), QStringLiteral("headerStrip"));
    header->setAutoFillBackground(true);
    QPalette p = header->palette();
    p.setColor(QPalette::Window, Qt::white);
    header->setPalette(p);
    header->setFixedHeight(40);
    auto* grid = new QGridLayout(header);
    grid->setContentsMargins(8, 0, 8, 0);
    Label20 = named(new QLabel(QStringLiteral(" 浏览状态"), header), QStringLiteral("Label20"));
    Label21 = named(redLabel(QStringLiteral(" 编辑状态"), header), QStringLiteral("Label21"));
    Label21->hide();
    auto* title = new QLabel(QStringLiteral("合同概况"), header);
    QFont big = title->font();
    big.setPixelSize(18);
    big.setBold(true);
    title->setFont(big);
    // the two state labels share one place at the left; the title stands in the middle
    grid->addWidget(Label20, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(Label21, 0, 0, Qt::AlignLeft | Qt::AlignVCenter);
    grid->addWidget(title, 0, 1, Qt::AlignCenter);
    grid->setColumnStretch(1, 1);
    grid->setColumnMinimumWidth(0, 90);
    grid->setColumnMinimumWidth(2, 90);
    return header;
}

QFrame* TFormAddCom::makeFieldBlock() {
    auto* block = named(new QFrame(this), QStringLiteral("fieldBlock"));
    block->setFrameShape(QFrame::StyledPanel);
    auto* grid = new QGridLayout(block);
    grid->setContentsMargins(10, 8, 10, 8);
    grid->setHorizontalSpacing(7);
    grid->setVerticalSpacing(6);
    auto label = [block](const QString& text) { return new QLabel(text, block); };
    auto mark = [block] { return redLabel(QStringLiteral("*"), block); };

    DBEdit1 = named(new NumberEdit(block), QStringLiteral("DBEdit1"));
    DBEdit2 = named(new QLineEdit(block), QStringLiteral("DBEdit2"));
    DBComboBox1 = listBox(QStringLiteral("DBComboBox1"), {Receipt, Payment, QStringLiteral("其它")},
                          8, block);
    Label4 = named(label(QStringLiteral("往来单位")), QStringLiteral("Label4"));
    DBLookupComboBox1 = listBox(QStringLiteral("DBLookupComboBox1"), {}, 12, block);
    Button10 = button(QStringLiteral("添加"), QStringLiteral("Button10"), block);
    Label24 = named(mark(), QStringLiteral("Label24"));
    DBComboBox2 = listBox(QStringLiteral("DBComboBox2"), ContractTypes, 12, block);
    wwDBDateTimePicker1 = named(new DateEdit(block), QStringLiteral("wwDBDateTimePicker1"));
    DBEdit5 = named(new QLineEdit(block), QStringLiteral("DBEdit5"));
    wwDBLookupCombo1 = listBox(QStringLiteral("wwDBLookupCombo1"), {}, 8, block);
    wwDBLookupCombo1->setEditable(true); // typing searches the list
    Button11 = button(QStringLiteral("添加"), QStringLiteral("Button11"), block);
    DBEdit7 = named(new QLineEdit(block), QStringLiteral("DBEdit7"));
    for (QPushButton* b : {Button10, Button11})
        b->setFixedWidth(44);

    const struct {
        QString caption;
        QWidget* control;
        QWidget* after;
    } left[] = {{QStringLiteral("合同编号"), DBEdit1, mark()},
                {QStringLiteral("合同名称"), DBEdit2, mark()},
                {QStringLiteral("收付类型"), DBComboBox1, mark()},
                {{}, DBLookupComboBox1, markedCell(block, Button10, Label24)},
                {QStringLiteral("合同类型"), DBComboBox2, nullptr}},
      right[] = {
          {QStringLiteral("签订日期"), wwDBDateTimePicker1, nullptr},
          {QStringLiteral("合同金额"), DBEdit5, mark()},
          {QStringLiteral("所属部门"), wwDBLookupCombo1, markedCell(block, Button11, nullptr)},
          {QStringLiteral("责任人"), DBEdit7, nullptr}};
    for (const auto* rows : {left, right})
        for (int row = 0; row < (rows == left ? 5 : 4); ++row)
            rows[row].control->setAccessibleName(
                rows[row].caption.isEmpty() ? QStringLiteral("往来单位") : rows[row].caption);
    for (int row = 0; row < 5; ++row) {
        grid->addWidget(row == 3 ? Label4 : label(left[row].caption), row, 0);
        grid->addWidget(left[row].control, row, 1);
        if (left[row].after)
            grid->addWidget(left[row].after, row, 2);
    }
    for (int row = 0; row < 4; ++row) {
        grid->addWidget(label(right[row].caption), row, 4);
        grid->addWidget(right[row].control, row, 5);
        if (right[row].after)
            grid->addWidget(right[row].after, row, 6);
    }
    grid->addWidget(redLabel(QStringLiteral("带 * 号为必添项目"), block), 4, 4, 1, 3,
                    Qt::AlignRight | Qt::AlignVCenter);
    grid->setColumnMinimumWidth(1, 170);
    grid->setColumnMinimumWidth(2, 58);
    grid->setColumnMinimumWidth(3, 6);
    grid->setColumnMinimumWidth(5, 140);
    grid->setColumnMinimumWidth(6, 44);
    grid->setColumnStretch(1, 1);
    grid->setColumnStretch(5, 1);
    return block;
}

QTabWidget* TFormAddCom::makeTabs() {
    PageControl1 = named(new QTabWidget(this), QStringLiteral("PageControl1"));
    DBMemo1 = named(new QPlainTextEdit(PageControl1), QStringLiteral("DBMemo1"));
    receivables = named(new ScheduleTab(ScheduleSide::receivable(), PageControl1),
                        QStringLiteral("TabSheet2"));
    payables =
        named(new ScheduleTab(ScheduleSide::payable(), PageControl1), QStringLiteral("TabSheet3"));
    PageControl1->addTab(DBMemo1, QStringLiteral("合同内容"));
    DBMemo1->setAccessibleName(QStringLiteral("合同内容"));
    PageControl1->addTab(receivables, receivables->side().caption);
    PageControl1->addTab(payables, payables->side().caption);
    PageControl1->addTab(makeExtraTab(), QStringLiteral("辅助信息"));
    files = new ContractFilesTab(PageControl1);
    PageControl1->addTab(files, ContractFilesTab::Caption);
    connect(PageControl1, &QTabWidget::currentChanged, this, [this](int index) {
        if (auto* tab = qobject_cast<ScheduleTab*>(PageControl1->widget(index)))
            runGuardedTotals(tab);
    });
    return PageControl1;
}

QWidget* TFormAddCom::makeExtraTab() {
    auto* page = named(new QWidget(PageControl1), QStringLiteral("TabSheet4"));
    auto* grid = new QGridLayout(page);
    grid->setContentsMargins(16, 12, 16, 12);
    grid->setHorizontalSpacing(7);
    DBComboBox4 = listBox(
        QStringLiteral("DBComboBox4"),
        {QStringLiteral("未执行"), QStringLiteral("执行中"), QStringLiteral("执行完毕")}, 8, page);
    wwDBDateTimePicker2 = named(new DateEdit(page), QStringLiteral("wwDBDateTimePicker2"));
    wwDBDateTimePicker3 = named(new DateEdit(page), QStringLiteral("wwDBDateTimePicker3"));
    wwDBDateTimePicker4 = named(new DateEdit(page), QStringLiteral("wwDBDateTimePicker4"));
    DBEdit8 = named(new QLineEdit(page), QStringLiteral("DBEdit8"));
    DBEdit9 = named(new QLineEdit(page), QStringLiteral("DBEdit9"));
    DBEdit8->setEnabled(false);
    DBEdit9->setEnabled(false);
    HLLabel1 = named(new LinkLabel(page), QStringLiteral("HLLabel1"));
    HLLabel1->setMinimumWidth(300);
    Button1 = button(QStringLiteral("..."), QStringLiteral("Button1"), page);
    Button1->setFixedWidth(30);
    Button1->setAccessibleName(QStringLiteral("选择合同文件"));
    connect(HLLabel1, &LinkLabel::clicked, this, &TFormAddCom::HLLabel1Click);
    connect(Button1, &QPushButton::clicked, this, &TFormAddCom::Button1Click);

    const std::pair<QString, QWidget*> rows[] = {
        {QStringLiteral("执行情况"), DBComboBox4},
        {QStringLiteral("合同开始日期"), wwDBDateTimePicker2},
        {QStringLiteral("合同截止日期"), wwDBDateTimePicker3},
        {QStringLiteral("录入日期"), wwDBDateTimePicker4},
        {QStringLiteral("录入人"), DBEdit8},
        {QStringLiteral("修改人"), DBEdit9}};
    int row = 0;
    for (const auto& [caption, control] : rows) {
        control->setAccessibleName(caption);
        grid->addWidget(new QLabel(caption, page), row, 0);
        grid->addWidget(control, row++, 1);
    }
    grid->addWidget(new QLabel(QStringLiteral("合同文件"), page), row, 0);
    auto* file = new QHBoxLayout;
    file->addWidget(HLLabel1);
    file->addWidget(Button1);
    file->addStretch(1);
    grid->addLayout(file, row, 1, 1, 2);
    grid->setColumnMinimumWidth(1, 160);
    grid->setColumnStretch(2, 1);
    grid->setRowStretch(row + 1, 1);
    return page;
}

QWidget* TFormAddCom::makeButtons() {
    auto* row = new QWidget(this);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(0, 0, 0, 0);
    Panel1 = named(new QFrame(row), QStringLiteral("Panel1"));
    auto* print = new QHBoxLayout(Panel1);
    print->setContentsMargins(0, 0, 0, 0);
    const QString record = QStringLiteral("合同档案(&P)");
    Button14 = button(record, QStringLiteral("Button14"), Panel1);
    Button15 = button(record, QStringLiteral("Button15"), Panel1);
    Button16 = button(record, QStringLiteral("Button16"), Panel1);
    for (QPushButton* b : {Button14, Button15, Button16})
        print->addWidget(b); // one place: at most one of them is visible
    Button15->hide();
    Button16->hide();
    Button17 = button(QStringLiteral("修改记录"), QStringLiteral("Button17"), row);
    Button6 = button(QStringLiteral("&G修改"), QStringLiteral("Button6"), row);
    Button2 = button(QStringLiteral("&S保存"), QStringLiteral("Button2"), row);
    Button3 = button(QStringLiteral("&C取消"), QStringLiteral("Button3"), row);
    Button5 = button(QStringLiteral("&Q退出"), QStringLiteral("Button5"), row);
    layout->addWidget(Panel1);
    layout->addStretch(1);
    for (QPushButton* b : {Button17, Button6, Button2, Button3, Button5})
        layout->addWidget(b);

    connect(Button14, &QPushButton::clicked, this, &TFormAddCom::Button14Click);
    connect(Button15, &QPushButton::clicked, this, &TFormAddCom::Button15Click);
    connect(Button16, &QPushButton::clicked, this, &TFormAddCom::Button16Click);
    connect(Button17, &QPushButton::clicked, this, &TFormAddCom::Button17Click);
    connect(Button6, &QPushButton::clicked, this, &TFormAddCom::Button6Click);
    connect(Button2, &QPushButton::clicked, this, &TFormAddCom::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFormAddCom::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &TFormAddCom::Button5Click);
    connect(Button10, &QPushButton::clicked, this, &TFormAddCom::Button10Click);
    connect(Button11, &QPushButton::clicked, this, &TFormAddCom::Button11Click);
    return row;
}

#include "tformaddcom.h"

#include "components/dateedit.h"
#include "components/linklabel.h"
#include "data/tdmod.h"
#include "masterdata/tbumengli.h"
#include "masterdata/twldanwei.h"
#include "output/tfkprint.h"
#include "output/tqtprint.h"
#include "output/tskprint.h"
#include "platform/dialogs.h"
#include "platform/gui/application.h"
#include "platform/gui/modal.h"
#include "platform/gui/shellopen.h"
#include "scheduletab.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"
#include "shell/tlogin.h"

#include <QComboBox>
#include <QFocusEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

const QString TFormAddCom::AddCaption = QStringLiteral("合同增加");
const QString TFormAddCom::ViewCaption = QStringLiteral("合同查看");

namespace {

const QString Receipt = QStringLiteral("收款");
const QString Payment = QStringLiteral("付款");
const QString Direction = QStringLiteral("收付类型");
const QString FileField = QStringLiteral("文件位置");

const QStringList ContractTypes = {
    QStringLiteral("购销合同"),     QStringLiteral("加工承揽"), QStringLiteral("建设工程勘察设计"),
    QStringLiteral("财产租赁"),     QStringLiteral("货物运输"), QStringLiteral("仓储保管"),
    QStringLiteral("借款合同"),     QStringLiteral("财产保险"), QStringLiteral("技术合同"),
    QStringLiteral("产权转移书据"), QStringLiteral("营业帐薄")};

// The contract number box keeps its text unselected when it takes the focus.
class NumberEdit : public QLineEdit {
public:
    using QLineEdit::QLineEdit;

protected:
    void focusInEvent(QFocusEvent* event) override {
        QLineEdit::focusInEvent(event);
        deselect();
    }
};

// Totals are computed by walking the schedule, which saves a pending row; a refusal is shown.
void runGuardedTotals(ScheduleTab* tab) {
    runGuarded([tab] { tab->computeTotals(); });
}

template <class W> W* named(W* widget, const QString& name) {
    widget->setObjectName(name);
    return widget;
}

QPushButton* button(const QString& caption, const QString& name, QWidget* parent) {
    auto* b = named(new QPushButton(caption, parent), name);
    b->setAutoDefault(false); // Enter in a box must not press a button
    return b;
}

QLabel* redLabel(const QString& text, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QPalette p = label->palette();
    p.setColor(QPalette::WindowText, Qt::red);
    label->setPalette(p);
    return label;
}

// The red mark after a required field, with an optional button before it.
QWidget* markedCell(QWidget* parent, QPushButton* button, QLabel* mark) {
    auto* cell = new QWidget(parent);
    auto* layout = new QHBoxLayout(cell);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(7);
    if (button)
        layout->addWidget(button);
    if (mark)
        layout->addWidget(mark);
    layout->addStretch(1);
    return cell;
}

QComboBox* listBox(const QString& name, const QStringList& items, int visibleRows,
                   QWidget* parent) {
    auto* box = named(new QComboBox(parent), name);
    box->addItems(items);
    box->setMaxVisibleItems(visibleRows);
    // a list that drops down under the box with that many rows, not one over the whole screen
    box->setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; }"));
    return box;
}

// Everything the user typed into a contract row, to put it back after the store refused it.
class PendingContract {
public:
    explicit PendingContract(const Dataset& ds) : m_insert(ds.state() == DatasetState::Insert) {
        for (Field* f : ds.fields())
            if (!f->isReadOnly())
                m_values.emplace_back(f, f->value());
    }

    void putBack(Dataset& ds) const {
        if (m_insert)
            ds.append();
        else
            ds.edit();
        for (const auto& [field, value] : m_values)
            field->setValue(value);
    }

private:
    bool m_insert;
    std::vector<std::pair<Field*, QVariant>> m_values;
};

} // namespace

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
    Button6 = button(QStringLiteral("&G修改"), QStringLiteral("Button6"), row);
    Button2 = button(QStringLiteral("&S保存"), QStringLiteral("Button2"), row);
    Button3 = button(QStringLiteral("&C取消"), QStringLiteral("Button3"), row);
    Button5 = button(QStringLiteral("&Q退出"), QStringLiteral("Button5"), row);
    layout->addWidget(Panel1);
    layout->addStretch(1);
    for (QPushButton* b : {Button6, Button2, Button3, Button5})
        layout->addWidget(b);

    connect(Button14, &QPushButton::clicked, this, &TFormAddCom::Button14Click);
    connect(Button15, &QPushButton::clicked, this, &TFormAddCom::Button15Click);
    connect(Button16, &QPushButton::clicked, this, &TFormAddCom::Button16Click);
    connect(Button6, &QPushButton::clicked, this, &TFormAddCom::Button6Click);
    connect(Button2, &QPushButton::clicked, this, &TFormAddCom::Button2Click);
    connect(Button3, &QPushButton::clicked, this, &TFormAddCom::Button3Click);
    connect(Button5, &QPushButton::clicked, this, &TFormAddCom::Button5Click);
    connect(Button10, &QPushButton::clicked, this, &TFormAddCom::Button10Click);
    connect(Button11, &QPushButton::clicked, this, &TFormAddCom::Button11Click);
    return row;
}

// ---------------------------------------------------------------- binding

void TFormAddCom::bindData(TDMod* dmod) {
    m_dmod = dmod;
    bindLinks(dmod);
    receivables->bind(dmod);
    payables->bind(dmod);
}

void TFormAddCom::bindLinks(TDMod* dmod) {
    m_links.clear();
    m_fixedLinks.clear();
    Dataset* c = dmod->TBCompacter;
    m_links.add<LineEditLink>(c, QStringLiteral("合同编号"), DBEdit1);
    m_links.add<LineEditLink>(c, QStringLiteral("合同名称"), DBEdit2);
    m_links.add<LineEditLink>(c, QStringLiteral("合同金额"), DBEdit5);
    m_links.add<LineEditLink>(c, QStringLiteral("责任人"), DBEdit7);
    m_directionLink = m_links.add<ComboLink>(c, Direction, DBComboBox1, ComboLink::Style::ListOnly);
    m_links.add<ComboLink>(c, QStringLiteral("合同类型"), DBComboBox2, ComboLink::Style::ListOnly);
    m_departmentLink = m_links.add<LookupComboLink>(c, QStringLiteral("所属部门"), wwDBLookupCombo1,
                                                    dmod->TBDepartment, QStringLiteral("部门名称"),
                                                    QStringLiteral("部门名称"));
    m_links.add<ComboLink>(c, QStringLiteral("执行情况"), DBComboBox4, ComboLink::Style::FreeText);
    m_partnerLink =
        m_links.add<LookupComboLink>(c, QStringLiteral("SCNum"), DBLookupComboBox1, dmod->TBServer,
                                     QStringLiteral("ScNum"), QStringLiteral("ScName"));
    m_links.add<DateLink>(c, QStringLiteral("签订日期"), wwDBDateTimePicker1);
    m_links.add<DateLink>(c, QStringLiteral("开始日期"), wwDBDateTimePicker2);
    m_links.add<DateLink>(c, QStringLiteral("截止日期"), wwDBDateTimePicker3);
    m_links.add<DateLink>(c, QStringLiteral("录入日期"), wwDBDateTimePicker4);
    m_links.add<MemoLink>(c, QStringLiteral("合同内容"), DBMemo1);
    m_fixedLinks.add<LineEditLink>(c, QStringLiteral("录入"), DBEdit8);
    m_fixedLinks.add<LineEditLink>(c, QStringLiteral("修改"), DBEdit9);
    m_links.setLocked(true);
    connect(m_directionLink, &FieldLink::edited, this, &TFormAddCom::DBComboBox1Change);
}

void TFormAddCom::ensureBound() {
    if (app().DMod && app().DMod != m_dmod)
        bindData(app().DMod);
}

Dataset* TFormAddCom::contracts() const {
    return m_dmod->TBCompacter;
}

QString TFormAddCom::direction() const {
    return contracts()->fieldByName(Direction)->asString();
}

// ---------------------------------------------------------------- modes

void TFormAddCom::UnlockCompactFields() {
    ensureBound();
    m_links.setLocked(false);
    Button1->show();
}

void TFormAddCom::prepareAdd() {
    ensureBound();
    setWindowTitle(AddCaption);
    Button6->hide();
    Button2->setEnabled(true);
    Button3->setEnabled(true);
    Label20->hide();
    Label21->hide();
    PageControl1->setTabVisible(PageControl1->indexOf(receivables), false);
    PageControl1->setTabVisible(PageControl1->indexOf(payables), false);
}

void TFormAddCom::prepareView(bool setCaption) {
    ensureBound();
    if (setCaption)
        setWindowTitle(ViewCaption);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    Button6->setEnabled(true);
    Label20->show();
    Label21->hide();
}

void TFormAddCom::setPickButtonsVisible(bool visible) {
    // the partner's mark follows: 7 pixels after the button, or after the box without it
    Button10->setVisible(visible);
    Button11->setVisible(visible);
    Button1->setVisible(visible);
}

void TFormAddCom::setSchedulesEditable(bool editable) {
    receivables->setEditable(editable);
    payables->setEditable(editable);
}

void TFormAddCom::arrangeByDirection(const QString& direction) {
    PageControl1->setTabVisible(PageControl1->indexOf(receivables), direction == Receipt);
    PageControl1->setTabVisible(PageControl1->indexOf(payables), direction == Payment);
    Button14->setVisible(direction == Payment);
    Button15->setVisible(direction == Receipt);
    Button16->setVisible(direction != Payment && direction != Receipt);
}

void TFormAddCom::setFileLinkText() {
    HLLabel1->setText(contracts()->fieldByName(FileField)->asString());
}

// ---------------------------------------------------------------- showing and closing

void TFormAddCom::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!event->spontaneous())
        FormShow();
}

void TFormAddCom::FormShow() {
    ensureBound();
    if (!m_dmod)
        return;
    m_partnerLink->reloadList();
    m_departmentLink->reloadList();
    m_links.refresh();
    m_fixedLinks.refresh();
    if (contracts()->state() == DatasetState::Browse) {
        setPickButtonsVisible(false);
        setSchedulesEditable(false);
        const QString shown = direction();
        arrangeByDirection(shown);
        if (shown == Payment)
            runGuardedTotals(payables);
        else if (shown == Receipt)
            runGuardedTotals(receivables);
    } else {
        Panel1->hide();
    }
    setFileLinkText();
}

void TFormAddCom::done(int result) {
    FormClose();
    QDialog::done(result);
}

void TFormAddCom::FormClose() {
    if (!m_dmod)
        return;
    receivables->cancelPending();
    payables->cancelPending();
    m_links.setLocked(true);
    Button6->show();
    setPickButtonsVisible(true);
    PageControl1->setTabVisible(PageControl1->indexOf(receivables), true);
    PageControl1->setTabVisible(PageControl1->indexOf(payables), true);
    Panel1->show();
    if (Button2->isEnabled())
        contracts()->cancel(); // unsaved edits go without a question
    if (std::exchange(m_tabUnlinked, false))
        if (TfrmCompactManager* main = app().frmCompactManager)
            runGuarded([main] { main->PageControl1Change(); });
}

// Esc does not close the editor: closing would discard the contract without a question.
void TFormAddCom::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

// ---------------------------------------------------------------- commands

void TFormAddCom::Button6Click() {
    if (!app().Login || !app().Login->CheckOperatorRight(QStringLiteral("修改")))
        return;
    m_links.setLocked(false);
    setFileLinkText();
    Button6->setEnabled(false);
    Button2->setEnabled(true);
    Button3->setEnabled(true);
    Label20->hide();
    Label21->show();
    setPickButtonsVisible(true);
    runGuarded([this] {
        contracts()->edit();
        contracts()->fieldByName(QStringLiteral("修改"))->setValue(app().Login->CurUserName);
    });
    setSchedulesEditable(true);
    Panel1->hide();
}

bool TFormAddCom::requiredFieldsFilled() {
    const struct {
        bool empty;
        QString message;
        QWidget* control;
    } tests[] = {
        {DBEdit1->text().trimmed().isEmpty(), QStringLiteral("合同编号不可为空！"), DBEdit1},
        {DBEdit2->text().trimmed().isEmpty(), QStringLiteral("合同名称不可为空！"), DBEdit2},
        {DBComboBox1->currentIndex() < 0, QStringLiteral("收付类型不可为空！"), DBComboBox1},
        {DBLookupComboBox1->currentIndex() < 0, QStringLiteral("往来单位不可为空！"),
         DBLookupComboBox1},
        {DBEdit5->text().trimmed().isEmpty(), QStringLiteral("合同金额不可为空！"), DBEdit5},
    };
    for (const auto& test : tests) {
        if (!test.empty)
            continue;
        Dialogs::message(QStringLiteral("提示信息"), test.message, Dialogs::Icon::Information,
                         Dialogs::Button::Ok);
        test.control->setFocus();
        return false;
    }
    return true;
}

// False when the store refused the contract; the data module's rule has said why. A duplicate
// number leaves the row pending; any other refusal discards it, so the typed values are put
// back for the user to correct or cancel. An instalment still being edited is saved first, so
// that the grid does not turn read-only over a change that could then only be lost.
bool TFormAddCom::saveContract(SavedContract& saved) {
    if (!receivables->postPending() || !payables->postPending())
        return false;
    Dataset* c = contracts();
    if (!m_links.commit())
        return false;
    saved = {c->fieldByName(QStringLiteral("合同编号"))->asString(),
             c->fieldByName(QStringLiteral("SCNum"))->value(), direction()};
    const PendingContract typed(*c);
    try {
        return c->post();
    } catch (const DataError&) {
        runGuarded([&] { typed.putBack(*c); });
        return false;
    }
}

// The row is read before the save: re-reading a contract list linked to a partner may leave
// the saved contract out of it.
void TFormAddCom::Button2Click() {
    SavedContract saved;
    if (!requiredFieldsFilled() || !saveContract(saved))
        return;
    showDirectionTab(saved.direction);
    if (windowTitle() == ViewCaption)
        setBrowseState();
    else
        setSchedulesEditable(true); // the new contract's instalments can be entered now
    runGuarded([this, &saved] {
        updateMainWindow();
        returnToContract(saved);
    });
}

void TFormAddCom::showDirectionTab(const QString& direction) {
    if (direction == Receipt)
        PageControl1->setTabVisible(PageControl1->indexOf(receivables), true);
    else if (direction == Payment)
        PageControl1->setTabVisible(PageControl1->indexOf(payables), true);
}

// The save ended modify mode.
void TFormAddCom::setBrowseState() {
    m_links.setLocked(true);
    Button2->setEnabled(false);
    Button3->setEnabled(false);
    Button6->setEnabled(true);
    Label20->show();
    Label21->hide();
    setPickButtonsVisible(false);
    setSchedulesEditable(false);
    Panel1->show();
}

// Step 5 of a save: the main window's lists are re-linked, which re-opens the contract list.
void TFormAddCom::updateMainWindow() {
    TfrmCompactManager* main = app().frmCompactManager;
    if (!main)
        return;
    if (main->activeTab() != 0) {
        main->PageControl1Change();
    } else if (contracts()->recordCount() == 1) {
        m_dmod->TBMarst->requery();
        main->PageControl1Change();
    }
}

// Puts the editor back on the contract it saved, so that its schedules and print records are
// that contract's. On a partner tab the partner list moves to the contract's partner; when the
// partner is not in that list, the contract list shows every contract.
void TFormAddCom::returnToContract(const SavedContract& saved) {
    Dataset* c = contracts();
    const QString number = QStringLiteral("合同编号");
    if (c->locate(number, saved.number))
        return;
    if (!c->masterSource() ||
        !m_dmod->TBMarst->locate(QStringLiteral("客户/供应商编号"), saved.partner) ||
        !c->locate(number, saved.number)) {
        c->clearMaster();
        c->reshow(); // every contract, from the rows in memory
        c->locate(number, saved.number);
        m_tabUnlinked = true;
    }
    if (TfrmCompactManager* main = app().frmCompactManager)
        main->setCountText(m_dmod->countText());
}

void TFormAddCom::Button3Click() {
    receivables->cancelPending();
    payables->cancelPending();
    contracts()->cancel();
    close();
}

void TFormAddCom::Button5Click() {
    close();
}

void TFormAddCom::DBComboBox1Change() {
    const QString chosen = direction();
    if (chosen == Receipt)
        Label4->setText(QStringLiteral("客    户  "));
    else if (chosen == Payment)
        Label4->setText(QStringLiteral("供 应 商  "));
    else
        Label4->setText(QStringLiteral("往来单位  "));
    if (windowTitle() == ViewCaption)
        arrangeByDirection(chosen);
}

void TFormAddCom::Button1Click() {
    const QString file = Dialogs::openFileName();
    if (file.isEmpty())
        return;
    HLLabel1->setText(file);
    runGuarded([this, &file] {
        if (!contracts()->isEditing())
            contracts()->edit();
        contracts()->fieldByName(FileField)->setValue(file);
    });
}

// A missing or invalid path fails in the shell; the program reports nothing.
void TFormAddCom::HLLabel1Click() {
    Shell::open(HLLabel1->text());
}

void TFormAddCom::Button10Click() {
    TWLDanWei* partners = app().WLDanWei;
    if (!partners)
        return;
    partners->Biaoji = true;
    Modal::exec(partners);
    // partners added or renamed there can be chosen at once
    m_partnerLink->reloadList();
}

void TFormAddCom::Button11Click() {
    TBuMenGLi* departments = app().BuMenGLi;
    if (!departments)
        return;
    departments->BMbji = true;
    Modal::exec(departments);
}

void TFormAddCom::Button14Click() {
    if (app().FKPrint)
        app().FKPrint->preview();
}

void TFormAddCom::Button15Click() {
    if (app().SKPrint)
        app().SKPrint->preview();
}

void TFormAddCom::Button16Click() {
    if (app().QTPrint)
        app().QTPrint->preview();
}

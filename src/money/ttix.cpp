#include "ttix.h"

#include "components/dbgrid.h"
#include "data/moneyside.h"
#include "data/tdmod.h"
#include "platform/dialogs.h"
#include "platform/gui/modal.h"
#include "platform/profilefile.h"
#include "shell/appcontext.h"
#include "shell/tfrmcompactmanager.h"

#include <QCoreApplication>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QRegularExpression>
#include <QShowEvent>
#include <QSpinBox>
#include <QSplitter>
#include <QStyledItemDelegate>
#include <QVBoxLayout>
#include <algorithm>
#include <utility>

namespace {

const QString Section = QStringLiteral("Settings");
const QString Key = QStringLiteral("DayTXing");
constexpr int DaysColumn = 3;

// Number, date, amount, days left, name and partner: the columns every list starts with.
QList<DatasetModel::Column> columns(const QString& date, const QString& amount,
                                    const QString& partner) {
    return {{QStringLiteral("合同编号"), {}, 18},
            {date, {}, 12},
            {amount, {}, 14},
            {QStringLiteral("day"), QStringLiteral("剩余天数"), 8},
            {QStringLiteral("合同名称"), {}, 30},
            {partner, {}, 24}};
}

// The days-left column in red on the button-highlight colour.
class DaysDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

protected:
    void initStyleOption(QStyleOptionViewItem* option, const QModelIndex& index) const override {
        QStyledItemDelegate::initStyleOption(option, index);
        option->palette.setColor(QPalette::Text, Qt::red);
        option->palette.setColor(QPalette::HighlightedText, Qt::red);
        option->backgroundBrush = option->palette.color(QPalette::Light);
    }
};

// The days-left column's title in red.
class DaysHeader : public QHeaderView {
public:
    DaysHeader(int section, QWidget* parent)
        : QHeaderView(Qt::Horizontal, parent), m_section(section) {}

protected:
    void paintSection(QPainter* painter, const QRect& rect, int logical) const override {
        if (logical != m_section) {
            QHeaderView::paintSection(painter, rect, logical);
            return;
        }
        QStyleOptionHeader option;
        initStyleOption(&option);
        option.rect = rect;
        option.section = logical;
        option.text = model()->headerData(logical, Qt::Horizontal).toString();
        option.textAlignment = defaultAlignment();
        option.palette.setColor(QPalette::ButtonText, Qt::red);
        style()->drawControl(QStyle::CE_Header, &option, painter, this);
    }

private:
    int m_section;
};

// The days box keeps a typed minus sign, so that a negative number stays in view and is refused
// with a message instead of losing its sign without a word; the arrows keep to 0..99.
class DaysBox : public QSpinBox {
public:
    using QSpinBox::QSpinBox;
    QValidator::State validate(QString& text, int& pos) const override {
        return isNegative(text) ? QValidator::Intermediate : QSpinBox::validate(text, pos);
    }

protected:
    // The spin box would put its last number back on leaving; the negative one stays instead.
    void focusOutEvent(QFocusEvent* event) override {
        if (!isNegative(text()))
            return QSpinBox::focusOutEvent(event);
        QCoreApplication::sendEvent(lineEdit(), event);
        QWidget::focusOutEvent(event);
    }

private:
    static bool isNegative(const QString& text) {
        static const QRegularExpression negative(QStringLiteral("^\\s*-[0-9]*\\s*$"));
        return negative.match(text).hasMatch();
    }
};

} // namespace

TTiX::TTiX(QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("TiX"));
    setWindowTitle(QStringLiteral(" 应收付款提醒记录"));
    resize(699, 563);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);

    Panel2 = new QLabel(QStringLiteral("合同应收应付款提醒"), this);
    Panel2->setObjectName(QStringLiteral("Panel2"));
    Panel2->setFixedHeight(41);
    Panel2->setAlignment(Qt::AlignCenter);
    Panel2->setFrameShape(QFrame::Panel);
    Panel2->setFrameShadow(QFrame::Raised);
    QFont banner(QStringLiteral("Noto Sans CJK SC")); // stands for 黑体
    banner.setPixelSize(20);
    Panel2->setFont(banner);
    Panel2->setStyleSheet(QStringLiteral("color: red"));
    layout->addWidget(Panel2);

    Splitter1 = new QSplitter(Qt::Vertical, this);
    Splitter1->setObjectName(QStringLiteral("Splitter1"));
    Splitter1->setHandleWidth(8);
    Splitter1->setChildrenCollapsible(false);
    layout->addWidget(Splitter1, 1);

    Panel1 = new QFrame(this);
    Panel1->setObjectName(QStringLiteral("Panel1"));
    Panel1->setFixedHeight(79);
    auto* bottom = new QHBoxLayout(Panel1);
    Label3 = new QLabel(QStringLiteral("  设定提前提醒的天数："), Panel1);
    Edit1 = new DaysBox(Panel1);
    Edit1->setObjectName(QStringLiteral("Edit1"));
    Edit1->setAccessibleName(QStringLiteral("设定提前提醒的天数"));
    Edit1->setRange(0, 99);
    Edit1->setSingleStep(1);
    Edit1->setValue(7);
    Edit1->findChild<QLineEdit*>()->setMaxLength(2);
    QFont days = Edit1->font();
    days.setPixelSize(16);
    days.setBold(true);
    Edit1->setFont(days);
    Edit1->setStyleSheet(QStringLiteral("QSpinBox { color: red; }"));
    Edit1->setMinimumWidth(60);
    Label3->setBuddy(Edit1);
    Label4 = new QLabel(QStringLiteral("天内提醒"), Panel1);
    Button1 = new QPushButton(QStringLiteral("&C确认修改"), Panel1);
    Button1->setObjectName(QStringLiteral("Button1"));
    Button1->setAutoDefault(false);
    Button2 = new QPushButton(QStringLiteral("&E退出"), Panel1);
    Button2->setObjectName(QStringLiteral("Button2"));
    Button2->setAutoDefault(false);
    bottom->addWidget(Label3);
    bottom->addWidget(Edit1);
    bottom->addWidget(Label4);
    bottom->addSpacing(16);
    bottom->addWidget(Button1);
    bottom->addStretch(1);
    bottom->addWidget(Button2);
    layout->addWidget(Panel1);
    connect(Button1, &QPushButton::clicked, this, &TTiX::Button1Click);
    connect(Button2, &QPushButton::clicked, this, &TTiX::Button2Click);
}

TTiX::~TTiX() = default;

const std::array<TTiX::List, 3>& TTiX::listed() {
    static const std::array<List, 3> all = [] {
        std::array<List, 3> lists;
        size_t i = 0;
        for (const MoneySide* side : MoneySide::both())
            lists[i++] = {side->reminderCaption, side->reminderGrid, side->reminders,
                          columns(side->dueDate, side->dueAmount, side->partner)};
        lists[i] = {QStringLiteral("合同到期提醒表"), QStringLiteral("DBGrid3"), &TDMod::TBHTiXing,
                    columns(QStringLiteral("截止日期"), QStringLiteral("合同金额"),
                            QStringLiteral("往来单位")) +
                        QList<DatasetModel::Column>{{QStringLiteral("执行情况"), {}, 10}}};
        return lists;
    }();
    return all;
}

// Made before the data module; the lists bind to it on first use.
void TTiX::ensureBound() {
    if (m_dm || !app().DMod)
        return;
    m_dm = app().DMod;
    Splitter1->addWidget(makeList(Label1, DBGrid1, listed()[0]));
    Splitter1->addWidget(makeList(Label2, DBGrid2, listed()[1]));
    Splitter1->addWidget(makeList(Label5, DBGrid3, listed()[2]));
}

QWidget* TTiX::makeList(QLabel*& title, DBGrid*& grid, const List& list) {
    auto* box = new QWidget(Splitter1);
    auto* layout = new QVBoxLayout(box);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    title = new QLabel(list.caption, box);
    title->setAlignment(Qt::AlignCenter);
    QFont bold = title->font();
    bold.setBold(true);
    title->setFont(bold);
    title->setFixedHeight(title->sizeHint().height() + 6);
    grid = new DBGrid(m_dm->*list.dataset, box);
    grid->setObjectName(list.gridName);
    grid->setAccessibleName(list.caption);
    grid->setColumns(list.columns);
    auto* header = new DaysHeader(DaysColumn, grid);
    header->setDefaultAlignment(grid->horizontalHeader()->defaultAlignment());
    header->setHighlightSections(false);
    grid->setHorizontalHeader(header);
    header->setSectionResizeMode(QHeaderView::Interactive);
    grid->applyWidths();
    grid->setItemDelegateForColumn(DaysColumn, new DaysDelegate(grid));
    layout->addWidget(title);
    layout->addWidget(grid, 1);
    return box;
}

int TTiX::dayTXing() const {
    return m_dm ? m_dm->reminderDays() : 7;
}

void TTiX::showBanner() {
    Panel2->setText(QStringLiteral("合同预支付记录提醒(") + QString::number(dayTXing()) +
                    QStringLiteral("日内)"));
}

std::array<Dataset*, 3> TTiX::lists() const {
    std::array<Dataset*, 3> datasets;
    for (size_t i = 0; i < datasets.size(); ++i)
        datasets[i] = m_dm->*listed()[i].dataset;
    return datasets;
}

void TTiX::setLists() {
    m_dm->updateReminderHorizon();
    for (Dataset* ds : lists())
        m_dm->setReminderQuery(ds);
}

// Filtering goes on before the rows are read, so that they are passed over once.
bool TTiX::readLists() {
    try {
        for (Dataset* ds : lists()) {
            ds->setFiltered(true);
            ds->open();
        }
        return true;
    } catch (const std::exception&) {
        closeLists();
        return false;
    }
}

bool TTiX::openLists() {
    try {
        setLists();
    } catch (const std::exception&) {
        closeLists();
        return false;
    }
    return readLists();
}

void TTiX::closeLists() {
    for (Dataset* ds : lists()) {
        ds->setFiltered(false);
        ds->close();
    }
}

// Skipped while the window is already up, opened by "合同提醒" within the first second. The
// check only asks whether anything is due, which the first overdue row answers; the lists are
// read as the window shows.
void TTiX::autoCheck() {
    ensureBound();
    if (!m_dm || isVisible())
        return;
    bool due = false;
    try {
        setLists();
        const auto all = lists();
        due = std::any_of(all.begin(), all.end(),
                          [this](Dataset* ds) { return m_dm->anyReminderDue(ds); });
    } catch (const std::exception&) {
        due = false; // a failure shows nothing, as nothing due does
    }
    if (!due) {
        closeLists();
        return;
    }
    m_readOnShow = true;
    Modal::exec(this);
    m_readOnShow = false;
    closeLists();
}

void TTiX::showOnDemand() {
    ensureBound();
    if (!m_dm)
        return;
    if (!openLists()) {
        Dialogs::plain(QStringLiteral("暂时无法提取记录，请稍后再试!"));
        return;
    }
    Modal::exec(this);
    closeLists();
}

void TTiX::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    // The automatic check stays silent: lists that cannot be read close the window again, once
    // its modal loop runs.
    if (std::exchange(m_readOnShow, false) && !readLists())
        QMetaObject::invokeMethod(this, &QDialog::reject, Qt::QueuedConnection);
    FormShow();
}

void TTiX::FormShow() {
    ensureBound();
    showBanner();
    Edit1->setValue(dayTXing());
}

void TTiX::Button1Click() {
    const QString text = Edit1->text().trimmed();
    if (text.isEmpty())
        return;
    bool isNumber = false;
    const int days = text.toInt(&isNumber);
    if (!isNumber || days < Edit1->minimum() || days > Edit1->maximum()) {
        Dialogs::showError(QStringLiteral("“") + text +
                           QStringLiteral("”不是有效的天数，请输入0到99之间的整数"));
        return;
    }
    app().frmCompactManager->SettingsFile->writeInteger(Section, Key, days);
    Dialogs::plain(QStringLiteral("设置成功!提前天数为： ") + QString::number(dayTXing()) +
                   QStringLiteral(" 天!"));
    m_dm->updateReminderHorizon();
    for (Dataset* ds : lists())
        ds->refresh();
    showBanner();
}

void TTiX::Button2Click() {
    close();
}

void TTiX::done(int result) {
    if (m_dm)
        closeLists();
    QDialog::done(result);
}

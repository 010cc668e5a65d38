#include "contractrecord.h"

#include "data/tdmod.h"
#include "platform/clock.h"

using namespace Report;

namespace {

constexpr double Width = 277;
constexpr double RowHeight = 7.9;
constexpr double TextTop = 1.2; // an 11-point line centred in a 7.9 mm row
// Column rules of the instalment table, and the left edges of its titles.
constexpr double Rules[] = {34.7, 72.5, 106.9, 145.0, 180.4, 214.8};
constexpr double TitleX[] = {10.1, 44.5, 81.0, 116.9, 155.0, 191.0, 227.0};
const QColor Grey(0xC0, 0xC0, 0xC0);

double columnLeft(int i) {
    return i == 0 ? 0 : Rules[i - 1];
}
double columnRight(int i) {
    return i == 6 ? Width : Rules[i];
}

// Left edges of the labels in the totals band.
constexpr double TotalsX[] = {9.0, 75.1, 136.0, 177.8, 226.5};

double nextLabel(double x) {
    for (double next : TotalsX)
        if (next > x)
            return next - 1.5;
    return Width - 1.5;
}

std::function<QString()> fixed(const QString& text) {
    return [text] { return text; };
}

QString yuan(Currency c) {
    return c.formatYuan();
}

QString percent(const Currency::Sum& part, const Currency::Sum& whole) {
    const double ratio =
        whole.units() == 0 ? 0.0 : double(part.units()) / double(whole.units()) * 100.0;
    return QString::number(ratio, 'f', 2) + QLatin1Char('%');
}

} // namespace

const RecordLayout& RecordLayout::payable() {
    static const RecordLayout layout{QStringLiteral("付款合同客户管理档案"),
                                     QStringLiteral("供 应 商:"),
                                     31.8,
                                     202.1,
                                     225.4,
                                     true,
                                     &TDMod::TBFKJiLu,
                                     QStringLiteral("应付"),
                                     QStringLiteral("实付"),
                                     false,
                                     true,
                                     Sides::all(),
                                     16.7,
                                     236.8,
                                     18.0,
                                     15};
    return layout;
}

const RecordLayout& RecordLayout::receivable() {
    static const RecordLayout layout{QStringLiteral("收款合同客户管理档案"),
                                     QStringLiteral("客户名称:"),
                                     31.8,
                                     212.7,
                                     236.0,
                                     true,
                                     &TDMod::TBSKJiLu,
                                     QStringLiteral("应收"),
                                     QStringLiteral("实收"),
                                     true,
                                     false,
                                     {true, true, false, true},
                                     19.3,
                                     229.4,
                                     15.9,
                                     15};
    return layout;
}

const RecordLayout& RecordLayout::other() {
    static const RecordLayout layout{QStringLiteral("其它合同客户管理档案"),
                                     QStringLiteral("供 应 商:"),
                                     33.6,
                                     202.1,
                                     225.4,
                                     false,
                                     nullptr,
                                     {},
                                     {},
                                     false,
                                     false,
                                     {},
                                     19.6,
                                     131.5,
                                     16.9,
                                     14};
    return layout;
}

ContractRecord::ContractRecord(const RecordLayout& layout, TDMod& dm)
    : m_layout(layout), m_dm(dm), m_rows(layout.rows ? dm.*layout.rows : nullptr) {
    buildTitle();
    Band* last = TitleBand1;
    if (m_rows) {
        buildTable();
        last = QRBand1;
    }
    buildRemarks(buildText(last));
}

int ContractRecord::print(QPagedPaintDevice& device) {
    return m_report.print(device);
}

QString ContractRecord::contract(const QString& field) const {
    return m_dm.TBCompacter->fieldByName(field)->displayText();
}

QString ContractRecord::row(const QString& field) const {
    return m_rows->fieldByName(field)->displayText();
}

// An empty amount counts as 0.
bool ContractRecord::rowIsZero(const QString& field) const {
    return m_rows->fieldByName(field)->asCurrency() == Currency();
}

void ContractRecord::buildTitle() {
    TitleBand1 =
        m_report.addBand(Band::Kind::Title, QStringLiteral("TitleBand1"), m_layout.titleHeight);
    TitleBand1->add<Text>(0, 2.0, Width, fixed(m_layout.title), lishu(20, true), Align::Center);
    const QFont font = songti(11);
    const double line1 = m_layout.titleHeight - 17.5, line2 = m_layout.titleHeight - 9.0;
    // values keep to their block: the left one ends before the right one starts
    const double leftValues = 31.2, leftRoom = m_layout.rightBlock - 1.5 - leftValues;
    const double rightRoom = Width - m_layout.rightValues;
    TitleBand1->add<Text>(7.9, line1, 0, fixed(m_layout.partnerLabel), font);
    TitleBand1->add<Text>(
        leftValues, line1, leftRoom, [this] { return contract(QStringLiteral("往来单位")); }, font);
    TitleBand1->add<Text>(7.9, line2, 0, fixed(QStringLiteral("合同金额: ")), font);
    TitleBand1
        ->add<Text>(
            leftValues, line2, leftRoom,
            [this] {
                const Field* amount = m_dm.TBCompacter->fieldByName(QStringLiteral("合同金额"));
                if (amount->isNull() || !m_layout.amountInYuan)
                    return amount->displayText();
                return yuan(amount->asCurrency());
            },
            font)
        ->keepWhole();
    const double right = m_layout.rightBlock, values = m_layout.rightValues;
    TitleBand1->add<Text>(right, line1, 0, fixed(QStringLiteral("合同编号: ")), font);
    TitleBand1->add<Text>(
        values, line1, rightRoom, [this] { return contract(QStringLiteral("合同编号")); }, font);
    TitleBand1->add<Text>(right, line2, 0, fixed(QStringLiteral("签订日期: ")), font);
    TitleBand1->add<Text>(
        values, line2, rightRoom, [this] { return contract(QStringLiteral("签订日期")); }, font);
}

void ContractRecord::addColumnTitles(Band* band) {
    const QString titles[] = {m_layout.due + QStringLiteral("日期"),
                              m_layout.due + QStringLiteral("金额"),
                              m_layout.settled + QStringLiteral("日期"),
                              m_layout.settled + QStringLiteral("金额"),
                              QStringLiteral("发票金额"),
                              QStringLiteral("凭证号"),
                              QStringLiteral("备注")};
    for (int i = 0; i < 7; ++i)
        band->add<Text>(TitleX[i], TextTop, 0, fixed(titles[i]), songti(11));
    addRules(band);
}

void ContractRecord::addRules(Band* band) {
    for (double x : Rules)
        band->add<Line>(x, 0, x, -1);
}

void ContractRecord::buildTable() {
    ChildBand2 = m_report.addChild(TitleBand1, QStringLiteral("ChildBand2"), RowHeight);
    ChildBand2->background = Grey;
    ChildBand2->frame = {true, true, false, true};
    addColumnTitles(ChildBand2);

    ColumnHeaderBand1 =
        m_report.addBand(Band::Kind::ColumnHeader, QStringLiteral("ColumnHeaderBand1"), RowHeight);
    ColumnHeaderBand1->background = Grey;
    ColumnHeaderBand1->frame = m_layout.headerFrame;
    addColumnTitles(ColumnHeaderBand1);

    DetailBand1 = m_report.addBand(Band::Kind::Detail, QStringLiteral("DetailBand1"), RowHeight);
    DetailBand1->frame = Sides::all();
    addRules(DetailBand1);
    const QFont font = songti(11);
    const QString dueDate = m_layout.due + QStringLiteral("日期");
    const QString due = m_layout.due + QStringLiteral("金额");
    const QString settledDate = m_layout.settled + QStringLiteral("日期");
    const QString settled = m_layout.settled + QStringLiteral("金额");
    const QString invoiced = QStringLiteral("发票额");
    auto cell = [&](int column, const QString& field, Align align) {
        // the cell spans its column from rule to rule, whatever the title's place
        const double left = columnLeft(column) + 1.5;
        const double width = columnRight(column) - left - 1.5;
        return DetailBand1->add<Text>(
            left, TextTop, width, [this, field] { return row(field); }, font, align);
    };
    auto amount = [&](int column, const QString& field) {
        Text* cell = DetailBand1->add<Text>(
            columnLeft(column) + 1.5, TextTop, columnRight(column) - columnLeft(column) - 3.0,
            [this, field] { return m_rows->fieldByName(field)->asCurrency().format(); }, font,
            Align::Right);
        cell->keepWhole();
        return cell;
    };
    cell(0, dueDate, Align::Center);
    m_dueCell = amount(1, due);
    cell(2, settledDate, Align::Center);
    m_settledCell = amount(3, settled);
    m_invoicedCell = amount(4, invoiced);
    cell(5, QStringLiteral("c1"), Align::Left);
    cell(6, QStringLiteral("备注"), Align::Left);

    auto total = [this](const QString& field) {
        return m_report.addSum([this, field] { return m_rows->fieldByName(field)->asCurrency(); });
    };
    const Document::Sum* dueSum = total(due);
    const Document::Sum* settledSum = total(settled);
    const Document::Sum* invoicedSum = total(invoiced);

    QRBand1 = m_report.addBand(Band::Kind::Summary, QStringLiteral("QRBand1"), RowHeight);
    QRBand1->frame = Sides::all();
    // each value keeps left of the next label, on one line
    auto pair = [this](double x, const QString& label, std::function<QString()> value,
                       const QFont& labelFont, const QFont& valueFont) {
        const Text* l = QRBand1->add<Text>(x, TextTop, 0, fixed(label), labelFont);
        Text* shown = QRBand1->add<Text>(0, TextTop, 0, std::move(value), valueFont);
        shown->follow(l, nextLabel(x));
        shown->keepWhole();
    };
    pair(
        TotalsX[0], m_layout.due + QStringLiteral("款金额统计："),
        [dueSum] { return dueSum->value().formatYuan(); }, font, font);
    pair(
        TotalsX[1], m_layout.settled + QStringLiteral("金额统计："),
        [settledSum] { return settledSum->value().formatYuan(); }, font, font);
    pair(
        TotalsX[2], m_layout.settled + QStringLiteral("比例："),
        [dueSum, settledSum] { return percent(settledSum->value(), dueSum->value()); }, arial(10),
        arial(10));
    pair(
        TotalsX[3], QStringLiteral("欠款："),
        [dueSum, settledSum] { return (dueSum->value() - settledSum->value()).formatYuan(); }, font,
        m_layout.debtInArial ? arial(10) : font);
    pair(
        TotalsX[4], QStringLiteral("欠发票："),
        [settledSum, invoicedSum] {
            return (settledSum->value() - invoicedSum->value()).formatYuan();
        },
        font, font);

    if (m_layout.linked)
        QRBand1->link = DetailBand1;

    TitleBand1->afterPrint = [this] { TitleBand1AfterPrint(); };
    ChildBand2->beforePrint = [this] { ChildBand2BeforePrint(); };
    ColumnHeaderBand1->beforePrint = [this] { ColumnHeaderBand1BeforePrint(); };
    ColumnHeaderBand1->afterPrint = [this] { ColumnHeaderBand1AfterPrint(); };
    DetailBand1->beforePrint = [this] { DetailBand1BeforePrint(); };
    DetailBand1->afterPrint = [this] { DetailBand1AfterPrint(); };
    m_report.setDataset(m_rows);
}

Band* ContractRecord::buildText(Band* parent) {
    ChildBand3 = m_report.addChild(parent, QStringLiteral("ChildBand3"), m_layout.textHeight);
    ChildBand3->frame = Sides::all();
    const QFont font = songti(11);
    const Text* name =
        ChildBand3->add<Text>(9.0, 1.5, 0, fixed(QStringLiteral("合同名称：")), font);
    ChildBand3
        ->add<Text>(
            0, 1.5, 0, [this] { return contract(QStringLiteral("合同名称")); }, font)
        ->follow(name, Width - 1.5);
    ChildBand3->add<Text>(9.0, 8.0, 0, fixed(QStringLiteral("合同内容：")), font);
    ChildBand3->add<FlowText>(
        29.0, 8.0, m_layout.textWidth, [this] { return contract(QStringLiteral("合同内容")); },
        font);
    if (m_layout.linked)
        ChildBand3->link = QRBand1;
    return ChildBand3;
}

void ContractRecord::buildRemarks(Band* parent) {
    ChildBand1 = m_report.addChild(parent, QStringLiteral("ChildBand1"), m_layout.remarksHeight);
    ChildBand1->add<Box>(0, 0.3, Width, 9.3);
    ChildBand1->add<Text>(1.5, 0.8, 0, fixed(QStringLiteral("备注：")),
                          lishu(m_layout.remarksPoints));
    const double y = 9.6 + (m_layout.remarksHeight - 9.6 - 5.6) / 2;
    const QFont font = songti(11);
    const Text* label = ChildBand1->add<Text>(9.0, y, 0, fixed(QStringLiteral("打印日期：")), font);
    ChildBand1
        ->add<Text>(
            0, y, 0,
            [] {
                return FieldValues::displayText(FieldType::DateTime,
                                                FieldValues::makeDateTime(Clock::today()));
            },
            font)
        ->follow(label);
    ChildBand1->add<Text>(220.4, y, 0, fixed(QStringLiteral("Qintara合同管理系统")), font);
}

// ---------------------------------------------------------------- hooks

void ContractRecord::TitleBand1AfterPrint() {
    ChildBand2->enabled = true;
}

void ContractRecord::ChildBand2BeforePrint() {
    ChildBand2->enabled = m_rows->isEmpty();
}

void ContractRecord::ColumnHeaderBand1BeforePrint() {
    if (m_rows->eof())
        ColumnHeaderBand1->enabled = false;
}

void ContractRecord::ColumnHeaderBand1AfterPrint() {
    ColumnHeaderBand1->enabled = true;
}

void ContractRecord::DetailBand1BeforePrint() {
    m_dueCell->enabled = !rowIsZero(m_layout.due + QStringLiteral("金额"));
    m_settledCell->enabled = !rowIsZero(m_layout.settled + QStringLiteral("金额"));
    m_invoicedCell->enabled = !rowIsZero(QStringLiteral("发票额"));
}

void ContractRecord::DetailBand1AfterPrint() {
    for (Text* cell : {m_dueCell, m_settledCell, m_invoicedCell})
        cell->enabled = true;
    if (m_rows->recNo() == m_rows->recordCount())
        m_rows->next();
}

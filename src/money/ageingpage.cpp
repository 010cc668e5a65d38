#include "ageingpage.h"

#include "components/dbgrid.h"
#include "components/footer.h"
#include "data/moneyside.h"
#include "platform/clock.h"

#include <QTableView>
#include <QVBoxLayout>

namespace {

// Columns before the amounts: partner number and name.
constexpr int FirstAmount = 2;
// The balance after the buckets.
constexpr int Balance = FirstAmount + Ageing::Buckets;

} // namespace

AgeingModel::AgeingModel(const MoneySide& side, QObject* parent)
    : QAbstractTableModel(parent), m_captions(Ageing::captions(side)) {}

void AgeingModel::setAgeing(Ageing ageing) {
    beginResetModel();
    m_ageing = std::move(ageing);
    endResetModel();
}

QString AgeingModel::amountText(const Ageing::Row& row, int column) {
    if (column == Balance)
        return row.total().format();
    return row.amounts[size_t(column - FirstAmount)].format();
}

int AgeingModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_ageing.rows().size());
}

int AgeingModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(m_captions.size());
}

QVariant AgeingModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const Ageing::Row& row = m_ageing.rows()[size_t(index.row())];
    const int column = index.column();
    if (role == Qt::DisplayRole) {
        if (column == 0)
            return row.number;
        if (column == 1)
            return row.name;
        return amountText(row, column);
    }
    if (role == Qt::TextAlignmentRole)
        return QVariant::fromValue(Qt::AlignVCenter |
                                   (column >= FirstAmount ? Qt::AlignRight : Qt::AlignLeft));
    return {};
}

QVariant AgeingModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (role != Qt::DisplayRole || orientation != Qt::Horizontal || section < 0 ||
        section >= m_captions.size())
        return {};
    return m_captions[section];
}

AgeingPage::AgeingPage(const MoneySide& side, QWidget* parent) : QWidget(parent), m_side(side) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    model = new AgeingModel(side, this);
    wwDBGrid3 = new QTableView(this);
    wwDBGrid3->setObjectName(QStringLiteral("wwDBGrid3"));
    wwDBGrid3->setAccessibleName(QStringLiteral("账龄分析"));
    wwDBGrid3->setModel(model);
    DBGrid::applyLook(wwDBGrid3);
    const int widths[] = {12, 20, 14, 14, 14, 14, 14, 16};
    for (int c = 0; c < model->columnCount(); ++c)
        wwDBGrid3->setColumnWidth(c, DBGrid::pixelWidth(wwDBGrid3, widths[c]));
    footer = new GridFooter(wwDBGrid3, this);
    footer->setObjectName(QStringLiteral("wwDBGrid3Footer"));
    layout->addWidget(wwDBGrid3, 1);
    layout->addWidget(footer);
}

void AgeingPage::rebuild(TDMod& dm) {
    model->setAgeing(Ageing::of(dm, m_side, Clock::today()));
    showTotals();
}

void AgeingPage::showTotals() {
    const Ageing::Row& totals = model->ageing().totals();
    footer->setText(1, totals.name);
    for (int c = FirstAmount; c <= Balance; ++c)
        footer->setText(c, AgeingModel::amountText(totals, c));
}

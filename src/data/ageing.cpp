#include "ageing.h"

#include "database.h"
#include "dataset.h"
#include "moneyside.h"
#include "tdmod.h"

#include <QHash>
#include <QSqlQuery>
#include <algorithm>
#include <optional>

namespace {

Currency amount(const QVariant& value) {
    return value.isNull() ? Currency() : value.value<Currency>();
}

// Every contract's partner, as the index of its row in the partner list; contracts whose
// partner is not listed are left out. Partner numbers compare as the partner totals match
// them: exactly.
QHash<qint64, int> partnersOfContracts(Database& db, const QHash<QString, int>& partnerRows) {
    QSqlQuery q = db.prepare(QStringLiteral("SELECT CompactID, SCNum FROM Compact"));
    q.setForwardOnly(true);
    Database::exec(q);
    QHash<qint64, int> partners;
    while (q.next()) {
        const auto row = partnerRows.constFind(q.value(1).toString());
        if (row != partnerRows.constEnd())
            partners.insert(q.value(0).toLongLong(), row.value());
    }
    return partners;
}

// Sets an overpayment (a balance below what the open instalments add up to) against the
// oldest amounts first; whatever is left stays as a credit not yet due.
void settle(Ageing::Row& row, const Currency::Sum& balance) {
    Currency::Sum credit = row.total();
    credit -= balance;
    const Currency::Sum zero;
    for (int b = Ageing::Buckets - 1; b >= 0 && zero < credit; --b) {
        Currency::Sum& open = row.amounts[size_t(b)];
        if (!(zero < open))
            continue;
        const Currency::Sum taken = std::min(open, credit);
        open -= taken;
        credit -= taken;
    }
    row.amounts[0] -= credit; // below zero: a credit; above: more owed than the instalments show
}

} // namespace

const QStringList& Ageing::bucketTitles() {
    static const QStringList titles{QStringLiteral("未到期"), QStringLiteral("1-30天"),
                                    QStringLiteral("31-60天"), QStringLiteral("61-90天"),
                                    QStringLiteral("90天以上")};
    return titles;
}

int Ageing::bucketOf(int daysOverdue) {
    if (daysOverdue <= 0)
        return 0;
    return std::min((daysOverdue - 1) / 30 + 1, Buckets - 1);
}

QStringList Ageing::captions(const MoneySide& side) {
    return QStringList{side.partnerNumber, side.partnerName} + bucketTitles() +
           QStringList{QStringLiteral("欠款")};
}

const QString& Ageing::noPartner() {
    static const QString name = QStringLiteral("（无往来单位）");
    return name;
}

Currency::Sum Ageing::Row::total() const {
    Currency::Sum sum;
    for (const Currency::Sum& a : amounts)
        sum += a;
    return sum;
}

bool Ageing::Row::isZero() const {
    return std::all_of(amounts.begin(), amounts.end(),
                       [](const Currency::Sum& a) { return a == Currency::Sum(); });
}

void Ageing::add(const Row& row) {
    if (row.isZero())
        return;
    m_rows.push_back(row);
    for (int b = 0; b < Buckets; ++b)
        m_totals.amounts[size_t(b)] += row.amounts[size_t(b)];
}

Ageing Ageing::of(TDMod& dm, const MoneySide& side, const QDate& today) {
    Ageing ageing;
    const Dataset& detail = *(dm.*side.detail);
    const Dataset& summary = *(dm.*side.summary);
    if (!detail.isActive() || !summary.isActive())
        return ageing;

    // The partners with their balances, in the partner list's order.
    std::vector<Row> partners(size_t(summary.recordCount()));
    std::vector<std::optional<Currency::Sum>> balances(partners.size());
    QHash<QString, int> partnerRows;
    const Field* number = summary.fieldByName(side.partnerNumber);
    const Field* name = summary.fieldByName(side.partnerName);
    const Field* due = summary.fieldByName(side.dueAmount);
    const Field* settled = summary.fieldByName(side.settledAmount);
    for (int p = 0; p < summary.recordCount(); ++p) {
        Row& row = partners[size_t(p)];
        row.number = summary.valueAt(p, number).toString();
        row.name = summary.valueAt(p, name).toString();
        partnerRows.insert(row.number, p);
        const QVariant owed = summary.valueAt(p, due), paid = summary.valueAt(p, settled);
        if (!owed.isNull() && !paid.isNull()) {
            Currency::Sum balance;
            balance += amount(owed);
            balance -= amount(paid);
            balances[size_t(p)] = balance;
        }
    }

    // The open instalments by their age; the list may hold every row, open or not.
    Row unlisted;
    unlisted.name = noPartner();
    const QHash<qint64, int> partnerOf = partnersOfContracts(dm.database(), partnerRows);
    const Field* dueDate = detail.fieldByName(side.dueDate);
    const Field* dueAmount = detail.fieldByName(side.dueAmount);
    const Field* settledAmount = detail.fieldByName(side.settledAmount);
    const Field* contract = detail.fieldByName(QStringLiteral("CompactID"));
    for (int pos = 0; pos < detail.recordCount(); ++pos) {
        Currency::Sum open;
        open += amount(detail.valueAt(pos, dueAmount));
        open -= amount(detail.valueAt(pos, settledAmount));
        if (!(Currency::Sum() < open))
            continue;
        const QVariant date = detail.valueAt(pos, dueDate);
        const int bucket =
            date.isNull() ? 0 : bucketOf(int(date.toDateTime().date().daysTo(today)));
        const int p = partnerOf.value(detail.valueAt(pos, contract).toLongLong(), -1);
        Row& row = p < 0 ? unlisted : partners[size_t(p)];
        row.amounts[size_t(bucket)] += open;
    }

    for (size_t p = 0; p < partners.size(); ++p) {
        if (balances[p])
            settle(partners[p], *balances[p]);
        ageing.add(partners[p]);
    }
    ageing.add(unlisted);
    return ageing;
}

#pragma once
// The ageing of what each partner still owes or is owed: the open amount split by how long it
// has been overdue on a given day, worked out from the lists a money window has read.
//
// An instalment is open by its amount due less its amount settled (an empty amount counts as
// 0), as the list by date and the partner totals count it. The list by date holds the open
// instalments, each aged from its due date (one without a due date is not yet due). A
// partner's instalments settled beyond their amount lower the partner's balance ("欠款") on
// the partner list: that overpayment is set against the partner's oldest open amounts first,
// so that each partner's ageing adds up to its balance exactly.
#include "currency.h"

#include <QDate>
#include <QStringList>
#include <array>
#include <vector>

class Dataset;
class Database;
class TDMod;
struct MoneySide;

class Ageing {
public:
    static constexpr int Buckets = 5;
    // "未到期", "1-30天", "31-60天", "61-90天", "90天以上".
    static const QStringList& bucketTitles();
    // The bucket of an amount overdue by this many days; 0 or fewer: not yet due.
    static int bucketOf(int daysOverdue);
    // The columns: partner number and name, the buckets, the balance "欠款".
    static QStringList captions(const MoneySide& side);
    // The name of the row for instalments of contracts without a listed partner.
    static const QString& noPartner();

    struct Row {
        QString number;
        QString name;
        std::array<Currency::Sum, Buckets> amounts = {};
        Currency::Sum total() const;
        bool isZero() const;
    };

    // From the side's list by date and partner list as the window last read them, aged on
    // `today`; empty while either is not read. Partners whose ageing is all zero are left out.
    static Ageing of(TDMod& dm, const MoneySide& side, const QDate& today);

    // In the partner list's order; the row for contracts without a listed partner last.
    const std::vector<Row>& rows() const { return m_rows; }
    // The grand totals, named "合计".
    const Row& totals() const { return m_totals; }

private:
    void add(const Row& row);

    std::vector<Row> m_rows;
    Row m_totals{{}, QStringLiteral("合计")};
};

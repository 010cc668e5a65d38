#include "generator.h"

#include "contractrules.h"
#include "data/database.h"
#include "data/schema.h"
#include "generatorwords.h"
#include "partners.h"
#include "registerwriter.h"

#include <algorithm>
#include <cstdint>
#include <functional>
#include <vector>

namespace Generator {

namespace {

template <class Fill> Counts inTransaction(Database& db, Fill fill) {
    db.transaction();
    try {
        Counts counts = fill();
        db.commit();
        return counts;
    } catch (...) {
        db.rollback();
        throw;
    }
}

} // namespace

Counts fillDemo(Database& db, QDate today) {
    return inTransaction(db, [&] {
        Random r(20260101);
        Writer w(db);
        const std::vector<Partner> partners = demoPartners();
        for (const Partner& p : partners)
            w.partner(p);
        for (const char* d : Departments)
            w.department(s(d));
        writeRates(w, partners);
        writeOperators(db, w.counts);

        // 200 contracts signed over the last two years, numbered per year in signing order.
        const PartnerPools pools(partners);
        std::vector<int> ages;
        for (int i = 0; i < 200; ++i)
            ages.push_back(r.between(0, 720));
        std::sort(ages.begin(), ages.end(), std::greater<int>());
        std::vector<Contract> contracts;
        std::vector<size_t> byDirection[3];
        int perYear = 0, year = 0;
        for (int i = 0; i < 200; ++i) {
            const int type = i < 11 ? (i * 7) % 11 : pickType(r); // every type at least once
            const int direction = pickDirection(r, type);
            const Partner& p = partners[size_t(r.pick(pools.byDirection[direction]))];
            Contract c =
                makeContract(r, type, direction, p.number, today.addDays(-ages[size_t(i)]), today);
            c.id = i + 1;
            if (c.signedOn.year() != year) {
                year = c.signedOn.year();
                perYear = 0;
            }
            c.number = s("HT%1-%2").arg(year).arg(++perYear, 3, 10, QChar(u'0'));
            c.text = shortText(c, p.name);
            if (r.chance(10))
                c.file = s("C:\\Zanbook\\合同扫描\\%1.pdf").arg(c.number);
            if (direction < 2)
                fillSchedule(r, c, r.between(1, 5), today);
            byDirection[direction].push_back(contracts.size());
            contracts.push_back(std::move(c));
        }

        // Make sure the reminders have something to show on any day: open instalments due
        // today and within the week, some overdue, and a few without a due date.
        auto force = [&](int direction, int nth, QDate due) {
            const auto& list = byDirection[direction];
            if (list.empty())
                return;
            Contract& c = contracts[list[list.size() - 1 - size_t(nth) % list.size()]];
            Instalment& in = c.schedule.back();
            in.due = due;
            in.settled = Currency();
            in.settledOn = QDate();
            in.voucher.clear();
        };
        for (int direction = 0; direction < 2; ++direction) {
            force(direction, 0, today);
            force(direction, 1, today.addDays(2));
            force(direction, 2, today.addDays(5));
            force(direction, 3, today.addDays(7));
            force(direction, 4, today.addDays(-3));
            force(direction, 5, today.addDays(-40));
            force(direction, 6, QDate());
            force(direction, 7, QDate());
        }
        for (Contract& c : contracts) {
            c.state = executionState(c, today);
            w.contract(c);
        }
        return w.counts;
    });
}

Counts fillBench(Database& db, const BenchSize& size, QDate today) {
    return inTransaction(db, [&] {
        // The text index is built once after the load: faster than row by row.
        Schema::dropTextIndex(db.connection());
        Random r(1000003);
        Writer w(db);
        const std::vector<Partner> partners = makePartners(r, std::max(size.partners, 1));
        for (const Partner& p : partners)
            w.partner(p);
        for (const char* d : Departments)
            w.department(s(d));
        writeRates(w, partners);
        writeOperators(db, w.counts);

        // Directions first: the instalments are dealt out over the 收款 and 付款 contracts.
        const int n = size.contracts;
        std::vector<int8_t> types(static_cast<size_t>(n)), directions(static_cast<size_t>(n));
        std::vector<int> scheduled;
        for (int i = 0; i < n; ++i) {
            types[size_t(i)] = int8_t(pickType(r));
            directions[size_t(i)] = int8_t(pickDirection(r, types[size_t(i)]));
            if (directions[size_t(i)] < 2)
                scheduled.push_back(i);
        }
        if (scheduled.empty() && size.instalments > 0 && n > 0) {
            directions[0] = 0;
            scheduled.push_back(0);
        }
        std::vector<int> counts(static_cast<size_t>(n), 0);
        for (int k = 0; k < size.instalments && !scheduled.empty(); ++k)
            ++counts[size_t(scheduled[size_t(r.below(int(scheduled.size())))])];

        // Signed over six years up to today, in number order.
        const PartnerPools pools(partners);
        const int span = 6 * 365;
        int perYear = 0, year = 0;
        for (int i = 0; i < n; ++i) {
            const int direction = directions[size_t(i)];
            const Partner& p = partners[size_t(r.pick(pools.byDirection[direction]))];
            const QDate signedOn = today.addDays(-span + qint64(i) * span / std::max(n, 1));
            Contract c = makeContract(r, types[size_t(i)], direction, p.number, signedOn, today);
            c.id = i + 1;
            if (signedOn.year() != year) {
                year = signedOn.year();
                perYear = 0;
            }
            c.number = s("HT%1-%2").arg(year).arg(++perYear, 5, 10, QChar(u'0'));
            c.text = longText(r, c, p.name);
            if (r.chance(5))
                c.file = s("C:\\Zanbook\\合同扫描\\%1.pdf").arg(c.number);
            fillSchedule(r, c, counts[size_t(i)], today);
            for (Instalment& in : c.schedule)
                if (r.chance(1))
                    in.due = QDate(); // a few without a due date
            c.state = executionState(c, today);
            w.contract(c);
        }
        if (!Schema::addTextIndex(db.connection()))
            throw DataError(s("无法建立合同内容索引"));
        return w.counts;
    });
}

} // namespace Generator

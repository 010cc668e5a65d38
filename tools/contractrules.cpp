#include "contractrules.h"

#include "data/schema.h"
#include "generatorwords.h"

#include <algorithm>

namespace Generator {

namespace {

Currency yuan(int64_t whole, int cents = 0) {
    return Currency::fromUnits(whole * Currency::Scale + cents * 100);
}

QString contractName(Random& r, int type, int direction) {
    const TypeInfo& t = Types[type];
    const char* pattern = direction == 0 ? t.receive : (direction == 1 ? t.pay : t.other);
    return s(pattern).arg(s(r.pick(t.subjects)));
}

Currency contractAmount(Random& r, int type) {
    const int lo = Types[type].minAmount / 100, hi = Types[type].maxAmount / 100;
    const int64_t whole = int64_t(r.between(lo, hi)) * 100;
    // Most amounts are round; some carry yuan and fen.
    if (r.chance(20))
        return yuan(whole + r.below(100), r.below(100));
    return yuan(whole);
}

// Splits the amount into `count` instalments: an advance, progress payments and a final one.
std::vector<Currency> split(Currency total, int count) {
    static const std::vector<std::vector<int>> Shares = {
        {100}, {30, 70}, {30, 60, 10}, {20, 30, 30, 20}, {10, 30, 30, 20, 10}};
    std::vector<Currency> parts;
    int64_t rest = total.units();
    for (int i = 0; i < count; ++i) {
        int64_t part;
        if (i == count - 1)
            part = rest;
        else if (count <= 5)
            part =
                total.units() * Shares[size_t(count - 1)][size_t(i)] / 100 / 100 * 100; // whole fen
        else
            part = total.units() / count / 100 * 100;
        parts.push_back(Currency::fromUnits(part));
        rest -= part;
    }
    return parts;
}

QString header(const Contract& c, const QString& partnerName) {
    const bool weReceive = c.direction == s(Directions[0]);
    const QString first = weReceive ? partnerName : s(OurCompany);
    const QString second = weReceive ? s(OurCompany) : partnerName;
    return s("合同编号：%1\n甲方：%2\n乙方：%3\n"
             "根据《中华人民共和国民法典》及有关法律法规的规定，甲乙双方本着平等自愿、诚实信用的原"
             "则，"
             "经友好协商，就%4事宜达成如下协议：\n"
             "第一条 合同金额：人民币%5元。\n"
             "第二条 履行期限：自%6起至%7止。\n")
        .arg(c.number, first, second, c.name, c.amount.format(),
             c.start.toString(s("yyyy年M月d日")), c.end.toString(s("yyyy年M月d日")));
}

int utf8Size(const QString& text) {
    int n = 0;
    for (QChar ch : text)
        n += ch.unicode() < 0x80 ? 1 : (ch.unicode() < 0x800 ? 2 : 3);
    return n;
}

} // namespace

QString personName(Random& r) {
    return s(r.pick(Surnames)) + s(r.pick(GivenNames));
}

int pickType(Random& r) {
    int total = 0;
    for (const TypeInfo& t : Types)
        total += t.weight;
    int n = r.below(total);
    for (int i = 0; i < 11; ++i) {
        n -= Types[i].weight;
        if (n < 0)
            return i;
    }
    return 0;
}

int pickDirection(Random& r, int type) {
    const int n = r.below(100);
    if (n < Types[type].receivePercent)
        return 0;
    if (n < Types[type].receivePercent + Types[type].payPercent)
        return 1;
    return 2;
}

Contract makeContract(Random& r, int type, int direction, const QString& partner, QDate signedOn,
                      QDate today) {
    Contract c;
    c.type = Schema::contractTypes().at(type);
    c.direction = s(Directions[direction]);
    c.name = contractName(r, type, direction);
    c.partner = partner;
    c.amount = contractAmount(r, type);
    c.signedOn = signedOn;
    c.start = signedOn.addDays(r.between(0, 15));
    c.end = c.start.addDays(r.between(3, 24) * 30);
    c.enteredOn = std::min(today, signedOn.addDays(r.between(0, 3)));
    c.department =
        s(direction == 0 ? (r.chance(70) ? "销售部" : r.pick(Departments))
                         : (direction == 1 ? (r.chance(60) ? "采购部" : r.pick(Departments))
                                           : r.pick(Departments)));
    c.person = s(r.pick(Persons));
    c.enteredBy = s(r.chance(75) ? "管理员" : "张三");
    if (r.chance(20))
        c.modifiedBy = s(r.chance(50) ? "管理员" : "张三");
    return c;
}

void fillSchedule(Random& r, Contract& c, int count, QDate today) {
    const std::vector<Currency> amounts = split(c.amount, count);
    const qint64 term = std::max<qint64>(c.start.daysTo(c.end), 30);
    for (int i = 0; i < count; ++i) {
        Instalment in;
        in.amount = amounts[size_t(i)];
        in.due = count == 1 ? c.start.addDays(term / 2)
                            : c.start.addDays(7 + (term - 7) * i / (count - 1));
        in.remark =
            count == 1 ? s("全款") : s(Remarks[i == 0 ? 0 : (i == count - 1 ? 4 : 1 + r.below(3))]);
        // The same draws whatever the day, so that only the dates depend on today.
        const int settleRoll = r.below(100), partRoll = r.below(100), invoiceRoll = r.below(100);
        const int settleShift = r.between(-5, 20), voucher = r.between(1, 9999);
        const qint64 age = in.due.daysTo(today); // > 0: in the past
        int settledPercent = 0;
        if (age > 30)
            settledPercent = settleRoll < 90 ? 100 : (partRoll < 50 ? 50 : 0);
        else if (age > 0)
            settledPercent = settleRoll < 40 ? 100 : (partRoll < 30 ? 30 : 0);
        in.settled = Currency::fromUnits(in.amount.units() * settledPercent / 100 / 100 * 100);
        if (settledPercent > 0) {
            in.settledOn = std::min(today, in.due.addDays(settleShift));
            in.invoiced = in.settled;
            in.voucher = s("记-%1-%2").arg(in.settledOn.year()).arg(voucher, 4, 10, QChar(u'0'));
        } else if (invoiceRoll < 15) {
            in.invoiced = in.amount; // invoiced ahead of payment
        }
        c.schedule.push_back(in);
    }
}

QString executionState(const Contract& c, QDate today) {
    if (c.start > today)
        return s(States[0]);
    if (!c.schedule.empty()) {
        bool all = true, any = false;
        for (const Instalment& i : c.schedule) {
            all = all && i.settled >= i.amount;
            any = any || i.settled.units() > 0;
        }
        if (all)
            return s(States[2]);
        if (!any && c.signedOn.daysTo(today) < 30)
            return s(States[0]);
        return s(States[1]);
    }
    return s(States[c.end < today ? 2 : 1]);
}

QString shortText(const Contract& c, const QString& partnerName) {
    return header(c, partnerName) +
           s("第三条 付款方式：按双方确认的付款计划分期支付。\n"
             "第四条 本合同一式两份，双方各执一份，自双方签字盖章之日起生效。");
}

QString longText(Random& r, const Contract& c, const QString& partnerName) {
    static const std::vector<QString> clauses = [] {
        std::vector<QString> v;
        for (const char* clause : Clauses)
            v.push_back(s(clause));
        return v;
    }();
    // As many draws on every day: the header's length varies with the dates.
    int picks[18];
    for (int& pick : picks)
        pick = r.below(int(clauses.size()));
    QString text = header(c, partnerName);
    text.reserve(800);
    int size = utf8Size(text);
    for (int article = 2; size < 2048 && article < 20; ++article) {
        const QString line =
            s("第%1条 ").arg(s(Numerals[article])) + clauses[size_t(picks[article - 2])] + u'\n';
        text += line;
        size += utf8Size(line);
    }
    return text;
}

} // namespace Generator

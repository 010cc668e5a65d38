#include "registerwriter.h"

#include "data/database.h"
#include "data/operatorpasswords.h"
#include "generatorwords.h"

namespace Generator {

namespace {

QVariant nullText() {
    return QVariant(QMetaType(QMetaType::QString));
}
QVariant textOrNull(const QString& text) {
    return text.isEmpty() ? nullText() : QVariant(text);
}
QVariant dateOrNull(const QDate& d) {
    return d.isValid() ? QVariant(d.toString(Qt::ISODate)) : nullText();
}
QVariant money(Currency c) {
    return QVariant(qlonglong(c.units()));
}

template <size_t N> void run(QSqlQuery& q, const QVariant (&values)[N]) {
    for (size_t i = 0; i < N; ++i)
        q.bindValue(int(i), values[i]);
    Database::exec(q);
}

} // namespace

Writer::Writer(Database& db)
    : m_partner(db.prepare(
          s("INSERT INTO server (ScNum, ScName, 联系人, 联系电话, 地址邮编, 简称, 客户, 供应商) "
            "VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))),
      m_contract(db.prepare(
          s("INSERT INTO Compact (CompactID, 合同编号, 合同名称, 合同金额, 签订日期, 收付类型, "
            "所属部门, 责任人, 合同类型, SCNum, 录入, 修改, 开始日期, 截止日期, 录入日期, "
            "执行情况, 合同内容, 文件位置) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, ?, "
            "?, ?, ?, ?)"))),
      m_receive(db.prepare(s("INSERT INTO AccountReceive (应收日期, 应收金额, 实收金额, "
                             "实收日期, 发票额, 备注, c1, "
                             "CompactID) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))),
      m_pay(db.prepare(s("INSERT INTO AccountPayable (应付日期, 应付金额, 实付金额, 实付日期, "
                         "发票额, 备注, c1, "
                         "CompactID) VALUES (?, ?, ?, ?, ?, ?, ?, ?)"))),
      m_rate(db.prepare(s("INSERT INTO StampTax (SCNum, 印花税率) VALUES (?, ?)"))),
      m_department(db.prepare(s("INSERT INTO Department (部门名称) VALUES (?)"))) {}

void Writer::partner(const Partner& p) {
    const QVariant values[] = {p.number,
                               p.name,
                               textOrNull(p.contact),
                               textOrNull(p.phone),
                               textOrNull(p.address),
                               textOrNull(p.shortName),
                               int(p.customer),
                               int(p.supplier)};
    run(m_partner, values);
    ++counts.partners;
}
void Writer::department(const QString& name) {
    const QVariant values[] = {name};
    run(m_department, values);
    ++counts.departments;
}
void Writer::rate(const QString& partner, double rate) {
    const QVariant values[] = {partner, rate};
    run(m_rate, values);
    ++counts.stampTax;
}
void Writer::contract(const Contract& c) {
    const QVariant values[] = {c.id,
                               c.number,
                               c.name,
                               money(c.amount),
                               dateOrNull(c.signedOn),
                               c.direction,
                               textOrNull(c.department),
                               textOrNull(c.person),
                               c.type,
                               c.partner,
                               textOrNull(c.enteredBy),
                               textOrNull(c.modifiedBy),
                               dateOrNull(c.start),
                               dateOrNull(c.end),
                               dateOrNull(c.enteredOn),
                               textOrNull(c.state),
                               textOrNull(c.text),
                               textOrNull(c.file)};
    run(m_contract, values);
    ++counts.contracts;
    const bool receive = c.direction == s(Directions[0]);
    for (const Instalment& i : c.schedule) {
        const QVariant row[] = {
            dateOrNull(i.due), money(i.amount),      money(i.settled),      dateOrNull(i.settledOn),
            money(i.invoiced), textOrNull(i.remark), textOrNull(i.voucher), c.id};
        run(receive ? m_receive : m_pay, row);
        ++(receive ? counts.receivable : counts.payable);
    }
}
// Stamp-tax rates: most partners have one, every tenth none, the first partner two (the
// first row counts).
void writeRates(Writer& w, const std::vector<Partner>& partners) {
    for (size_t i = 0; i < partners.size(); ++i)
        if (i % 10 != 9)
            w.rate(partners[i].number, Rates[i % std::size(Rates)]);
    if (!partners.empty())
        w.rate(partners.front().number, 0.0005);
}

void writeOperators(Database& db, Counts& counts) {
    QSqlQuery q = db.prepare(
        s("INSERT INTO Operator (OperatorName, 增加, 删除, 修改, 用户权限设置, 数据备份, 数据恢复, "
          "k1, "
          "Password, 审核, 收款管理, 付款管理) VALUES (?, ?, 0, ?, 0, 0, 0, 0, ?, 0, 0, 0)"));
    const struct {
        const char* name;
        int add, modify;
        const char* password;
    } operators[] = {{"张三", 1, 1, "123"}, {"李四", 0, 0, "abc"}};
    for (const auto& o : operators) {
        q.bindValue(0, s(o.name));
        q.bindValue(1, o.add);
        q.bindValue(2, o.modify);
        q.bindValue(3, s(o.password));
        Database::exec(q);
    }
    OperatorPasswords::hashPlain(db.connection());
    QSqlQuery n(db.connection());
    counts.operators =
        n.exec(s("SELECT count(*) FROM Operator")) && n.next() ? n.value(0).toInt() : 0;
}

} // namespace Generator

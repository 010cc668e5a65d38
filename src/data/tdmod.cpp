#include "tdmod.h"

#include "contractfiles.h"
#include "moneyside.h"
#include "operatorpasswords.h"
#include "platform/clock.h"
#include "platform/dialogs.h"
#include "platform/paths.h"
#include "platform/profilefile.h"
#include "schema.h"

#include <QSqlError>
#include <QSqlQuery>

namespace {

// Refusals that are no fault of the typed contract: the user may save it again once the
// register takes it.
bool keepsWhatWasTyped(DataError::Category c) {
    using C = DataError::Category;
    return c == C::Conflict || c == C::Busy || c == C::Full || c == C::ReadOnly || c == C::Lost;
}

FieldDef field(const QString& name, FieldType type, int size = 0, const QString& title = {}) {
    FieldDef d;
    d.name = name;
    d.type = type;
    d.size = size;
    d.title = title;
    return d;
}

FieldDef text(const QString& name, int size, const QString& title = {}) {
    return field(name, FieldType::String, size, title);
}

FieldDef hidden(FieldDef d) {
    d.hidden = true;
    return d;
}

FieldDef readOnly(FieldDef d) {
    d.readOnly = true;
    return d;
}

FieldDef money(const QString& name) {
    return field(name, FieldType::Currency);
}
FieldDef date(const QString& name) {
    return field(name, FieldType::DateTime);
}
FieldDef flag(const QString& name, const QString& title = {}) {
    return field(name, FieldType::Boolean, 0, title);
}

FieldDef lookup(const QString& name, FieldType type, int size, Dataset* source,
                const QString& keyField, const QString& lookupKey, const QString& result) {
    FieldDef d = field(name, type, size);
    d.lookupDataset = source;
    d.keyField = keyField;
    d.lookupKey = lookupKey;
    d.lookupResult = result;
    return d;
}

FieldDef calculated(const QString& name, FieldType type,
                    std::function<QVariant(const Record&)> rule, const QString& title = {}) {
    FieldDef d = field(name, type, 0, title);
    d.calculate = std::move(rule);
    return d;
}

bool isEmptyText(const QVariant& v) {
    return v.isNull() || v.toString().isEmpty();
}

const QString EndDate = QStringLiteral("截止日期");

// Contracts with an end date, less those past it ("?": today) that are done with. Every column
// is in the contract list's index, so the long texts are not read.
const QString EndingContracts = QStringLiteral(
    "SELECT c.CompactID, c.合同编号, c.截止日期, c.合同金额, c.合同名称, s.ScName AS 往来单位, "
    "c.执行情况 FROM Compact c LEFT JOIN server s ON s.ScNum = c.SCNum "
    "WHERE c.截止日期 IS NOT NULL AND NOT (c.截止日期 < ? AND coalesce(c.执行情况, '') = "
    "'执行完毕')");

// In the order they were added, which a server does not keep without being asked.
const QString EndingOrder = QStringLiteral(" ORDER BY c.CompactID");

QVariantList today() {
    return {Clock::today().toString(Qt::ISODate)};
}

} // namespace

struct TDMod::Schedule {
    QString due;     // amount due
    QString settled; // amount settled
    std::function<double()> TDMod::*percent;
    std::function<void()> TDMod::*totals;
};

TDMod::TDMod(const QString& databasePath, QObject* parent) : QObject(parent) {
    setObjectName(QStringLiteral("DMod"));
    m_db.open(databasePath);
    defineMasterData();
    defineContracts();
    defineViews();
    m_history.watch(TBCompacter, ContractHistory::Contract);
    m_history.watch(TBSKJiLu, ContractHistory::Receivable);
    m_history.watch(TBFKJiLu, ContractHistory::Payable);
    // The search query is opened by the search on its own SQL.
    for (Dataset* ds : {TBServer, TBYinHuaShui, TBDepartment, TBOperator, TBCompactType,
                        TBCompacter, TBSKJiLu, TBFKJiLu, TBMarst})
        ds->open();
    listenForChanges();
}

TDMod::~TDMod() = default;

Dataset* TDMod::makeDataset(const QString& name, DataSource*& source) {
    auto* ds = new Dataset(m_db, name, this);
    m_sources.push_back(std::make_unique<DataSource>(ds));
    source = m_sources.back().get();
    return ds;
}

QString TDMod::countText(int records) {
    return QStringLiteral("共有  ") + QString::number(records) + QStringLiteral("  条记录");
}

// The list shows the change as a re-read would, from the rows in memory.
void TDMod::contractSaved() {
    proposedNumber.clear();
    m_unsureNumber.clear();
    m_unsureKey.clear();
    TBCompacter->reshow();
    if (showCountText)
        showCountText(countText());
}

void TDMod::defineMasterData() {
    TBServer = makeDataset(QStringLiteral("TBServer"), DSServer);
    TBServer->setTable(QStringLiteral("server"), QStringLiteral("ID"));
    TBServer->addField(text(QStringLiteral("ScNum"), 18, QStringLiteral("往来单位编号")));
    TBServer->addField(text(QStringLiteral("ScName"), 30, QStringLiteral("往来单位名称")));
    TBServer->addField(text(QStringLiteral("联系人"), 30));
    TBServer->addField(text(QStringLiteral("联系电话"), 30));
    TBServer->addField(text(QStringLiteral("地址邮编"), 50));
    TBServer->addField(text(QStringLiteral("简称"), 10));
    TBServer->addField(flag(QStringLiteral("客户")));
    TBServer->addField(flag(QStringLiteral("供应商")));
    TBServer->onPostError = [](Dataset&, const DataError& e) {
        if (e.category() == DataError::Category::DuplicateKey)
            Dialogs::plain(QStringLiteral("编号不可重名"));
        else if (e.category() == DataError::Category::MissingRequired)
            Dialogs::plain(QStringLiteral("往来单位编号或名称不得为空!"));
        else
            Dialogs::plain(e.text());
        return PostErrorAction::Abort;
    };

    TBDepartment = makeDataset(QStringLiteral("TBDepartment"), DSDepartment);
    TBDepartment->setTable(QStringLiteral("Department"), QStringLiteral("ID"));
    Field* name = TBDepartment->addField(text(QStringLiteral("部门名称"), 20));
    name->onValidate = [this](Field&, const QVariant& value) {
        if (!isEmptyText(value))
            return true;
        TBDepartment->cancel();
        TBDepartment->refresh();
        return false;
    };
    TBDepartment->onPostError = [](Dataset&, const DataError& e) {
        Dialogs::plain(e.category() == DataError::Category::DuplicateKey
                           ? QStringLiteral("编号不可重名")
                           : e.text());
        return PostErrorAction::Abort;
    };

    TBOperator = makeDataset(QStringLiteral("TBOperator"), DSOperator);
    TBOperator->setTable(QStringLiteral("Operator"), QStringLiteral("OperatorID"));
    Field* op =
        TBOperator->addField(text(QStringLiteral("OperatorName"), 10, QStringLiteral("用户名称")));
    for (const char* right : {"增加", "删除", "修改", "用户权限设置", "数据备份", "数据恢复"})
        TBOperator->addField(flag(QString::fromUtf8(right)));
    TBOperator->addField(flag(QStringLiteral("k1"), QStringLiteral("网络设置")));
    TBOperator->addField(hidden(readOnly(
        field(QStringLiteral("OperatorID"), FieldType::AutoInc, 0, QStringLiteral("用户ID号")))));
    TBOperator->addField(hidden(text(QStringLiteral("Password"), 10, QStringLiteral("密码"))));
    TBOperator->addField(hidden(text(OperatorPasswords::HashColumn, 128)));
    TBOperator->beforePost = OperatorPasswords::hashTyped;
    TBOperator->beforeWrite = [this](Dataset&) { m_managers.beforeWrite(); };
    TBOperator->afterWrite = [this](Dataset&) { m_managers.afterWrite(); };
    for (const char* stored : {"审核", "收款管理", "付款管理"})
        TBOperator->addField(hidden(flag(QString::fromUtf8(stored))));
    op->onValidate = [this](Field&, const QVariant& value) {
        if (!isEmptyText(value))
            return true;
        TBOperator->cancel();
        TBOperator->refresh();
        if (operatorCancel)
            operatorCancel();
        return false;
    };
    TBOperator->onPostError = [](Dataset&, const DataError& e) {
        if (e.category() == DataError::Category::DuplicateKey)
            Dialogs::plain(QStringLiteral("用户名称不可重名!"));
        else
            Dialogs::message(QStringLiteral("错误提示"), e.text(), Dialogs::Icon::None,
                             Dialogs::Button::Ok);
        return PostErrorAction::Abort;
    };

    TBCompactType = makeDataset(QStringLiteral("TBCompactType"), DSCompactType);
    TBCompactType->setSql(QStringLiteral("SELECT * FROM CompactType"));
    TBYinHuaShui = makeDataset(QStringLiteral("TBYinHuaShui"), DSYinHuaShui);
    TBYinHuaShui->setSql(QStringLiteral("SELECT * FROM 合同_印花税"));
}

void TDMod::defineContracts() {
    TBCompacter = makeDataset(QStringLiteral("TBCompacter"), DSCompacter);
    Dataset* c = TBCompacter;
    c->setTable(QStringLiteral("Compact"), QStringLiteral("CompactID"));
    // tab changes, partner clicks and saves re-link and re-sort the rows in memory
    c->setHeldInMemory(true);
    c->setIndexFieldNames(QStringLiteral("SCNum"));
    c->addField(text(QStringLiteral("合同编号"), 18));
    c->addField(text(QStringLiteral("合同名称"), 50));
    c->addField(lookup(QStringLiteral("往来单位"), FieldType::String, 40, TBServer,
                       QStringLiteral("SCNum"), QStringLiteral("ScNum"), QStringLiteral("ScName")));
    c->addField(money(QStringLiteral("合同金额")));
    c->addField(date(QStringLiteral("签订日期")));
    c->addField(text(QStringLiteral("收付类型"), 10));
    c->addField(text(QStringLiteral("所属部门"), 20));
    c->addField(text(QStringLiteral("责任人"), 20));
    c->addField(hidden(readOnly(field(QStringLiteral("CompactID"), FieldType::AutoInc))));
    c->addField(hidden(text(QStringLiteral("合同类型"), 20)));
    c->addField(hidden(text(QStringLiteral("SCNum"), 20)));
    c->addField(hidden(text(QStringLiteral("录入"), 10)));
    c->addField(hidden(text(QStringLiteral("修改"), 10)));
    c->addField(hidden(date(QStringLiteral("开始日期"))));
    c->addField(hidden(date(QStringLiteral("截止日期"))));
    c->addField(hidden(date(QStringLiteral("录入日期"))));
    c->addField(hidden(text(QStringLiteral("执行情况"), 10)));
    c->addField(hidden(lookup(QStringLiteral("印花税率"), FieldType::Float, 0, TBYinHuaShui,
                              QStringLiteral("SCNum"), QStringLiteral("SCNum"),
                              QStringLiteral("印花税率"))));
    // Stamp tax: amount times rate in double precision; an empty operand counts as 0.
    c->addField(hidden(calculated(QStringLiteral("印花税"), FieldType::Float, [](const Record& r) {
        return QVariant(r.asFloat(QStringLiteral("合同金额")) *
                        r.asFloat(QStringLiteral("印花税率")));
    })));
    FieldDef content = hidden(field(QStringLiteral("合同内容"), FieldType::Memo));
    content.onDemand = true; // long texts are read for the row that shows them
    c->addField(content);
    c->addField(hidden(field(QStringLiteral("文件位置"), FieldType::Memo)));
    c->afterPost = [this](Dataset&) { contractSaved(); };
    c->afterDelete = [this](Dataset&) { contractSaved(); };
    c->onPostError = [this](Dataset& ds, const DataError& e) {
        if (e.category() == DataError::Category::DuplicateKey) {
            if (!offerFreeNumber(ds))
                Dialogs::plain(QStringLiteral("编号不可重名"));
            return PostErrorAction::Abort;
        }
        if (e.category() == DataError::Category::Lost && ds.state() == DatasetState::Insert)
            m_unsureNumber = ds.fieldByName(QStringLiteral("合同编号"))->asString();
        if (e.category() == DataError::Category::Lost && ds.state() == DatasetState::Edit)
            m_unsureKey = ds.value(QStringLiteral("CompactID"));
        // the row the save meets may be the save itself, kept as the link broke
        if (e.category() == DataError::Category::Conflict && ds.state() == DatasetState::Edit &&
            !m_unsureKey.isNull() && ds.value(QStringLiteral("CompactID")) == m_unsureKey) {
            m_unsureKey.clear(); // once: a later refusal is another operator's change
            Dialogs::plain(QStringLiteral("与服务器的连接断开时，对合同“%1”的修改可能已经保存。"
                                          "请取消修改，查看合同现在的内容。")
                               .arg(ds.fieldByName(QStringLiteral("合同编号"))->asString()));
            return PostErrorAction::Abort;
        }
        // Another program changed the contract, or the register cannot take the change just
        // now: what was typed stays for the user to keep.
        if (keepsWhatWasTyped(e.category())) {
            Dialogs::plain(e.text());
            return PostErrorAction::Abort;
        }
        Dialogs::plain(e.text());
        ds.cancel();
        return PostErrorAction::Fail;
    };

    TBSKJiLu = makeDataset(QStringLiteral("TBSKJiLu"), DSSKJiLu);
    TBSKJiLu->setTable(QStringLiteral("AccountReceive"), QStringLiteral("ID"));
    defineSchedule(TBSKJiLu, {QStringLiteral("应收"), QStringLiteral("实收"),
                              &TDMod::receivablePercent, &TDMod::receivableTotals});
    TBFKJiLu = makeDataset(QStringLiteral("TBFKJiLu"), DSFKJiLu);
    TBFKJiLu->setTable(QStringLiteral("AccountPayable"), QStringLiteral("ID"));
    defineSchedule(TBFKJiLu, {QStringLiteral("应付"), QStringLiteral("实付"),
                              &TDMod::payablePercent, &TDMod::payableTotals});
}

// Both schedules share their fields and rules; only the column names differ.
void TDMod::defineSchedule(Dataset* ds, const Schedule& side) {
    const QString due = side.due + QStringLiteral("金额");
    const QString settled = side.settled + QStringLiteral("金额");
    const QString invoiced = QStringLiteral("发票额");
    ds->addField(date(side.due + QStringLiteral("日期")));
    ds->addField(money(due));
    ds->addField(money(settled));
    ds->addField(date(side.settled + QStringLiteral("日期")));
    ds->addField(money(invoiced));
    ds->addField(text(QStringLiteral("备注"), 30));
    ds->addField(text(QStringLiteral("c1"), 50, QStringLiteral("凭证号")));
    ds->addField(hidden(field(QStringLiteral("CompactID"), FieldType::Integer)));
    ds->setMaster(DSCompacter, QStringLiteral("CompactID"), QStringLiteral("CompactID"));

    ds->onNewRecord = [this, side, due, settled, invoiced](Dataset& d) {
        if (d.recordCount() > 0)
            return;
        const auto& percent = this->*side.percent;
        const double p = percent ? percent() : 10.0;
        const Field* amount = TBCompacter->fieldByName(QStringLiteral("合同金额"));
        // Proposed in double precision, stored to four decimals; no amount, no proposal.
        if (!amount->isNull())
            d.fieldByName(due)->setValue(
                QVariant::fromValue(Currency::fromDouble(p / 100.0 * amount->asFloat())));
        d.fieldByName(settled)->setValue(QVariant::fromValue(Currency()));
        d.fieldByName(invoiced)->setValue(QVariant::fromValue(Currency()));
    };
    ds->beforePost = [due, settled, invoiced](Dataset& d) {
        for (const QString& name : {due, settled, invoiced})
            if (d.fieldByName(name)->isNull())
                d.fieldByName(name)->setValue(QVariant::fromValue(Currency()));
    };
    auto keepCursor = [this, side](Dataset& d) {
        const int recNo = d.recNo();
        if (const auto& totals = this->*side.totals)
            totals();
        d.setRecNo(recNo);
    };
    ds->afterPost = keepCursor;
    ds->afterDelete = keepCursor;
}

void TDMod::defineTotals(Dataset* ds, const MoneySide& side) {
    const QString due = side.dueAmount;
    const QString done = side.settledAmount;
    ds->setSql(QStringLiteral("SELECT * FROM ") + side.summaryView);
    ds->addField(text(side.partnerNumber, 18));
    ds->addField(text(side.partnerName, 30));
    ds->addField(field(QStringLiteral("合同数"), FieldType::Integer));
    ds->addField(money(due));
    ds->addField(money(done));
    // The balance; empty when either amount is.
    ds->addField(calculated(
        QStringLiteral("QKuan"), FieldType::Currency,
        [due, done](const Record& r) {
            if (r.isNull(due) || r.isNull(done))
                return QVariant();
            return QVariant::fromValue(r.asCurrency(due) - r.asCurrency(done));
        },
        QStringLiteral("欠款")));
}

void TDMod::defineDetail(Dataset* ds, const MoneySide& side) {
    ds->setSql(QStringLiteral("SELECT * FROM ") + side.detailView);
    ds->addField(date(side.dueDate));
    ds->addField(money(side.dueAmount));
    ds->addField(money(side.settledAmount));
    ds->addField(text(QStringLiteral("合同编号"), 18));
    ds->addField(text(QStringLiteral("合同名称"), 50));
    ds->addField(text(side.partner, 30));
    ds->addField(hidden(readOnly(field(QStringLiteral("CompactID"), FieldType::Integer))));
}

void TDMod::defineViews() {
    TBMarst = makeDataset(QStringLiteral("TBMarst"), DSMarst);
    TBMarst->setSql(QStringLiteral("SELECT * FROM 合同统计_客户及供应商"));
    TBMarst->addField(text(QStringLiteral("客户/供应商编号"), 18));
    TBMarst->addField(text(QStringLiteral("客户/供应商名称"), 30));
    TBMarst->addField(text(QStringLiteral("简称"), 10));
    TBMarst->addField(field(QStringLiteral("合同数量"), FieldType::Integer, 10));

    TBShoukuan = makeDataset(QStringLiteral("TBShoukuan"), DSShoukuan);
    defineDetail(TBShoukuan, MoneySide::receivables());
    TBFukuan = makeDataset(QStringLiteral("TBFukuan"), DSFukuan);
    defineDetail(TBFukuan, MoneySide::payables());

    TBShouKuanZong = makeDataset(QStringLiteral("TBShouKuanZong"), DSShouKuanZong);
    defineTotals(TBShouKuanZong, MoneySide::receivables());
    TBFuKuanZong = makeDataset(QStringLiteral("TBFuKuanZong"), DSFuKuanZong);
    defineTotals(TBFuKuanZong, MoneySide::payables());

    TBSTiXing = makeDataset(QStringLiteral("TBSTiXing"), DSSTiXing);
    defineReminders(TBSTiXing, MoneySide::receivables());
    TBFTiXing = makeDataset(QStringLiteral("TBFTiXing"), DSFTiXing);
    defineReminders(TBFTiXing, MoneySide::payables());
    TBHTiXing = makeDataset(QStringLiteral("TBHTiXing"), DSHTiXing);
    TBHTiXing->setSql(EndingContracts + EndingOrder, today());
    defineReminderList(TBHTiXing, EndDate, QStringLiteral("合同金额"), QStringLiteral("往来单位"));
    TBHTiXing->addField(text(QStringLiteral("执行情况"), 10));

    TBQuery = makeDataset(QStringLiteral("TBQuery"), DSQuery);
    TBQuery->setSql(QStringLiteral("Select * From Compact"));
    TBQuery->setDeferredColumns(QStringLiteral("Compact"), QStringLiteral("CompactID"),
                                {QStringLiteral("合同内容")});
}

void TDMod::defineReminders(Dataset* ds, const MoneySide& side) {
    ds->setSql(QStringLiteral("Select * From ") + side.detailView);
    defineReminderList(ds, side.dueDate, side.dueAmount, side.partner);
}

void TDMod::defineReminderList(Dataset* ds, const QString& due, const QString& amount,
                               const QString& partner) {
    ds->addField(readOnly(field(QStringLiteral("CompactID"), FieldType::Integer)));
    ds->addField(text(QStringLiteral("合同编号"), 18));
    ds->addField(date(due));
    ds->addField(money(amount));
    ds->addField(readOnly(calculated(
        QStringLiteral("day"), FieldType::Integer,
        [due](const Record& r) { return QVariant(daysLeft(r.value(due), Clock::now())); },
        QStringLiteral("剩余天数"))));
    ds->addField(text(QStringLiteral("合同名称"), 50));
    ds->addField(text(partner, 30));
    ds->onFilterStart = [this](Dataset&) { startReminderPass(); };
    ds->onFilterRecord = [this, due](const Record& r) { return reminderPasses(r.value(due)); };
}

// The horizon is read from the settings file, and the clock, once per filtering pass.
void TDMod::startReminderPass() {
    m_passDays = reminderDays();
    m_passNow = Clock::now();
}

bool TDMod::reminderPasses(const QVariant& due) const {
    return m_passDays >= daysLeft(due, m_passNow);
}

const QString& TDMod::reminderDate(const Dataset* reminders) const {
    return reminders == TBHTiXing ? EndDate : MoneySide::of(*this, reminders).dueDate;
}

bool TDMod::anyReminderDue(Dataset* reminders) {
    const QString& due = reminderDate(reminders);
    QSqlQuery q(m_db.connection());
    q.setForwardOnly(true);
    if (!q.prepare(QStringLiteral("SELECT %1 FROM (%2) AS reminders").arg(due, reminders->sql())))
        Database::raise(q.lastError());
    for (const QVariant& v : reminders->params())
        q.addBindValue(v);
    Database::exec(q);
    startReminderPass();
    while (q.next())
        // read as the dataset's date field reads it
        if (reminderPasses(FieldValues::fromStore(FieldType::DateTime, q.value(0))))
            return true;
    return false;
}

int TDMod::reminderDays() const {
    if (m_settings)
        return m_settings->readInteger(QStringLiteral("Settings"), QStringLiteral("DayTXing"), 7);
    return ProfileFile(Paths::settingsFile())
        .readInteger(QStringLiteral("Settings"), QStringLiteral("DayTXing"), 7);
}

int TDMod::daysLeft(const QVariant& dueValue, const QDateTime& now) {
    if (dueValue.isNull())
        return 100;
    const QDateTime due = dueValue.toDateTime();
    const QDate today = now.date();
    auto msecs = [](const QDate& d, const QTime& t) {
        return d.toJulianDay() * 86400000LL + t.msecsSinceStartOfDay();
    };
    const qint64 dueMs = msecs(due.date(), due.time());
    const qint64 todayMs = msecs(today, QTime(0, 0));
    const qint64 nowMs = msecs(today, now.time());
    if (dueMs == todayMs)
        return 0;
    if (dueMs < todayMs)
        return -int((nowMs - dueMs) / 86400000LL);
    return int((dueMs - nowMs) / 86400000LL) + 1;
}

void TDMod::openAll() {
    for (Dataset* ds : {TBServer, TBYinHuaShui, TBDepartment, TBOperator, TBCompactType,
                        TBCompacter, TBSKJiLu, TBFKJiLu, TBMarst, TBShoukuan, TBFukuan,
                        TBShouKuanZong, TBFuKuanZong, TBSTiXing, TBFTiXing, TBHTiXing, TBQuery})
        ds->open();
}

void TDMod::reread(Dataset* dataset) {
    if (dataset->isActive())
        dataset->refresh();
    else
        dataset->open();
}

void TDMod::readInstalments(Dataset* detail) {
    const QString& view = MoneySide::of(*this, detail).detailView;
    QString filter = detail->filter();
    filter.remove(u' ');
    const bool openOnly = detail->isFiltered() && filter == QLatin1String("cc>0");
    const QString sql = QStringLiteral("SELECT * FROM ") + view +
                        (openOnly ? QStringLiteral(" WHERE cc > 0") : QString());
    if (detail->sql() != sql) {
        // another text closes the dataset and drops its order: the order is kept
        const QString order = detail->sort();
        detail->setSql(sql);
        detail->open();
        if (!order.isEmpty())
            detail->setSort(order);
        return;
    }
    reread(detail);
}

void TDMod::setReminderQuery(Dataset* reminders) {
    reminders->close();
    const QString narrowing = reminderNarrowing(reminders);
    if (reminders == TBHTiXing)
        reminders->setSql(EndingContracts + narrowing + EndingOrder, today());
    else
        reminders->setSql(QStringLiteral("Select * From ") +
                          MoneySide::of(*this, reminders).detailView +
                          QStringLiteral(" where (cc>0)") + narrowing);
}

QString TDMod::reminderNarrowing(Dataset* reminders) const {
    const QString& due = reminderDate(reminders);
    return QStringLiteral(" and (%1 < (SELECT before FROM ReminderHorizon) OR "
                          "(SELECT before FROM ReminderHorizon) IS NULL)")
        .arg(due);
}

// The day rule passes a due date D when D is at most DayTXing days after today; D before the
// day after that horizon is a superset of it (also with a time of day), so the rule still
// decides. From 100 days on, rows without a date pass too: then nothing is narrowed.
void TDMod::updateReminderHorizon() {
    // not prepared: a server prepares no CREATE; there the day compares with timestamp columns
    QSqlQuery create(m_db.connection());
    if (!create.exec(
            QStringLiteral("CREATE TEMP TABLE IF NOT EXISTS ReminderHorizon (before %1)")
                .arg(m_db.onServer() ? QStringLiteral("timestamp(0)") : QStringLiteral("TEXT"))))
        Database::raise(create.lastError());
    QSqlQuery clear = m_db.prepare(QStringLiteral("DELETE FROM ReminderHorizon"));
    Database::exec(clear);
    const int days = reminderDays();
    QSqlQuery set = m_db.prepare(QStringLiteral("INSERT INTO ReminderHorizon (before) VALUES (?)"));
    set.addBindValue(days >= 100
                         ? QVariant(QMetaType(QMetaType::QString))
                         : QVariant(Clock::today().addDays(days + 1).toString(Qt::ISODate)));
    Database::exec(set);
}

void TDMod::closeAll() {
    for (Dataset* ds : {TBQuery, TBHTiXing, TBFTiXing, TBSTiXing, TBFuKuanZong, TBShouKuanZong,
                        TBFukuan, TBShoukuan, TBMarst, TBFKJiLu, TBSKJiLu, TBCompacter,
                        TBCompactType, TBOperator, TBDepartment, TBYinHuaShui, TBServer})
        ds->close();
}

std::vector<Dataset*> TDMod::restoreOrder() const {
    std::vector<Dataset*> order{TBCompacter,  TBFukuan,   TBMarst,     TBShoukuan,
                                TBSKJiLu,     TBFKJiLu,   TBServer,    TBCompactType,
                                TBYinHuaShui, TBOperator, TBDepartment};
    if (TBQuery->isActive() && !TBQuery->sql().trimmed().isEmpty())
        order.push_back(TBQuery);
    order.push_back(TBFuKuanZong);
    order.push_back(TBShouKuanZong);
    return order;
}

void TDMod::deleteContract() {
    Dataset* c = TBCompacter;
    if (!c->isActive() || c->isEmpty())
        return;
    c->cancel();
    const QVariant id = c->value(QStringLiteral("CompactID"));
    m_db.transaction();
    try {
        for (const auto& [table, subject] :
             {std::pair{QStringLiteral("AccountPayable"), ContractHistory::Payable},
              std::pair{QStringLiteral("AccountReceive"), ContractHistory::Receivable}}) {
            m_history.recordRemovedRows(table, subject, id);
            QSqlQuery q =
                m_db.prepare(QStringLiteral("DELETE FROM %1 WHERE CompactID = ?").arg(table));
            q.addBindValue(id);
            Database::exec(q);
        }
        ContractFiles::Store::removeAllOf(m_db, id);
        c->deleteCurrentInStore();
        m_db.commit();
    } catch (...) {
        m_db.rollback();
        throw;
    }
    c->dropCurrentRow();
    if (c->afterDelete)
        c->afterDelete(*c);
}

// Changes other operators made, taken into the open datasets row by row as the server
// announces them: the contract list, the partner lists, the instalments and the money windows'
// lists show them without being read again.
#include "tdmod.h"

#include "moneyside.h"
#include "platform/dialogs.h"

#include <QSqlQuery>

namespace {

const QString ContractKey = QStringLiteral("CompactID");
const QString PartnerOfContract = QStringLiteral("SCNum");
const QString PartnerNumber = QStringLiteral("ScNum");

} // namespace

// A number taken by another operator since it was proposed: the next one nobody holds is
// proposed in its place, and the user saves again. A number typed by hand stays refused, and so
// does one the server may have kept from this program's own save as the connection broke.
bool TDMod::offerFreeNumber(Dataset& contracts) {
    Field* number = contracts.fieldByName(QStringLiteral("合同编号"));
    const QString taken = number->asString();
    if (contracts.state() != DatasetState::Insert || taken.isEmpty()) // cannot be proposed
        return false;
    if (taken == m_unsureNumber) {
        Dialogs::plain(QStringLiteral("与服务器的连接断开时，合同“%1”可能已经保存。请关闭此窗口，"
                                      "在合同列表中查看，不要重复保存。")
                           .arg(taken));
        return true;
    }
    if (taken != proposedNumber || !nextNumber)
        return false;
    std::optional<QString> next = nextNumber(taken);
    while (next && numberStored(*next))
        next = nextNumber(*next);
    if (!next)
        return false;
    number->setValue(*next);
    proposedNumber = *next;
    Dialogs::plain(QStringLiteral("合同编号“%1”已被其他操作员使用，新合同的编号已改为“%2”，"
                                  "请再次保存。")
                       .arg(taken, *next));
    return true;
}

bool TDMod::numberStored(const QString& number) {
    QSqlQuery q = m_db.prepare(QStringLiteral("SELECT 1 FROM Compact WHERE 合同编号 = ?"));
    q.addBindValue(number);
    Database::exec(q);
    return q.next();
}

void TDMod::listenForChanges() {
    m_feed.onChange = [this](const ChangeFeed::Change& change) {
        try {
            applyChange(change);
        } catch (const DataError&) {
            // the rows are read again by the next command, which also reports what failed
        }
    };
    m_feed.listen();
    // the announcements missed while the connection was down are read back once it is up again
    m_db.onReopened = [this] {
        m_feed.listen();
        QMetaObject::invokeMethod(this, &TDMod::catchUp, Qt::QueuedConnection);
    };
}

// Lists that nobody is editing are read again; one being edited takes the others' changes from
// the next announcements, and its save meets any change it missed.
void TDMod::catchUp() {
    for (Dataset* ds : {TBCompacter, TBSKJiLu, TBFKJiLu, TBServer, TBDepartment, TBOperator})
        if (ds->isEditing())
            return;
    try {
        for (Dataset* ds : restoreOrder())
            if (ds->isActive())
                ds->refresh();
    } catch (const DataError&) {
        // the next command reports it
    }
}

void TDMod::applyChange(const ChangeFeed::Change& change) {
    const QString& table = change.table;
    if (change.kind == u'R')
        applyRestore();
    else if (table == QLatin1String("compact")) {
        if (change.kind == u'D')
            Q_EMIT contractDeletedElsewhere(change.key);
        applyContract(change.key);
    } else if (table == QLatin1String("accountreceive"))
        applyInstalment(TBSKJiLu, MoneySide::receivables(), change);
    else if (table == QLatin1String("accountpayable"))
        applyInstalment(TBFKJiLu, MoneySide::payables(), change);
    else if (table == QLatin1String("server"))
        applyPartner(change.key);
    else if (table == QLatin1String("department"))
        TBDepartment->applyStoredRow(change.key);
    else if (table == QLatin1String("operator"))
        TBOperator->applyStoredRow(change.key);
}

// A contract's row, its partner's counts and sums (before and after a change of partner) and
// its rows in the instalment lists, which show its number and name.
void TDMod::applyContract(const QVariant& key) {
    const QVariant before = TBCompacter->storedValue(key, PartnerOfContract);
    TBCompacter->applyStoredRow(key);
    const QVariant after = TBCompacter->storedValue(key, PartnerOfContract);
    for (const MoneySide* side : MoneySide::both())
        for (Dataset* list : {this->*side->detail, this->*side->reminders})
            list->applyStoredRows(ContractKey, key);
    TBHTiXing->applyStoredRows(ContractKey, key);
    TBQuery->applyStoredRows(ContractKey, key);
    applyPartnerSums(before, after);
    if (showCountText)
        showCountText(countText());
}

void TDMod::applyInstalment(Dataset* schedule, const MoneySide& side,
                            const ChangeFeed::Change& change) {
    schedule->applyStoredRow(change.key);
    if (change.contract.isNull())
        return;
    (this->*side.detail)->applyStoredRows(ContractKey, change.contract);
    (this->*side.reminders)->applyStoredRows(ContractKey, change.contract);
    const QVariant partner = TBCompacter->storedValue(change.contract, PartnerOfContract);
    (this->*side.summary)->applyStoredRows(side.partnerNumber, partner);
}

void TDMod::applyPartner(const QVariant& key) {
    const QVariant before = TBServer->storedValue(key, PartnerNumber);
    TBServer->applyStoredRow(key);
    applyPartnerSums(before, TBServer->storedValue(key, PartnerNumber));
}

// The partner lists' rows of a partner number, and of the one it had before.
void TDMod::applyPartnerSums(const QVariant& before, const QVariant& after) {
    const auto apply = [this](const QVariant& partner) {
        if (partner.isNull())
            return;
        TBMarst->applyStoredRows(QStringLiteral("客户/供应商编号"), partner);
        for (const MoneySide* side : MoneySide::both())
            (this->*side->summary)->applyStoredRows(side->partnerNumber, partner);
    };
    apply(before);
    if (after != before)
        apply(after);
}

// The whole register was put back from a backup: every open list is read again, and what was
// being typed belongs to the register that is gone.
void TDMod::applyRestore() {
    for (Dataset* ds : restoreOrder())
        ds->cancel();
    for (Dataset* ds : restoreOrder())
        if (ds->isActive())
            ds->refresh();
    Dialogs::plain(QStringLiteral("其他操作员已从备份恢复了数据库，所有数据已重新读取。"));
}

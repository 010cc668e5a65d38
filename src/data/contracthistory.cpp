#include "contracthistory.h"

#include "database.h"
#include "dataset.h"
#include "platform/clock.h"
#include "schema.h"
#include "sqldialect.h"

#include <QSqlQuery>
#include <QSqlRecord>

namespace {

const QString Key = QStringLiteral("CompactID");

QVariant nullable(const QVariant& stored) {
    return stored.isNull() ? QVariant(QMetaType(QMetaType::QString)) : stored;
}

QString action(RowChange::Kind kind) {
    switch (kind) {
    case RowChange::Kind::Added:
        return QStringLiteral("增加");
    case RowChange::Kind::Removed:
        return QStringLiteral("删除");
    default:
        return QStringLiteral("修改");
    }
}

} // namespace

const QString ContractHistory::Contract = QStringLiteral("合同");
const QString ContractHistory::Receivable = QStringLiteral("应收款");
const QString ContractHistory::Payable = QStringLiteral("应付款");

void ContractHistory::watch(Dataset* dataset, const QString& subject) {
    dataset->onWritten = [this, subject](Dataset&, const RowChange& change) {
        record(change, subject);
    };
}

// The number is the contract's as the register holds it at that moment: the new one after an
// add or save, the last one before a delete.
void ContractHistory::record(const RowChange& change, const QString& subject) {
    QSqlQuery q = m_db.prepare(
        QStringLiteral("INSERT INTO %1 (CompactID, 合同编号, 时间, 操作员, 操作, 对象, 记录ID, "
                       "字段, 原值, 新值) VALUES (?, (SELECT 合同编号 FROM Compact WHERE "
                       "CompactID = ?), ?, ?, ?, ?, ?, ?, ?, ?)")
            .arg(Schema::HistoryTable));
    const QVariant compactId = change.value(Key);
    const QString when = Clock::now().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    const QString who = operatorName ? operatorName() : QString();
    for (const RowChange::Value& v : change.values) {
        if (v.column.compare(change.keyColumn, Qt::CaseInsensitive) == 0 ||
            v.column.compare(Key, Qt::CaseInsensitive) == 0 || !v.differs())
            continue;
        for (const QVariant& value :
             {compactId, compactId, QVariant(when), nullable(who.isEmpty() ? QVariant() : who),
              QVariant(action(change.kind)), QVariant(subject), nullable(change.key),
              QVariant(v.column), nullable(FieldValues::toStore(v.type, v.before)),
              nullable(FieldValues::toStore(v.type, v.after))})
            q.addBindValue(value);
        Database::exec(q);
    }
}

void ContractHistory::recordRemovedRows(const QString& table, const QString& subject,
                                        const QVariant& compactId) {
    QSqlQuery rows = m_db.prepare(
        QStringLiteral("SELECT * FROM %1 WHERE CompactID = ?").arg(m_db.quoted(table)));
    rows.addBindValue(compactId);
    Database::exec(rows);
    std::vector<RowChange> removed;
    const QSqlRecord columns = rows.record();
    while (rows.next()) {
        RowChange change{RowChange::Kind::Removed,
                         table,
                         QStringLiteral("ID"),
                         rows.value(QStringLiteral("ID")),
                         {}};
        for (int i = 0; i < columns.count(); ++i) {
            const QString name = columns.fieldName(i);
            const FieldType type = Schema::columnType(name).value_or(FieldType::String);
            change.values.push_back({name, type, FieldValues::fromStore(type, rows.value(i)), {}});
        }
        removed.push_back(std::move(change));
    }
    rows.finish();
    for (const RowChange& change : removed)
        record(change, subject);
}

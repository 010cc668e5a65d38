#pragma once
// Keeps the change history of the contracts and their instalments: every add, save and delete
// written through a watched dataset leaves one history row per field it changed, with who, when
// and the old and new value, in the same savepoint as the change itself.
#include "rowchange.h"

#include <QString>
#include <QVariant>
#include <functional>

class Database;
class Dataset;

class ContractHistory {
public:
    // What a history row says was changed.
    static const QString Contract;   // "合同"
    static const QString Receivable; // "应收款"
    static const QString Payable;    // "应付款"

    explicit ContractHistory(Database& db) : m_db(db) {}

    // The logged-in operator's name, asked at every change; empty before any login.
    std::function<QString()> operatorName;

    // Records every write of the dataset's rows as changes of this subject.
    void watch(Dataset* dataset, const QString& subject);
    // Records the removal of the instalments of one contract that a delete is about to remove
    // from this table without a dataset; called inside the delete's transaction.
    void recordRemovedRows(const QString& table, const QString& subject, const QVariant& compactId);
    // One row per field that differs; nothing when no field does.
    void record(const RowChange& change, const QString& subject);

private:
    Database& m_db;
};

#include "keyreferences.h"

#include "data/tdmod.h"

#include <QSqlQuery>

KeyReferences::KeyReferences(TDMod& dm, const QList<KeyReference>& references)
    : m_dm(dm), m_references(references) {}

int KeyReferences::uses(const QVariant& value) const {
    int count = 0;
    for (const KeyReference& r : m_references) {
        if (!r.keepsRow)
            continue;
        QSqlQuery q = m_dm.database().prepare(
            QStringLiteral("SELECT count(*) FROM %1 WHERE %2 = ?")
                .arg(m_dm.database().quoted(r.table), m_dm.database().quoted(r.column)));
        q.addBindValue(value);
        Database::exec(q);
        count += q.next() ? q.value(0).toInt() : 0;
    }
    return count;
}

void KeyReferences::carry(const QVariant& from, const QVariant& to) {
    for (const KeyReference& r : m_references) {
        QSqlQuery q = m_dm.database().prepare(
            QStringLiteral("UPDATE %1 SET %2 = ? WHERE %2 = ?")
                .arg(m_dm.database().quoted(r.table), m_dm.database().quoted(r.column)));
        q.addBindValue(to);
        q.addBindValue(from);
        Database::exec(q);
    }
}

// The referring rows change first, so that a refused save of the row takes them back with it.
bool KeyReferences::postCarrying(Dataset& dataset, const QVariant& from, const QVariant& to) {
    Database& db = m_dm.database();
    bool posted = false;
    db.transaction();
    try {
        carry(from, to);
        posted = dataset.post();
        if (!posted) {
            db.rollback();
            return false;
        }
        db.commit();
    } catch (...) {
        db.rollback();
        if (posted)
            dataset.refresh(); // the row in memory goes back to what the store holds
        throw;
    }
    rereadReferrers();
    return true;
}

// The contract list holds every contract in memory, also while a partner tab links it, so it
// is read again whole; its order and current contract stay.
void KeyReferences::rereadReferrers() {
    if (m_dm.TBYinHuaShui->isActive())
        m_dm.TBYinHuaShui->refresh();
    Dataset* contracts = m_dm.TBCompacter;
    if (!contracts->isActive())
        return;
    const QString sort = contracts->sort();
    const QString id = QStringLiteral("CompactID");
    const QVariant current = contracts->isEmpty() ? QVariant() : contracts->value(id);
    contracts->close();
    contracts->open();
    if (!sort.isEmpty())
        contracts->setSort(sort);
    if (!current.isNull())
        contracts->locate(id, current);
}

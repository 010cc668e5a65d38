#pragma once
// The rows of other tables that name a master-data row by one of its values: contracts name
// their partner by number and their department by name, stamp-tax rates their partner by
// number. A row that contracts name is kept, and a changed value reaches every row that named
// the old one, in the same transaction as the row itself.
#include <QList>
#include <QString>
#include <QVariant>

class Dataset;
class Database;
class TDMod;

struct KeyReference {
    QString table;
    QString column;
    // Rows here keep the named row from being deleted.
    bool keepsRow;
};

class KeyReferences {
public:
    KeyReferences(TDMod& dm, const QList<KeyReference>& references);

    // How many rows that keep the named row name this value.
    int uses(const QVariant& value) const;
    // Saves the dataset's pending row and carries the value from one to the other in every
    // reference, all or nothing. False when the save-error rule abandoned the save.
    bool postCarrying(Dataset& dataset, const QVariant& from, const QVariant& to);

private:
    void carry(const QVariant& from, const QVariant& to);
    // The open datasets over the contracts and the stamp-tax rates read the store again.
    void rereadReferrers();

    TDMod& m_dm;
    QList<KeyReference> m_references;
};

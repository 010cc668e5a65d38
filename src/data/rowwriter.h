#pragma once
// Writes single rows of one table by their key: insert, update with a check that nobody else
// changed the row meanwhile, delete.
#include <QString>
#include <QVariant>
#include <vector>

class Database;

class RowWriter {
public:
    struct Value {
        QString column;
        QVariant stored;   // as the store takes it; a null QVariant writes NULL
        bool text = false; // compared with empty text and NULL alike
    };

    RowWriter(Database& db, const QString& table, const QString& keyColumn)
        : m_db(db), m_table(table), m_key(keyColumn) {}

    // Returns the key the store gave the new row.
    QVariant insert(const std::vector<Value>& values);
    // Sets the columns of the row with this key, provided the row still holds the values it
    // was read with (`expected`); otherwise nothing changes and a DataError of category
    // Conflict is thrown.
    void update(const QVariant& key, const std::vector<Value>& values,
                const std::vector<Value>& expected);
    void remove(const QVariant& key);

private:
    Database& m_db;
    QString m_table;
    QString m_key;
};

#pragma once
// The one connection to the register file, kept open for the whole run.
#include "dataerror.h"

#include <QSqlDatabase>
#include <QString>

class QSqlQuery;

class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing register; throws DataError when the file is missing, is not a database
    // or lacks one of the tables or views. Adds the contract-text index when it is missing.
    void open(const QString& path);
    // Creates a new empty register (schema, contract types, the first operator) and opens it;
    // refuses to overwrite an existing file.
    void create(const QString& path);
    void close();
    bool isOpen() const;
    const QString& path() const { return m_path; }

    QSqlDatabase& connection() { return m_db; }

    // A prepared query on this connection; throws DataError if the SQL does not prepare.
    QSqlQuery prepare(const QString& sql);
    // Runs a prepared query; throws a classified DataError when the store refuses it.
    static void exec(QSqlQuery& query);

    void transaction();
    void commit();
    void rollback();

    // Several writes that stand or fall together, inside a transaction or on their own: undone
    // unless released.
    class Savepoint {
    public:
        explicit Savepoint(Database& db);
        ~Savepoint();
        Savepoint(const Savepoint&) = delete;
        Savepoint& operator=(const Savepoint&) = delete;
        void release();

    private:
        Database& m_db;
        bool m_open = true;
    };

    // What a refusal of the store means: the one place that reads the back end's own codes.
    static DataError::Category meaning(const QSqlError& error);
    // Raises the store's refusal as a DataError with its meaning.
    [[noreturn]] static void raise(const QSqlError& error);

    // Checks a file without opening it for the program: empty text when it is a usable
    // register, else why not.
    static QString checkFile(const QString& path);

private:
    void openConnection(const QString& path);
    void openVerified(const QString& path);
    void verifySchema();

    QSqlDatabase m_db;
    QString m_connectionName;
    QString m_path;
};

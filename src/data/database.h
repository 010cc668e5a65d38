#pragma once
// The one connection to the register, kept open for the whole run: a file, or a database on a
// PostgreSQL server (see RegisterAddress). Nothing above the data layer knows which.
#include "dataerror.h"

#include <QSqlDatabase>
#include <QString>
#include <functional>

class QSqlQuery;

class Database {
public:
    Database();
    ~Database();
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;

    // Opens an existing register; throws DataError when the file is missing, the server cannot
    // be reached, or what is there is not a database or lacks one of the tables or views. Adds
    // the contract-text index when it is missing.
    void open(const QString& address);
    // Creates a new empty register (schema, contract types, the first operator) and opens it;
    // refuses to overwrite an existing file or a server database that holds a register.
    void create(const QString& address);
    void close();
    bool isOpen() const;
    // The file, or the server URL, as given.
    const QString& path() const { return m_path; }
    // True on a PostgreSQL server, false on a file.
    bool onServer() const { return onServer(m_db); }
    static bool onServer(const QSqlDatabase& db);
    // Whether a transaction is open on the connection, whoever began it.
    static bool inTransaction(const QSqlDatabase& db);

    // The connection, opened anew first when the server dropped it.
    QSqlDatabase& connection();
    // Runs after a dropped connection was opened anew (for what the old one listened to).
    std::function<void()> onReopened;

    // A prepared query on this connection; throws DataError if the SQL does not prepare.
    QSqlQuery prepare(const QString& sql);
    // Runs a prepared query; throws a classified DataError when the store refuses it.
    static void exec(QSqlQuery& query);
    // Runs a prepared INSERT made with returningKey() and gives the new row's key.
    static QVariant insert(QSqlQuery& query);
    // What an INSERT appends so that insert() can read the key the store gave the row.
    static QString returningKey(const QSqlDatabase& db, const QString& keyColumn);

    void transaction();
    void commit();
    void rollback();

    // Several writes that stand or fall together, inside a transaction or on their own: undone
    // unless released. On its own it is a transaction of its own (PostgreSQL has savepoints only
    // inside one).
    class Savepoint {
    public:
        explicit Savepoint(Database& db) : Savepoint(db.connection()) {}
        explicit Savepoint(QSqlDatabase& db);
        ~Savepoint();
        Savepoint(const Savepoint&) = delete;
        Savepoint& operator=(const Savepoint&) = delete;
        // Throws DataError when the writes cannot be kept; so does taking it.
        void release();

    private:
        QSqlDatabase& m_db;
        bool m_nested = false;
        bool m_open = false;
    };

    // A table or column name quoted as the store spells it: PostgreSQL has folded the schema's
    // unquoted ASCII names to lower case.
    static QString quoted(const QSqlDatabase& db, const QString& name);
    QString quoted(const QString& name) const { return quoted(m_db, name); }

    // What a refusal of the store means: the one place that reads the back end's own codes.
    static DataError::Category meaning(const QSqlError& error);
    // Raises the store's refusal as a DataError with its meaning.
    [[noreturn]] static void raise(const QSqlError& error);

    // Checks a file without opening it for the program: empty text when it is a usable
    // register, else why not.
    static QString checkFile(const QString& path);

private:
    void openConnection(const QString& address);
    void openVerified(const QString& path);
    void verifySchema();
    void reopenIfLost();

    QSqlDatabase m_db;
    QString m_connectionName;
    QString m_path;
    bool m_reopening = false;
};

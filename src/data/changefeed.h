#pragma once
// What other programs change in a register on a server, as the server announces it: one
// change of one row at a time, or a whole register put back. On a file nothing is announced
// (one program works on a file at a time).
#include <QObject>
#include <QSqlDriver>
#include <QVariant>
#include <functional>
#include <optional>

class Database;

class ChangeFeed : public QObject {
    Q_OBJECT
public:
    struct Change {
        QString table; // lower case, as the server spells it; "*" for the whole register
        QChar kind;    // 'I', 'U' or 'D'; 'R' for a register put back
        QVariant key;
        QVariant contract; // an instalment's CompactID
    };

    explicit ChangeFeed(Database& db, QObject* parent = nullptr);

    // Listens on the connection (again after it was opened anew); nothing on a file.
    void listen();
    static std::optional<Change> parse(const QString& payload);

    // Runs for every change another program made.
    std::function<void(const Change&)> onChange;

private:
    void received(const QString& name, QSqlDriver::NotificationSource source,
                  const QVariant& payload);

    Database& m_db;
    QMetaObject::Connection m_connection;
};

#pragma once
// Keeps at least one operator with the right "用户权限设置", however many operators save
// rights at once: every write of an operator first takes the holders' rows (on a server, so that
// a second save waits for the first and then sees it) and is undone when it leaves none of a
// register that had some.
#include <QString>

class Database;

class ManagerGuard {
public:
    static const QString LastManagerText;

    explicit ManagerGuard(Database& db) : m_db(db) {}

    void beforeWrite();
    // Throws DataError with LastManagerText when the write took the last holder's right.
    void afterWrite();

private:
    int holders(bool lock);

    Database& m_db;
    int m_before = 0;
};

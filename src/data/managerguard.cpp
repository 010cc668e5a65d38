#include "managerguard.h"

#include "database.h"

#include <QSqlQuery>

const QString ManagerGuard::LastManagerText =
    QStringLiteral("至少要保留一个拥有用户权限设置的用户！");

int ManagerGuard::holders(bool lock) {
    // A file has one writer at a time; on a server the rows stay taken until the write ends.
    const bool server = m_db.onServer();
    QSqlQuery q =
        m_db.prepare(QStringLiteral("SELECT OperatorID FROM Operator WHERE \"用户权限设置\" <> 0") +
                     (lock && server ? QStringLiteral(" FOR UPDATE") : QString()));
    Database::exec(q);
    int n = 0;
    while (q.next())
        ++n;
    return n;
}

void ManagerGuard::beforeWrite() {
    m_before = holders(true);
}

void ManagerGuard::afterWrite() {
    if (m_before > 0 && holders(false) == 0)
        throw DataError(DataError::Category::Other, LastManagerText);
}

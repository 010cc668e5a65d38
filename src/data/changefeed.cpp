#include "changefeed.h"

#include "database.h"
#include "serverschema.h"

#include <QStringList>

ChangeFeed::ChangeFeed(Database& db, QObject* parent) : QObject(parent), m_db(db) {}

void ChangeFeed::listen() {
    if (!m_db.isOpen() || !m_db.onServer())
        return;
    QSqlDriver* driver = m_db.connection().driver();
    disconnect(m_connection);
    if (!driver->subscribedToNotifications().contains(ServerSchema::ChangeChannel))
        driver->subscribeToNotification(ServerSchema::ChangeChannel);
    m_connection = connect(driver, &QSqlDriver::notification, this, &ChangeFeed::received);
}

std::optional<ChangeFeed::Change> ChangeFeed::parse(const QString& payload) {
    const QStringList parts = payload.split(u':');
    if (parts.size() < 3)
        return std::nullopt;
    if (parts[0] == QLatin1String("*"))
        return Change{parts[0], u'R', {}, {}};
    bool number = false;
    const qlonglong key = parts[2].toLongLong(&number);
    if (!number || parts[1].size() != 1)
        return std::nullopt;
    Change change{parts[0], parts[1].at(0), key, {}};
    if (parts.size() > 3 && !parts[3].isEmpty())
        change.contract = parts[3].toLongLong();
    return change;
}

// The program's own writes are in its rows already.
void ChangeFeed::received(const QString& name, QSqlDriver::NotificationSource source,
                          const QVariant& payload) {
    if (name != ServerSchema::ChangeChannel || source == QSqlDriver::SelfSource || !onChange)
        return;
    if (const auto change = parse(payload.toString()))
        onChange(*change);
}

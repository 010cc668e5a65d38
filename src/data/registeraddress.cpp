#include "registeraddress.h"

#include <QUrl>
#include <QUrlQuery>

QString ServerAddress::shown() const {
    const QString h = host.isEmpty() ? QStringLiteral("localhost") : host;
    QString text = port > 0 ? QStringLiteral("%1:%2").arg(h).arg(port) : h;
    if (!database.isEmpty())
        text += u'/' + database;
    return text;
}

ServerAddress ServerAddress::withDatabase(const QString& name) const {
    ServerAddress other = *this;
    other.database = name;
    return other;
}

QString ServerAddress::url(bool withPassword) const {
    QUrl u;
    u.setScheme(QStringLiteral("postgresql"));
    u.setHost(host);
    if (port > 0)
        u.setPort(port);
    u.setUserName(user);
    if (withPassword)
        u.setPassword(password);
    u.setPath(u'/' + database);
    if (!options.isEmpty()) {
        QUrlQuery query;
        for (const QString& pair : options.split(u';', Qt::SkipEmptyParts))
            query.addQueryItem(pair.section(u'=', 0, 0), pair.section(u'=', 1));
        u.setQuery(query);
    }
    return u.toString(QUrl::FullyEncoded);
}

namespace RegisterAddress {

bool isServer(const QString& address) {
    return address.startsWith(QLatin1String("postgresql://"), Qt::CaseInsensitive) ||
           address.startsWith(QLatin1String("postgres://"), Qt::CaseInsensitive);
}

std::optional<ServerAddress> server(const QString& address) {
    if (!isServer(address))
        return std::nullopt;
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid())
        return std::nullopt;
    ServerAddress s;
    s.host = url.host();
    s.port = url.port(-1);
    s.user = url.userName(QUrl::FullyDecoded);
    s.password = url.password(QUrl::FullyDecoded);
    s.database = url.path(QUrl::FullyDecoded).mid(1);
    if (s.database.contains(u'/'))
        return std::nullopt;
    QStringList options;
    for (const auto& [key, value] : QUrlQuery(url).queryItems(QUrl::FullyDecoded))
        options << key + u'=' + value;
    s.options = options.join(u';');
    return s;
}

QString shown(const QString& address) {
    if (const auto s = server(address))
        return s->shown();
    return address;
}

} // namespace RegisterAddress

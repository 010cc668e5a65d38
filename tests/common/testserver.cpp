#include "testserver.h"

#include "data/database.h"
#include "data/registeraddress.h"
#include "data/serverconnection.h"

#include <QCoreApplication>
#include <QSqlError>
#include <QSqlQuery>
#include <QUuid>
#include <cstdlib>

namespace {

QString prefix() {
    return QStringLiteral("qintara_t%1_").arg(QCoreApplication::applicationPid());
}

QString url(const QString& database) {
    return QStringLiteral("postgresql:///") + database;
}

void runOnServer(const QString& sql) {
    const QString name = QStringLiteral("qintara-test-admin");
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), name);
        ServerAddress admin;
        admin.database = QStringLiteral("postgres");
        ServerConnection::open(db, admin);
        QSqlQuery q(db);
        if (!q.exec(sql))
            qFatal("test server: %s", qPrintable(q.lastError().text()));
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
}

// The template every fixture copies: made on first use, dropped when the program ends. The
// drop is registered once the name is made, so that it runs before the name is destroyed.
const QString& templateName() {
    static const QString name = [] {
        const QString t = prefix() + QStringLiteral("template");
        runOnServer(QStringLiteral("DROP DATABASE IF EXISTS %1").arg(t));
        Database db;
        db.create(url(t));
        return t;
    }();
    static const bool dropped = std::atexit([] { TestServer::drop(url(templateName())); }) == 0;
    Q_UNUSED(dropped);
    return name;
}

} // namespace

namespace TestServer {

bool active() {
    return !qEnvironmentVariableIsEmpty("QINTARA_TEST_DATABASE");
}

QString newRegister() {
    static int counter = 0;
    const QString name = prefix() + QString::number(++counter);
    runOnServer(QStringLiteral("CREATE DATABASE %1 TEMPLATE %2").arg(name, templateName()));
    return url(name);
}

void drop(const QString& address) {
    if (const auto server = RegisterAddress::server(address))
        ServerConnection::dropDatabase(*server);
}

} // namespace TestServer

#include "registerfixture.h"

#include "testserver.h"

#include "data/contractfiles.h"
#include "data/schema.h"
#include "data/sqldialect.h"
#include "platform/clock.h"
#include "platform/paths.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>

RegisterFixture::RegisterFixture() {
    Paths::setRoot(m_dir.path());
    Paths::setSettingsFile(m_dir.filePath(QStringLiteral("Settings.ini")));
    if (TestServer::active()) {
        m_path = TestServer::newRegister();
        Paths::setRegisterAddress(m_path);
        m_db.open(m_path);
        return;
    }
    m_path = Paths::databaseFile();
    QDir().mkpath(QFileInfo(m_path).path());
    m_db.create(m_path);
}

RegisterFixture::~RegisterFixture() {
    m_module.reset();
    if (TestServer::active()) {
        m_db.close();
        TestServer::drop(m_path);
        Paths::setRegisterAddress({});
    }
    Paths::setSettingsFile({});
    Paths::setRoot({});
    Clock::reset();
}

QString RegisterFixture::settingsPath() const {
    return m_dir.filePath(QStringLiteral("Settings.ini"));
}

void RegisterFixture::exec(const QString& sql, const QVariantList& values) {
    if (values.isEmpty()) { // not prepared: a server prepares no CREATE or DROP
        QSqlQuery q(m_db.connection());
        if (!q.exec(sql))
            Database::raise(q.lastError());
        return;
    }
    QSqlQuery q = m_db.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    Database::exec(q);
}

int RegisterFixture::insert(const QString& sql, const QVariantList& values) {
    QSqlQuery q = m_db.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    return Database::insert(q).toInt();
}

QVariant RegisterFixture::scalar(const QString& sql, const QVariantList& values) {
    QSqlQuery q = m_db.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    Database::exec(q);
    return q.next() ? asStored(q.value(0)) : QVariant();
}

QVariant RegisterFixture::asStored(const QVariant& value) {
    if (value.typeId() == QMetaType::QDateTime && !value.isNull())
        return FieldValues::storedDate(value.toDateTime());
    return value;
}

QStringList RegisterFixture::firstColumn(const QString& sql, const QVariantList& values) {
    QSqlQuery q = m_db.prepare(sql);
    for (const QVariant& v : values)
        q.addBindValue(v);
    Database::exec(q);
    QStringList texts;
    while (q.next())
        texts << asStored(q.value(0)).toString();
    return texts;
}

qint64 RegisterFixture::addStoredFile(int compactId, const QString& name, const QByteArray& bytes) {
    QByteArray copy = bytes;
    QBuffer source(&copy);
    source.open(QIODevice::ReadOnly);
    return ContractFiles::Store(m_db)
        .add(compactId, source, name, QStringLiteral("管理员"))
        .value();
}

int RegisterFixture::count(const QString& table, const QString& where, const QVariantList& values) {
    const QString sql = QStringLiteral("SELECT count(*) FROM ") + table +
                        (where.isEmpty() ? QString() : QStringLiteral(" WHERE ") + where);
    return scalar(sql, values).toInt();
}

QString RegisterFixture::quoted(const QString& name) const {
    return SqlDialect::name(m_db.onServer(), name);
}

bool RegisterFixture::hasTable(const QString& name) {
    QSqlQuery q = m_db.prepare(Schema::objectsQuery(m_db.connection()));
    Database::exec(q);
    while (q.next())
        if (q.value(1).toString().compare(name, Qt::CaseInsensitive) == 0)
            return true;
    return false;
}

void RegisterFixture::refuse(const QString& event, const QString& table, const QString& message,
                             const QString& condition) {
    const QString when =
        condition.isEmpty() ? QString() : QStringLiteral(" WHEN (%1)").arg(condition);
    if (!TestServer::active()) {
        exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2%3 BEGIN SELECT RAISE(ABORT, "
                            "'%4'); END")
                 .arg(event, table, when, message));
        return;
    }
    exec(QStringLiteral("CREATE FUNCTION refuse() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
                        "RAISE EXCEPTION '%1'; END $$")
             .arg(message));
    exec(QStringLiteral("CREATE TRIGGER refuse BEFORE %1 ON %2 FOR EACH ROW%3 EXECUTE FUNCTION "
                        "refuse()")
             .arg(event, table, when));
}

void RegisterFixture::makeKeysCaseSensitive() {
    exec(QStringLiteral("PRAGMA writable_schema = ON"));
    exec(QStringLiteral("UPDATE sqlite_master SET sql = replace(sql, ' COLLATE NOCASE', '') "
                        "WHERE type = 'table'"));
    exec(QStringLiteral("PRAGMA writable_schema = OFF"));
    // A new connection reads the changed schema; the key indexes are rebuilt in its order.
    m_db.close();
    m_db.open(m_path);
    exec(QStringLiteral("REINDEX"));
}

void RegisterFixture::removeDatabase() {
    m_db.close();
    if (TestServer::active())
        TestServer::drop(m_path);
    else
        QFile::remove(m_path);
}

int RegisterFixture::addPartner(const QString& number, const QString& name, bool customer,
                                bool supplier) {
    return insert(
        QStringLiteral("INSERT INTO server (ScNum, ScName, 客户, 供应商) VALUES (?, ?, ?, ?)") +
            Database::returningKey(m_db.connection(), QStringLiteral("ID")),
        {number, name, customer ? 1 : 0, supplier ? 1 : 0});
}

int RegisterFixture::addContract(const QString& number, const QString& name, const QString& partner,
                                 const QString& direction, const QVariant& amount) {
    return insert(
        QStringLiteral("INSERT INTO Compact (合同编号, 合同名称, SCNum, 收付类型, 合同金额) "
                       "VALUES (?, ?, ?, ?, ?)") +
            Database::returningKey(m_db.connection(), QStringLiteral("CompactID")),
        {number, name,
         partner.isEmpty() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(partner), direction,
         amount.isNull() ? QVariant(QMetaType(QMetaType::LongLong))
                         : QVariant(units(amount.toDouble()))});
}

namespace {
QVariant storedMoney(const QVariant& v) {
    return v.isNull() ? QVariant(QMetaType(QMetaType::LongLong)) : QVariant(units(v.toDouble()));
}
// A date-time keeps its time of day, as the store writes it.
QVariant storedDate(const QVariant& v) {
    if (v.isNull())
        return QVariant(QMetaType(QMetaType::QString));
    if (v.typeId() == QMetaType::QDateTime)
        return FieldValues::storedDate(v.toDateTime());
    return v.toDate().toString(Qt::ISODate);
}
} // namespace

void RegisterFixture::addReceivable(int compactId, const QVariant& due, const QVariant& amount,
                                    const QVariant& settled) {
    exec(QStringLiteral("INSERT INTO AccountReceive (CompactID, 应收日期, 应收金额, 实收金额, "
                        "发票额) VALUES (?, ?, ?, ?, 0)"),
         {compactId, storedDate(due), storedMoney(amount), storedMoney(settled)});
}

void RegisterFixture::addPayable(int compactId, const QVariant& due, const QVariant& amount,
                                 const QVariant& settled) {
    exec(QStringLiteral("INSERT INTO AccountPayable (CompactID, 应付日期, 应付金额, 实付金额, "
                        "发票额) VALUES (?, ?, ?, ?, 0)"),
         {compactId, storedDate(due), storedMoney(amount), storedMoney(settled)});
}

TDMod& RegisterFixture::openModule() {
    m_module = std::make_unique<TDMod>(m_path);
    return *m_module;
}

#include "serverrows.h"

#include "database.h"

#include <QSqlDriver>
#include <QSqlError>
#include <libpq-fe.h>
#include <memory>

namespace {

// PostgreSQL's type numbers (pg_type.oid) of the values read as whole numbers.
constexpr Oid Int8 = 20, Int2 = 21, Int4 = 23, Bool = 16;

PGconn* connectionOf(const QSqlDatabase& db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "pg_conn*") != 0)
        return nullptr;
    return *static_cast<PGconn* const*>(handle.data());
}

// The parameters as text, the form the server reads any type from; nothing for a type this
// path does not send.
bool asText(const QVariantList& binds, std::vector<QByteArray>& texts,
            std::vector<const char*>& values) {
    for (const QVariant& v : binds) {
        if (v.isNull()) {
            texts.emplace_back();
        } else if (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong) {
            texts.push_back(QByteArray::number(v.toLongLong()));
        } else if (v.typeId() == QMetaType::QString) {
            texts.push_back(v.toString().toUtf8());
        } else {
            return false;
        }
    }
    for (size_t i = 0; i < texts.size(); ++i)
        values.push_back(binds[qsizetype(i)].isNull() ? nullptr : texts[i].constData());
    return true;
}

void appendValue(const PGresult* r, int row, int col, StoredColumn& c) {
    if (PQgetisnull(r, row, col)) {
        c.appendStored(QVariant());
        return;
    }
    const char* text = PQgetvalue(r, row, col);
    const int bytes = PQgetlength(r, row, col);
    const Oid type = PQftype(r, col);
    const FieldType ft = c.type();
    const bool whole = type == Int8 || type == Int4 || type == Int2;
    if (whole && (ft == FieldType::Integer || ft == FieldType::AutoInc ||
                  ft == FieldType::Currency || ft == FieldType::Boolean)) {
        c.appendStoredInteger(std::strtoll(text, nullptr, 10));
    } else if (!whole && type != Bool &&
               (ft == FieldType::String || ft == FieldType::Memo || ft == FieldType::DateTime)) {
        c.appendStoredText(text, bytes); // timestamps come as "yyyy-MM-dd hh:mm:ss"
    } else if (whole) {
        c.appendStored(qlonglong(std::strtoll(text, nullptr, 10)));
    } else if (type == Bool) {
        c.appendStored(text[0] == 't' ? 1 : 0);
    } else {
        c.appendStored(QString::fromUtf8(text, bytes));
    }
}

} // namespace

namespace ServerRows {

QString numbered(const QString& sql) {
    QString out;
    out.reserve(sql.size() + 16);
    int n = 0;
    QChar quote;
    for (QChar c : sql) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
        } else if (c == u'\'' || c == u'"') {
            quote = c;
        } else if (c == u'?') {
            out += u'$' + QString::number(++n);
            continue;
        }
        out += c;
    }
    return out;
}

bool read(const QSqlDatabase& db, const QString& sql, const QVariantList& binds,
          std::vector<StoredColumn>& columns, const std::vector<bool>& wanted) {
    PGconn* conn = connectionOf(db);
    std::vector<QByteArray> texts;
    std::vector<const char*> values;
    // a query of Qt's still fetching its rows keeps the connection busy: Qt reads this one
    if (!conn || PQtransactionStatus(conn) == PQTRANS_ACTIVE || !asText(binds, texts, values))
        return false;
    const QByteArray query = numbered(sql).toUtf8();
    std::unique_ptr<PGresult, void (*)(PGresult*)> result(
        PQexecParams(conn, query.constData(), int(values.size()), nullptr, values.data(), nullptr,
                     nullptr, 0),
        PQclear);
    const PGresult* r = result.get();
    if (!r || PQresultStatus(r) != PGRES_TUPLES_OK) {
        const char* state = r ? PQresultErrorField(r, PG_DIAG_SQLSTATE) : nullptr;
        const QString text = QString::fromUtf8(r ? PQresultErrorMessage(r) : PQerrorMessage(conn));
        Database::raise(QSqlError(QString(), text.trimmed(), QSqlError::StatementError,
                                  QString::fromLatin1(state ? state : "")));
    }
    const int n = int(columns.size());
    if (PQnfields(r) != n)
        return false;
    const int rows = PQntuples(r);
    for (int row = 0; row < rows; ++row)
        for (int i = 0; i < n; ++i) {
            if (wanted[size_t(i)])
                appendValue(r, row, i, columns[size_t(i)]);
            else
                columns[size_t(i)].appendStored(QVariant());
        }
    return true;
}

} // namespace ServerRows

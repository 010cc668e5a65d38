#pragma once
// Text conditions written so that every back end finds what SQLite's LIKE finds: "%" and "_"
// are wildcards, no character escapes another, ASCII letters match in either case and other
// letters only as written. Search builders take one of these instead of knowing the store.
#include <QSqlDatabase>
#include <QString>
#include <QVariantList>

class TextMatch {
public:
    // The register's store, with its contract-text index where it has one.
    static TextMatch of(QSqlDatabase& db);
    // The same store, searched without the text index: the plain scan.
    TextMatch withoutIndex() const;

    // Whether a text-index table of its own (SQLite FTS5) names candidate contracts; a
    // server's trigram index serves the condition itself.
    bool hasIndexTable() const { return m_indexTable; }
    // "column matches the pattern" with placeholders, and the values they take.
    QString like(const QString& column) const;
    QVariantList binds(const QString& pattern) const;

private:
    bool m_server = false;
    bool m_indexTable = false;
};

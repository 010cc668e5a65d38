#include "textmatch.h"

#include "database.h"
#include "schema.h"

namespace {

// PostgreSQL's ILIKE folds every letter the locale knows (Ä as ä); it only narrows, through
// the trigram index, and the LIKE over ASCII-folded text decides.
const QString ServerLike = QStringLiteral(
    "(%1 ILIKE ? ESCAPE '' AND translate(%1, '%2', '%3') LIKE translate(?, '%2', '%3') "
    "ESCAPE '')");

} // namespace

TextMatch TextMatch::of(QSqlDatabase& db) {
    TextMatch m;
    m.m_server = Database::onServer(db);
    m.m_indexTable = !m.m_server && Schema::hasTextIndex(db);
    return m;
}

TextMatch TextMatch::withoutIndex() const {
    TextMatch m = *this;
    m.m_indexTable = false;
    return m;
}

QString TextMatch::like(const QString& column) const {
    if (!m_server)
        return column + QStringLiteral(" LIKE ?");
    return ServerLike.arg(column, QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZ"),
                          QStringLiteral("abcdefghijklmnopqrstuvwxyz"));
}

QVariantList TextMatch::binds(const QString& pattern) const {
    return m_server ? QVariantList{pattern, pattern} : QVariantList{pattern};
}

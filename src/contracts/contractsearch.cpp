#include "contractsearch.h"

#include "data/schema.h"

#include <QStringList>
#include <string>

namespace ContractSearch {

namespace {

const QString Contracts = QStringLiteral("SELECT * FROM Compact");
const QString WithPartner = QStringLiteral(
    "SELECT Compact.*, server.ScNum, server.ScName, server.简称 FROM Compact, server");

// One condition of a WHERE clause with the values of its placeholders.
struct Condition {
    QString sql;
    QVariantList params;
};

Condition like(const TextMatch& match, const QString& column, const QString& value) {
    return {match.like(column), match.binds(pattern(value))};
}

Condition condition(Criterion criterion, const QString& value, const TextMatch& match) {
    const QString partners = QStringLiteral("Compact.SCNum = server.ScNum AND ");
    switch (criterion) {
    case Name:
        return like(match, QStringLiteral("Compact.合同名称"), value);
    case Content:
        // The index names candidates; the LIKE on the contract itself decides, so the result
        // is exactly the scan's.
        if (const QString terms = textIndexTerms(value);
            match.hasIndexTable() && !terms.isEmpty()) {
            Condition c = like(match, QStringLiteral("Compact.合同内容"), value);
            c.sql = QStringLiteral("Compact.CompactID IN (SELECT rowid FROM %1 WHERE %1 MATCH ?) "
                                   "AND ")
                        .arg(Schema::TextIndex) +
                    c.sql;
            c.params.prepend(terms);
            return c;
        }
        return like(match, QStringLiteral("Compact.合同内容"), value);
    case PartnerName: {
        Condition c = like(match, QStringLiteral("server.ScName"), value);
        c.sql.prepend(partners);
        return c;
    }
    case PartnerShortName: {
        Condition c = like(match, QStringLiteral("server.简称"), value);
        c.sql.prepend(partners);
        return c;
    }
    case Department:
        return like(match, QStringLiteral("Compact.所属部门"), value);
    case Operator:
        return like(match, QStringLiteral("Compact.录入"), value);
    }
    return {};
}

// Enough trigrams to narrow a search well; every one of them is in any text the LIKE finds.
constexpr qsizetype MaxTrigrams = 32;

// One trigram as a string of the index's query language, which doubles an inner quote.
QString quotedTerm(QString trigram) {
    return u'"' + trigram.replace(u'"', QStringLiteral("\"\"")) + u'"';
}

// Text the index and the LIKE read alike: no unpaired surrogate (the two would stand for it
// differently) and no NUL (which ends a LIKE pattern).
bool wellFormed(const QString& value) {
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar c = value.at(i);
        if (c.isNull())
            return false;
        if (c.isHighSurrogate() && i + 1 < value.size() && value.at(i + 1).isLowSurrogate())
            ++i;
        else if (c.isSurrogate())
            return false;
    }
    return true;
}

Statement where(const QString& select, const QList<Condition>& conditions) {
    Statement s;
    QStringList parts;
    for (const Condition& c : conditions) {
        parts << c.sql;
        s.params += c.params;
    }
    s.sql = select + QStringLiteral(" WHERE ") + parts.join(QStringLiteral(" AND "));
    return s;
}

bool joinsPartners(Criterion c) {
    return c == PartnerName || c == PartnerShortName;
}

} // namespace

QString pattern(const QString& value) {
    return u'%' + value + u'%';
}

bool indexable(const QString& value) {
    return !textIndexTerms(value).isEmpty();
}

QString textIndexTerms(const QString& value) {
    if (!wellFormed(value))
        return {};
    QStringList terms;
    std::u32string run;
    auto takeTrigrams = [&] {
        for (size_t i = 0; i + 3 <= run.size() && terms.size() < MaxTrigrams; ++i) {
            const QString term = quotedTerm(QString::fromUcs4(run.data() + i, 3));
            if (!terms.contains(term))
                terms << term;
        }
        run.clear();
    };
    for (char32_t c : value.toUcs4()) {
        if (c == U'%' || c == U'_')
            takeTrigrams();
        else
            run.push_back(c);
    }
    takeTrigrams();
    return terms.join(QStringLiteral(" AND "));
}

Statement single(Criterion criterion, const QString& text, const TextMatch& match) {
    QString select = Contracts;
    if (criterion == PartnerName)
        select =
            QStringLiteral("SELECT Compact.*, server.ScNum, server.ScName FROM Compact, server");
    else if (criterion == PartnerShortName)
        select = QStringLiteral("SELECT Compact.*, server.ScNum, server.简称 FROM Compact, server");
    return where(select, {condition(criterion, text, match)});
}

// Partner name and short name count trimmed; the other four are searched as typed. A partner
// box of blanks still adds its condition once the partner table is joined.
Statement combined(const Criteria& texts, const TextMatch& match) {
    Criteria values = texts;
    values[PartnerName] = texts[PartnerName].trimmed();
    values[PartnerShortName] = texts[PartnerShortName].trimmed();
    int filled = 0;
    for (const QString& t : texts)
        filled += t.trimmed().isEmpty() ? 0 : 1;
    if (filled == 0)
        return {Contracts, {}, false};

    QList<Condition> conditions;
    if (filled == CriterionCount) {
        for (int c = 0; c < CriterionCount; ++c)
            conditions << condition(Criterion(c), values[c], match);
        return where(WithPartner, conditions);
    }
    const bool join = !values[PartnerName].isEmpty() || !values[PartnerShortName].isEmpty();
    // Every contract with a number; the other conditions follow it.
    conditions << like(match, QStringLiteral("Compact.合同编号"), QString());
    for (int c = 0; c < CriterionCount; ++c) {
        const auto criterion = Criterion(c);
        const bool add =
            joinsPartners(criterion) ? join && !texts[c].isEmpty() : !texts[c].trimmed().isEmpty();
        if (add)
            conditions << condition(criterion, values[c], match);
    }
    Statement s = where(join ? WithPartner : Contracts, conditions);
    s.sortByNumber = true;
    return s;
}

} // namespace ContractSearch

// Contract search on a large register: the window's searches, each loaded into TBQuery, against
// the sqlite3 tool running the same LIKE query; and the size of the contract-text index.
#include "benchgroups.h"
#include "benchutil.h"
#include "contracts/tchazhao.h"
#include "data/schema.h"
#include "data/tdmod.h"
#include "shell/appcontext.h"

#include <QFileInfo>
#include <QLineEdit>
#include <QSqlQuery>
#include <memory>
#include <vector>

namespace Bench {

namespace {

struct Case {
    const char* name;   // figure prefix
    const char* column; // the column the sqlite3 reference searches
    QLineEdit* TChaZhao::*box;
    void (TChaZhao::*button)();
    QString word;
};

// The same LIKE for the sqlite3 tool, whose statement must hold the value itself.
QString referenceSql(const Case& c) {
    QString value = c.word;
    value.replace(u'\'', QStringLiteral("''"));
    return QStringLiteral("SELECT * FROM Compact WHERE %1 LIKE '%%2%'")
        .arg(QString::fromUtf8(c.column), value);
}

// The search as the user runs it, and every grid column of every row found read once.
int searchOnce(TChaZhao& window, TDMod& dm, const Case& c, double& checksum) {
    (window.*c.box)->setText(c.word);
    (window.*c.button)();
    Dataset* q = dm.TBQuery;
    const Field* shown[] = {q->fieldByName(QStringLiteral("合同编号")),
                            q->fieldByName(QStringLiteral("合同名称")),
                            q->fieldByName(QStringLiteral("合同金额"))};
    for (int row = 0; row < q->recordCount(); ++row)
        for (const Field* f : shown)
            checksum += q->valueAt(row, f).toString().size();
    return q->recordCount();
}

double indexMegabytes(TDMod& dm) {
    QSqlQuery q(dm.database().connection());
    if (q.exec(QStringLiteral("SELECT sum(pgsize) FROM dbstat WHERE name LIKE 'CompactText%'")) &&
        q.next())
        return q.value(0).toDouble() / (1024.0 * 1024.0);
    return -1;
}

} // namespace

void runSearchGroup(const Context& ctx) {
    TDMod dm(ctx.db);
    app().DMod = &dm;
    TChaZhao window;
    if (!Schema::hasTextIndex(dm.database().connection()))
        note(QStringLiteral("the register has no contract-text index"));

    // Words of the generated texts and names: a name word, a two-character word of the texts
    // (read by scanning), and a partner's name as the texts name their parties (from the index).
    QSqlQuery partner(dm.database().connection());
    partner.exec(QStringLiteral("SELECT ScName FROM server ORDER BY ID LIMIT 1 OFFSET 250"));
    const QString partnerName = partner.next() ? partner.value(0).toString() : QString();
    const Case cases[] = {
        {"search_name", "合同名称", &TChaZhao::EditHeTName, &TChaZhao::Button1Click,
         QStringLiteral("机床")},
        {"search_content", "合同内容", &TChaZhao::EditHeTMemo, &TChaZhao::Button2Click,
         QStringLiteral("盛世")},
        {"search_content_indexed", "合同内容", &TChaZhao::EditHeTMemo, &TChaZhao::Button2Click,
         partnerName},
    };
    double checksum = 0;
    for (const Case& c : cases) {
        std::vector<double> cli, ours;
        int found = 0;
        const QString sql = referenceSql(c);
        for (int i = 0; i < Repeats; ++i) {
            cli.push_back(sqliteCli(ctx, sql));
            ours.push_back(seconds([&] { found = searchOnce(window, dm, c, checksum); }));
        }
        note(QStringLiteral("%1: \"%2\" finds %3 contracts")
                 .arg(QLatin1String(c.name), c.word)
                 .arg(found));
        const QByteArray name = c.name;
        const double s = best((name + "_s").constData(), ours);
        const double ref = best((name + "_sqlite_s").constData(), cli);
        print((name + "_s").constData(), s, 3);
        print((name + "_ratio").constData(), s / ref, 3);
    }
    window.done(0);
    app().DMod = nullptr;

    const double fileMb = double(QFileInfo(ctx.db).size()) / (1024.0 * 1024.0);
    const double indexMb = indexMegabytes(dm);
    note(QStringLiteral("checksum %1").arg(checksum, 0, 'f', 0));
    print("search_index_mb", indexMb, 1);
    print("search_index_share", indexMb / fileMb, 3);
}

} // namespace Bench

// The contract-text index gives exactly the rows of the plain LIKE scan, in the same order,
// before and after contracts are changed, added and deleted through the data module.
#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "contracts/contractsearch.h"
#include "data/schema.h"

#include <QRandomGenerator>
#include <QTest>

namespace {

const char* const Texts[] = {
    "甲方 ABC def 违约金 100%",
    "xabcx 不可抗力",
    "AbC 违约 金",
    "违反约定金额",
    "违约金按日计算 合同内容",
    "Äbc 和 äbc",
    "他说\"好\"; O'Brien C:\\合同",
    "abd aXc a%c",
    "𠀀𠀁𠀂 生僻字",
    "约金100",
    "北京某某有限公司 设备的采购",
};

QStringList numbers(Dataset* q) {
    QStringList out;
    for (q->first(); !q->eof(); q->next())
        out << q->fieldByName(QStringLiteral("合同编号"))->asString();
    return out;
}

QStringList run(Dataset* q, const ContractSearch::Statement& s) {
    q->setSql(s.sql, s.params);
    q->open();
    return numbers(q);
}

} // namespace

class TestSearchIndex : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void indexEqualsScan_data() {
        QTest::addColumn<QString>("word");
        QTest::addColumn<bool>("indexed");
        QTest::addColumn<int>("hits"); // as created
        QTest::newRow("lower case") << "abc" << true << 3;
        QTest::newRow("upper case") << "ABC" << true << 3;
        QTest::newRow("Chinese") << "违约金" << true << 2;
        QTest::newRow("two characters") << "违约" << false << 3;
        QTest::newRow("one character") << "金" << false << 5;
        QTest::newRow("_ between short runs") << "违_金" << false << 2;
        QTest::newRow("% around a word") << "%违约金%" << true << 2;
        QTest::newRow("% around a short word") << "%约金%" << false << 3;
        QTest::newRow("% inside") << "约金%100" << true << 2;
        QTest::newRow("wildcard with a long run") << "a_c de" << true << 1;
        QTest::newRow("non-ASCII case counts") << "äbc" << true << 1;
        QTest::newRow("quotes") << "\"好\"; O'" << true << 1;
        QTest::newRow("backslash") << "C:\\合同" << true << 1;
        QTest::newRow("blank inside") << "金 1" << true << 1;
        QTest::newRow("beyond the BMP") << "𠀁𠀂" << false << 1;
        QTest::newRow("beyond the BMP, three") << "𠀀𠀁𠀂" << true << 1;
        QTest::newRow("nowhere") << "不存在的词" << true << 0;
        QTest::newRow("short piece, then long") << "北京%有限公司" << true << 1;
        QTest::newRow("short piece, then long, _") << "设备_采购" << false << 1;
        QTest::newRow("long piece, then short") << "有限公司%采购" << true << 1;
        QTest::newRow("two short pieces around a long one") << "北_某某有%购" << true << 1;
    }
    void indexEqualsScan() {
        QFETCH(QString, word);
        QFETCH(bool, indexed);
        QFETCH(int, hits);
        RegisterFixture f;
        int n = 0;
        for (const char* text : Texts)
            f.exec(QStringLiteral("INSERT INTO Compact (合同编号, 合同内容) VALUES (?, ?)"),
                   {QStringLiteral("N%1").arg(++n), QString::fromUtf8(text)});
        f.exec(QStringLiteral("INSERT INTO Compact (合同编号) VALUES ('N-empty')"));
        TDMod& dm = f.openModule();
        QVERIFY(Schema::hasTextIndex(dm.database().connection()));
        Dataset* q = dm.TBQuery;
        // a server's trigram index serves the LIKE itself, with no table of its own
        const TextMatch match = TextMatch::of(dm.database().connection());
        QCOMPARE(match.hasIndexTable(), !dm.database().onServer());
        auto compare = [&](const char* when) {
            const auto viaIndex = ContractSearch::single(ContractSearch::Content, word, match);
            QCOMPARE(viaIndex.sql.contains(Schema::TextIndex), indexed && match.hasIndexTable());
            QCOMPARE(ContractSearch::indexable(word), indexed);
            const QStringList scanned =
                run(q, ContractSearch::single(ContractSearch::Content, word, match.withoutIndex()));
            QVERIFY2(run(q, viaIndex) == scanned, when);
        };
        compare("as created");
        QCOMPARE(q->recordCount(), hits);

        // A change of text, a new contract and a deletion, all through the contract dataset.
        Dataset* c = dm.TBCompacter;
        QVERIFY(c->locate(QStringLiteral("合同编号"), QStringLiteral("N1")));
        c->edit();
        c->fieldByName(QStringLiteral("合同内容"))->setValue(QStringLiteral("已改为 ABC 与 违约"));
        QVERIFY(c->post());
        c->append();
        c->fieldByName(QStringLiteral("合同编号"))->setValue(QStringLiteral("N-new"));
        c->fieldByName(QStringLiteral("合同内容"))
            ->setValue(QStringLiteral("新增 abc 违约金 %1 金 1").arg(word));
        QVERIFY(c->post());
        QVERIFY(c->locate(QStringLiteral("合同编号"), QStringLiteral("N5")));
        dm.deleteContract();
        compare("after edits");
        QVERIFY(run(q, ContractSearch::single(ContractSearch::Content, word, match))
                    .contains(QStringLiteral("N-new")));
    }

    // Random criteria, alone and combined with a contract name, over random contract texts:
    // the index gives the rows of the plain scan, and the search never brings the program down.
    void randomCriteriaGiveTheScansRows() {
        RegisterFixture f;
        QRandomGenerator random(20261211);
        const QString letters = QStringLiteral("北京有限公司设备采购aAbB %_\\\"'");
        auto randomText = [&](int longest) {
            QString text;
            for (int n = int(random.bounded(longest + 1)); n > 0; --n)
                text += letters.at(random.bounded(letters.size()));
            return text;
        };
        QStringList texts;
        for (int i = 0; i < 40; ++i) {
            texts << randomText(30);
            f.exec(QStringLiteral(
                       "INSERT INTO Compact (合同编号, 合同名称, 合同内容) VALUES (?, ?, ?)"),
                   {QStringLiteral("N%1").arg(i), randomText(4),
                    i % 10 ? QVariant(texts.last()) : QVariant(QMetaType(QMetaType::QString))});
        }
        // Half the criteria are pieces of stored texts with wildcards let in, so they find rows.
        auto criterion = [&] {
            if (random.bounded(2))
                return randomText(12);
            const QString& text = texts.at(random.bounded(texts.size()));
            const int from = int(random.bounded(text.size() + 1));
            QString piece = text.mid(from, random.bounded(12));
            for (QChar& c : piece)
                if (random.bounded(5) == 0)
                    c = random.bounded(2) ? u'%' : u'_';
            return piece;
        };
        TDMod& dm = f.openModule();
        Dataset* q = dm.TBQuery;
        const TextMatch match = TextMatch::of(dm.database().connection());
        const TextMatch scan = match.withoutIndex();
        int found = 0;
        for (int i = 0; i < 300; ++i) {
            const QString word = criterion();
            ContractSearch::Criteria criteria;
            criteria[ContractSearch::Content] = word;
            if (i % 3 == 0)
                criteria[ContractSearch::Name] = randomText(1);
            const QStringList scanned =
                run(q, ContractSearch::single(ContractSearch::Content, word, scan));
            QVERIFY2(run(q, ContractSearch::single(ContractSearch::Content, word, match)) ==
                         scanned,
                     qPrintable(word));
            QVERIFY2(run(q, ContractSearch::combined(criteria, match)) ==
                         run(q, ContractSearch::combined(criteria, scan)),
                     qPrintable(word));
            found += scanned.isEmpty() ? 0 : 1;
        }
        QVERIFY(found > 100); // the criteria found rows often enough to mean something
    }
};
QINTARA_TEST(TestSearchIndex)
#include "tst_searchindex.moc"

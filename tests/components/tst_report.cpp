#include "common/externalreaders.h"
#include "common/testregistry.h"
#include "components/report.h"

#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>

using namespace Report;

namespace {

std::function<QString()> fixed(const QString& text) {
    return [text] { return text; };
}

} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A band switched off in its before-hook prints nothing and takes no space; its after-hook
    // still runs and its child still follows.
    void aBandSwitchedOff() {
        Document doc;
        QStringList calls;
        Band* title = doc.addBand(Band::Kind::Title, QStringLiteral("title"), 180);
        title->add<Text>(10, 1, 0, fixed(QStringLiteral("TITLE-TEXT")), songti(11));
        title->beforePrint = [&] {
            calls << QStringLiteral("before");
            title->enabled = false;
        };
        title->afterPrint = [&] { calls << QStringLiteral("after"); };
        Band* child = doc.addChild(title, QStringLiteral("child"), 20);
        child->add<Text>(10, 1, 0, fixed(QStringLiteral("CHILD-TEXT")), songti(11));
        const QStringList pages = print(doc);
        QCOMPARE(calls, (QStringList{QStringLiteral("before"), QStringLiteral("after")}));
        // the child takes the place of the 180 mm that the title would have taken
        QCOMPARE(pages.size(), 1);
        QVERIFY(!pages[0].contains(QStringLiteral("TITLE-TEXT")));
        QVERIFY(pages[0].contains(QStringLiteral("CHILD-TEXT")));
    }

    // A linked band starts a new page unless the page also has room for the band it is linked
    // to; unlinked, it takes the room left.
    void linkedBands_data() {
        QTest::addColumn<bool>("linked");
        QTest::addColumn<int>("pages");
        QTest::newRow("linked") << true << 2;
        QTest::newRow("not linked") << false << 1;
    }
    void linkedBands() {
        QFETCH(bool, linked);
        QFETCH(int, pages);
        Document doc;
        // 190 mm of page: 178 for the title leaves 12, room for the summary alone
        doc.addBand(Band::Kind::Title, QStringLiteral("title"), 178);
        Band* detail = doc.addBand(Band::Kind::Detail, QStringLiteral("detail"), 7.9);
        Band* summary = doc.addBand(Band::Kind::Summary, QStringLiteral("summary"), 7.9);
        summary->add<Text>(10, 1, 0, fixed(QStringLiteral("TOTALS")), songti(11));
        if (linked)
            summary->link = detail;
        const QStringList out = print(doc);
        QCOMPARE(out.size(), pages);
        QVERIFY(out.last().contains(QStringLiteral("TOTALS")));
    }

    // A band taller than the rest of the page moves on whole unless it can be cut between
    // lines of its text.
    void aFixedBandMovesOnWhole() {
        Document doc;
        doc.addBand(Band::Kind::Title, QStringLiteral("title"), 185);
        Band* summary = doc.addBand(Band::Kind::Summary, QStringLiteral("summary"), 10);
        summary->add<Text>(10, 1, 0, fixed(QStringLiteral("FIRST")), songti(11));
        summary->add<Text>(10, 6, 0, fixed(QStringLiteral("SECOND")), songti(11));
        const QStringList pages = print(doc);
        QCOMPARE(pages.size(), 2);
        QVERIFY(pages[1].contains(QStringLiteral("FIRST")) &&
                pages[1].contains(QStringLiteral("SECOND")));
    }

private:
    QStringList print(Document& doc) {
        const QString path = m_dir.filePath(QStringLiteral("report.pdf"));
        {
            QPdfWriter writer(path);
            doc.setUp(writer);
            doc.print(writer);
        }
        return ExternalReaders::pdfPages(path);
    }

    QTemporaryDir m_dir;
};

QINTARA_TEST(TestReportEngine)
#include "tst_report.moc"

#include "common/externalreaders.h"
#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "output/tfkprint.h"
#include "output/tqtprint.h"
#include "output/tskprint.h"
#include "platform/clock.h"
#include "platform/gui/modal.h"

#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QRectF>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <algorithm>
#include <limits>

namespace {

const QDate PrintDay(2026, 1, 15);

// The lines of the page that hold a text.
QStringList linesWith(const QString& page, const QString& text) {
    return page.split(QLatin1Char('\n')).filter(text);
}

// Amounts such as 1,000.00 in a line of text.
QStringList amounts(const QString& line) {
    static const QRegularExpression money(QStringLiteral("-?￥?[0-9][0-9,]*\\.[0-9]{2}%?"));
    QStringList out;
    for (auto it = money.globalMatch(line); it.hasNext();)
        out << it.next().captured();
    return out;
}

// The instalment rows: lines that start with a date.
QStringList rowLines(const QString& page) {
    static const QRegularExpression date(QStringLiteral("^\\s*\\d{4}-\\d{2}-\\d{2}\\s"));
    QStringList out;
    for (const QString& line : page.split(QLatin1Char('\n')))
        if (date.match(line).hasMatch())
            out << line;
    return out;
}

// Money at the most the register holds, and a text of n characters.
const qlonglong MaxUnits = std::numeric_limits<qint64>::max();
const QString MaxAmount = QStringLiteral("922,337,203,685,477.58");

QString chinese(int n) {
    const QString pool = QStringLiteral("金额户门长车贝页风飞马鱼鸟麦黄齐齿龙龟韦人民币合同");
    QString out;
    for (int i = 0; i < n; ++i)
        out += pool[i % pool.size()];
    return out;
}

using ExternalReaders::PdfWord;

// The words of page 0 whose middle lies in a box (page millimetres), read line by line: the
// words of a line share their middle, whatever their size.
QList<PdfWord> wordsIn(const QList<PdfWord>& words, const QRectF& box) {
    QList<PdfWord> out;
    for (const PdfWord& w : words)
        if (w.page == 0 && box.contains(w.box.center()))
            out << w;
    std::sort(out.begin(), out.end(), [](const PdfWord& a, const PdfWord& b) {
        const double ya = a.box.center().y(), yb = b.box.center().y();
        return std::abs(ya - yb) > 0.5 ? ya < yb : a.box.left() < b.box.left();
    });
    return out;
}

// The text printed in a box, whole, and no word of it reaching out of the box.
void checkPrintedIn(const QList<PdfWord>& words, const QRectF& box, const QString& value) {
    const QList<PdfWord> found = wordsIn(words, box);
    QString text;
    for (const PdfWord& w : found) {
        text += w.text;
        const QRectF inside = box.adjusted(-0.3, -0.6, 0.3, 0.6);
        QVERIFY2(inside.contains(w.box), qPrintable(w.text + QStringLiteral(" leaves its box")));
    }
    QCOMPARE(text, value);
}

const PdfWord* firstWord(const QList<PdfWord>& words, const QString& start) {
    for (const PdfWord& w : words)
        if (w.page == 0 && w.text.startsWith(start))
            return &w;
    return nullptr;
}

} // namespace

class TestPrintedRecords : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_fx = std::make_unique<RegisterFixture>();
        m_fx->addPartner(QStringLiteral("S01"), QStringLiteral("北方钢铁"), false, true);
        m_fx->addPartner(QStringLiteral("C01"), QStringLiteral("南方电子"), true, false);
        Clock::setNow(QDateTime(PrintDay, QTime(9, 30)));
    }
    void cleanup() {
        m_hosts.clear();
        m_dm = nullptr;
        m_fx.reset();
    }

    void payableWithTwoInstalments() {
        const int id = contract(QStringLiteral("FK-001"), QStringLiteral("S01"),
                                QStringLiteral("付款"), 12345.67, QStringLiteral("钢材合同全文"));
        m_fx->addPayable(id, QDate(2025, 3, 1), 1000, 1000);
        m_fx->addPayable(id, QDate(2025, 4, 1), 2000, 0);
        m_fx->exec(QStringLiteral(
            "UPDATE AccountPayable SET 发票额 = 5000000, c1 = 'PZ-7', "
            "备注 = '首付款', 实付日期 = '2025-03-02' WHERE 应付日期 = '2025-03-01'"));
        const QStringList pages = render<TFKPrint>(QStringLiteral("FK-001"));
        QCOMPARE(pages.size(), 1);
        const QString& page = pages[0];
        for (const char* text : {"付款合同客户管理档案",
                                 "供 应 商:",
                                 "北方钢铁",
                                 "合同金额:",
                                 "￥12,345.67",
                                 "合同编号:",
                                 "FK-001",
                                 "签订日期:",
                                 "2025-02-10",
                                 "应付日期",
                                 "应付金额",
                                 "实付日期",
                                 "实付金额",
                                 "发票金额",
                                 "凭证号",
                                 "备注",
                                 "合同名称：",
                                 "钢材采购",
                                 "合同内容：",
                                 "钢材合同全文",
                                 "备注：",
                                 "打印日期：2026-01-15",
                                 "Qintara合同管理系统",
                                 "PZ-7",
                                 "首付款"})
            QVERIFY2(page.contains(QString::fromUtf8(text)), text);

        const QStringList rows = rowLines(page);
        QCOMPARE(rows.size(), 2);
        QCOMPARE(amounts(rows[0]),
                 (QStringList{QStringLiteral("1,000.00"), QStringLiteral("1,000.00"),
                              QStringLiteral("500.00")}));
        QVERIFY(rows[0].contains(QStringLiteral("2025-03-02")));
        // zero amounts print as blank cells
        QCOMPARE(amounts(rows[1]), QStringList{QStringLiteral("2,000.00")});

        QCOMPARE(amounts(totalsLine(page, QStringLiteral("应付款金额统计："))),
                 (QStringList{QStringLiteral("￥3,000.00"), QStringLiteral("￥1,000.00"),
                              QStringLiteral("33.33%"), QStringLiteral("￥2,000.00"),
                              QStringLiteral("￥500.00")}));
        // the walk ends on the last instalment
        QCOMPARE(m_dm->TBFKJiLu->recNo(), 2);
    }

    void receivableWithoutInstalments() {
        contract(QStringLiteral("SK-001"), QStringLiteral("C01"), QStringLiteral("收款"), 800,
                 QStringLiteral("设备合同全文"));
        const QStringList pages = render<TSKPrint>(QStringLiteral("SK-001"));
        QCOMPARE(pages.size(), 1);
        const QString& page = pages[0];
        for (const char* text : {"收款合同客户管理档案", "客户名称:", "南方电子", "￥800.00",
                                 "设备合同全文", "备注：", "打印日期：2026-01-15"})
            QVERIFY2(page.contains(QString::fromUtf8(text)), text);
        QVERIFY(!page.contains(QStringLiteral("供 应 商")));
        QVERIFY(rowLines(page).isEmpty());
        // the column titles right under the title, before the totals
        const qsizetype titles = page.indexOf(QStringLiteral("应收日期"));
        QVERIFY(titles > page.indexOf(QStringLiteral("签订日期")));
        QVERIFY(titles < page.indexOf(QStringLiteral("应收款金额统计：")));
        QCOMPARE(amounts(totalsLine(page, QStringLiteral("应收款金额统计："))),
                 (QStringList{QStringLiteral("￥0.00"), QStringLiteral("￥0.00"),
                              QStringLiteral("0.00%"), QStringLiteral("￥0.00"),
                              QStringLiteral("￥0.00")}));
    }

    // 19 rows fill the first page: the last row ends it, and the totals page carries no column
    // titles. More rows: the second page starts with the column titles.
    void schedulesOverPages_data() {
        QTest::addColumn<int>("instalments");
        QTest::addColumn<int>("rowsOnFirst");
        QTest::addColumn<bool>("titlesOnSecond");
        QTest::newRow("last row ends the page") << 19 << 19 << false;
        QTest::newRow("rows go on") << 30 << 19 << true;
    }
    void schedulesOverPages() {
        QFETCH(int, instalments);
        QFETCH(int, rowsOnFirst);
        QFETCH(bool, titlesOnSecond);
        const int id = contract(QStringLiteral("FK-LONG"), QStringLiteral("S01"),
                                QStringLiteral("付款"), 100000, QStringLiteral("短文"));
        for (int i = 0; i < instalments; ++i)
            m_fx->addPayable(id, QDate(2025, 1, 1).addMonths(i), 100 + i, 0);
        const QStringList pages = render<TFKPrint>(QStringLiteral("FK-LONG"));
        QCOMPARE(pages.size(), 2);
        QCOMPARE(rowLines(pages[0]).size(), rowsOnFirst);
        QCOMPARE(rowLines(pages[1]).size(), instalments - rowsOnFirst);
        QVERIFY(pages[0].contains(QStringLiteral("应付日期")));
        QCOMPARE(pages[1].contains(QStringLiteral("应付日期")), titlesOnSecond);
        QVERIFY(pages[1].contains(QStringLiteral("应付款金额统计：")));
        QVERIFY(pages[1].contains(QStringLiteral("打印日期：")));
        const int sum = instalments * 100 + instalments * (instalments - 1) / 2;
        QVERIFY(totalsLine(pages[1], QStringLiteral("应付款金额统计："))
                    .contains(Currency::fromUnits(qint64(sum) * 10000).formatYuan()));
    }

    // The text grows its band and goes on over the next page; the remarks box follows it.
    void longTextContinues() {
        QStringList lines;
        for (int i = 1; i <= 110; ++i)
            lines << QStringLiteral("第%1行 合同条款的内容").arg(i);
        const int id = contract(QStringLiteral("SK-TEXT"), QStringLiteral("C01"),
                                QStringLiteral("收款"), 1000, lines.join(QLatin1Char('\n')));
        m_fx->addReceivable(id, QDate(2025, 1, 1), 1000, 0);
        const QStringList pages = render<TSKPrint>(QStringLiteral("SK-TEXT"));
        QCOMPARE(pages.size(), 3);
        QVERIFY(pages[0].contains(QStringLiteral("第1行 ")));
        QVERIFY(!pages[0].contains(QStringLiteral("第110行")));
        QVERIFY(!pages[0].contains(QStringLiteral("打印日期：")));
        const QString& last = pages.last();
        QVERIFY(last.contains(QStringLiteral("第110行")));
        for (const QString& page : pages.mid(1))
            QVERIFY(!page.contains(QStringLiteral("应收日期"))); // no rows left
        QVERIFY(last.indexOf(QStringLiteral("备注：")) > last.indexOf(QStringLiteral("第110行")));
        QVERIFY(last.indexOf(QStringLiteral("打印日期：")) >
                last.indexOf(QStringLiteral("第110行")));
        // every line printed once
        const QString all = pages.join(QLatin1Char('\n'));
        for (int i = 1; i <= 110; ++i)
            QCOMPARE(all.count(QStringLiteral("第%1行 ").arg(i)), 1);
    }

    // Every field at the longest or largest it may hold prints whole, inside its cell or its
    // block of the title, and the totals keep clear of the next label.
    void maximalValuesPrintWhole_data() {
        QTest::addColumn<bool>("payable");
        QTest::newRow("payable record") << true;
        QTest::newRow("receivable record") << false;
    }
    void maximalValuesPrintWhole() {
        QFETCH(bool, payable);
        const RecordLayout& layout = payable ? RecordLayout::payable() : RecordLayout::receivable();
        const QString number = QStringLiteral("HT-2026-") + chinese(10);
        const QString partner = chinese(30), voucher = chinese(50), remark = chinese(30);
        m_fx->addPartner(QStringLiteral("P99"), partner, true, true);
        const int id = contract(number, QStringLiteral("P99"),
                                payable ? QStringLiteral("付款") : QStringLiteral("收款"), 1,
                                QStringLiteral("全文"));
        m_fx->exec(QStringLiteral("UPDATE Compact SET 合同金额 = ?, 合同名称 = ?, "
                                  "签订日期 = '2025-02-10 23:59:59' WHERE CompactID = ?"),
                   {MaxUnits, chinese(50), id});
        const QString table =
            payable ? QStringLiteral("AccountPayable") : QStringLiteral("AccountReceive");
        const QString due = payable ? QStringLiteral("应付") : QStringLiteral("应收");
        const QString settled = payable ? QStringLiteral("实付") : QStringLiteral("实收");
        if (payable)
            m_fx->addPayable(id, QDate(2025, 3, 1), 1, 1);
        else
            m_fx->addReceivable(id, QDate(2025, 3, 1), 1, 1);
        m_fx->exec(QStringLiteral("UPDATE %1 SET %2日期 = '2025-03-01 23:59:59', %2金额 = ?, "
                                  "%3日期 = '2025-12-31 23:59:59', %3金额 = ?, 发票额 = ?, "
                                  "c1 = ?, 备注 = ?")
                       .arg(table, due, settled),
                   {MaxUnits, MaxUnits, MaxUnits, voucher, remark});

        const QString path = payable ? renderFile<TFKPrint>(number) : renderFile<TSKPrint>(number);
        const QStringList pages = ExternalReaders::pdfPages(path);
        QCOMPARE(pages.size(), 1);
        const QList<PdfWord> words = ExternalReaders::pdfWords(path);
        // page millimetres: the printable area starts 10 mm from the top and left edges
        auto area = [](double left, double top, double right, double bottom) {
            return QRectF(QPointF(10 + left, 10 + top), QPointF(10 + right, 10 + bottom));
        };
        const double line1 = layout.titleHeight - 17.5 - 0.5,
                     line2 = layout.titleHeight - 9.0 - 0.5;
        checkPrintedIn(words, area(31.2, line1, layout.rightBlock, line2), partner);
        checkPrintedIn(words, area(31.2, line2, layout.rightBlock, layout.titleHeight),
                       QStringLiteral("￥") + MaxAmount);
        checkPrintedIn(words, area(layout.rightValues, line1, 277, line2), number);
        checkPrintedIn(words, area(layout.rightValues, line2, 277, layout.titleHeight),
                       QStringLiteral("2025-02-1023:59:59"));

        // the row lies between the column titles and the totals, each cell between its rules
        const PdfWord* titles = firstWord(words, due + QStringLiteral("日期"));
        const PdfWord* totals = firstWord(words, due + QStringLiteral("款金额统计："));
        QVERIFY(titles && totals);
        const double rowTop = titles->box.bottom() - 10, rowBottom = totals->box.top() - 10;
        const double rules[] = {0, 34.7, 72.5, 106.9, 145.0, 180.4, 214.8, 277};
        const QString cells[] = {QStringLiteral("2025-03-0123:59:59"),
                                 MaxAmount,
                                 QStringLiteral("2025-12-3123:59:59"),
                                 MaxAmount,
                                 MaxAmount,
                                 voucher,
                                 remark};
        for (int i = 0; i < 7; ++i)
            checkPrintedIn(words, area(rules[i], rowTop, rules[i + 1], rowBottom), cells[i]);

        const QStringList sums{QStringLiteral("￥") + MaxAmount, QStringLiteral("￥") + MaxAmount,
                               QStringLiteral("100.00%"), QStringLiteral("￥0.00"),
                               QStringLiteral("￥0.00")};
        const double labels[] = {9.0, 75.1, 136.0, 177.8, 226.5, 277};
        // the totals band: one row, every value on it whole
        const double totalsTop = rowBottom - 1.5, totalsBottom = totalsTop + 8;
        QStringList totalsText;
        for (const PdfWord& w : wordsIn(words, area(0, totalsTop, 277, totalsBottom)))
            totalsText << w.text;
        QCOMPARE(amounts(totalsText.join(QLatin1Char(' '))), sums);
        for (int i = 0; i < 5; ++i) {
            const QList<PdfWord> pair =
                wordsIn(words, area(labels[i], totalsTop, labels[i + 1], totalsBottom));
            QVERIFY(!pair.isEmpty());
            for (const PdfWord& w : pair)
                QVERIFY2(w.box.right() <= 10 + labels[i + 1], qPrintable(w.text));
        }
        QVERIFY(pages[0].contains(QStringLiteral("合同名称：") + chinese(50)));
    }

    // Totals of several of the largest amounts go beyond what one amount can hold: they print
    // exact and whole, each value a word of its own.
    void totalsBeyondOneAmount_data() {
        QTest::addColumn<bool>("payable");
        QTest::newRow("payable record") << true;
        QTest::newRow("receivable record") << false;
    }
    void totalsBeyondOneAmount() {
        QFETCH(bool, payable);
        const QString number = QStringLiteral("HT-MAX");
        const int id = contract(number, payable ? QStringLiteral("S01") : QStringLiteral("C01"),
                                payable ? QStringLiteral("付款") : QStringLiteral("收款"), 1,
                                QStringLiteral("全文"));
        for (int i = 0; i < 3; ++i) {
            const int settledNow = i < 2 ? 1 : 0;
            if (payable)
                m_fx->addPayable(id, QDate(2025, 3, 1 + i), 1, settledNow);
            else
                m_fx->addReceivable(id, QDate(2025, 3, 1 + i), 1, settledNow);
        }
        const QString table =
            payable ? QStringLiteral("AccountPayable") : QStringLiteral("AccountReceive");
        const QString due = payable ? QStringLiteral("应付") : QStringLiteral("应收");
        const QString settled = payable ? QStringLiteral("实付") : QStringLiteral("实收");
        m_fx->exec(QStringLiteral("UPDATE %1 SET %2金额 = ?, 发票额 = 0").arg(table, due),
                   {MaxUnits});
        m_fx->exec(QStringLiteral("UPDATE %1 SET %2金额 = ? WHERE %2金额 <> 0").arg(table, settled),
                   {MaxUnits});

        const QStringList pages = payable ? render<TFKPrint>(number) : render<TSKPrint>(number);
        QCOMPARE(pages.size(), 1);
        QCOMPARE(rowLines(pages[0]).size(), 3);
        QCOMPARE(amounts(totalsLine(pages[0], due + QStringLiteral("款金额统计："))),
                 (QStringList{QStringLiteral("￥2,767,011,611,056,432.74"),
                              QStringLiteral("￥1,844,674,407,370,955.16"),
                              QStringLiteral("66.67%"), QStringLiteral("￥") + MaxAmount,
                              QStringLiteral("￥1,844,674,407,370,955.16")}));
    }

    // The text layer holds the characters as stored, so a reader's search finds them: never a
    // Kangxi radical in place of the ideograph that looks like it.
    void printedTextCanBeSearched() {
        const QString text = QStringLiteral("人民币一二八十大小山工己比金户门长车贝页风飞马鱼鸟");
        const int id = contract(QStringLiteral("FK-SEARCH"), QStringLiteral("S01"),
                                QStringLiteral("付款"), 100, text);
        m_fx->addPayable(id, QDate(2025, 3, 1), 100, 50);
        const QStringList pages = render<TFKPrint>(QStringLiteral("FK-SEARCH"));
        QCOMPARE(pages.size(), 1);
        for (const QString& sought :
             {QStringLiteral("合同金额"), QStringLiteral("人民币"), QStringLiteral("实付比例："),
              QStringLiteral("钢材采购"), QStringLiteral("北方钢铁"), text})
            QVERIFY2(pages[0].contains(sought), qPrintable(sought));
        for (QChar ch : pages[0])
            QVERIFY2(ch.unicode() < 0x2E80 || ch.unicode() > 0x2FDF,
                     qPrintable(QStringLiteral("radical U+%1").arg(ch.unicode(), 4, 16)));
    }

    // Each record's print proposes a file of its own, named from the contract number; the
    // characters a file name cannot hold are written so that no two numbers share a name.
    void printProposesAFileOfItsOwn() {
        const QStringList numbers{QStringLiteral("HT-7"), QStringLiteral("HT/7"),
                                  QStringLiteral("HT%2F7"), QStringLiteral("合同:7.")};
        const QStringList names{
            QStringLiteral("合同记录-HT-7.pdf"), QStringLiteral("合同记录-HT%2F7.pdf"),
            QStringLiteral("合同记录-HT%252F7.pdf"), QStringLiteral("合同记录-合同%3A7%2E.pdf")};
        for (const QString& number : numbers)
            contract(number, QStringLiteral("S01"), QStringLiteral("付款"), 1,
                     QStringLiteral("文"));
        TDMod& dm = m_fx->openModule();
        TFKPrint host;
        host.bindData(&dm);
        Modal::ScriptedModal modal;
        QStringList proposed;
        for (const QString& number : numbers) {
            QVERIFY(dm.TBCompacter->locate(QStringLiteral("合同编号"), number));
            modal.then([&proposed](QDialog* d) {
                auto* preview = qobject_cast<QPrintPreviewDialog*>(d);
                QVERIFY(preview);
                proposed << preview->printer()->docName();
            });
            host.preview();
        }
        QCOMPARE(proposed, names);
    }

    void otherContract() {
        contract(QStringLiteral("QT-001"), QStringLiteral("S01"), QStringLiteral("其它"), 4321.5,
                 QStringLiteral("其它合同的全文"));
        contract(QStringLiteral("QT-002"), QStringLiteral("S01"), QStringLiteral("其它"), 1,
                 QStringLiteral("另一份"));
        const QStringList pages = render<TQTPrint>(QStringLiteral("QT-001"));
        Dataset* c = m_dm->TBCompacter;
        QCOMPARE(c->value(QStringLiteral("合同编号")).toString(), QStringLiteral("QT-001"));
        QCOMPARE(pages.size(), 1);
        for (const char* text :
             {"其它合同客户管理档案", "QT-001", "北方钢铁", "4,321.50", "2025-02-10", "钢材采购",
              "其它合同的全文", "备注：", "打印日期：2026-01-15", "Qintara合同管理系统"})
            QVERIFY2(pages[0].contains(QString::fromUtf8(text)), text);
        QVERIFY(!pages[0].contains(QStringLiteral("￥")));
        QVERIFY(!pages[0].contains(QStringLiteral("QT-002")));
        QVERIFY(!pages[0].contains(QStringLiteral("日期  ")) || rowLines(pages[0]).isEmpty());
        QVERIFY(!pages[0].contains(QStringLiteral("金额统计")));
    }

    // The hooks put every band and cell back: a second printing reads like the first.
    void printingAgainGivesTheSameRecord() {
        const int id = contract(QStringLiteral("FK-2"), QStringLiteral("S01"),
                                QStringLiteral("付款"), 10, QStringLiteral("文"));
        m_fx->addPayable(id, QDate(2025, 3, 1), 0, 5);
        m_fx->addPayable(id, QDate(2025, 4, 1), 7, 0);
        const QStringList first = render<TFKPrint>(QStringLiteral("FK-2"));
        const QStringList second = render<TFKPrint>(QStringLiteral("FK-2"));
        QCOMPARE(second, first);
        const QStringList rows = rowLines(first[0]);
        QCOMPARE(amounts(rows[0]), QStringList{QStringLiteral("5.00")});
        QCOMPARE(amounts(rows[1]), QStringList{QStringLiteral("7.00")});
    }

private:
    int contract(const QString& number, const QString& partner, const QString& direction,
                 double amount, const QString& text) {
        const int id =
            m_fx->addContract(number, QStringLiteral("钢材采购"), partner, direction, amount);
        m_fx->exec(
            QStringLiteral(
                "UPDATE Compact SET 签订日期 = '2025-02-10', 合同内容 = ? WHERE CompactID = ?"),
            {text, id});
        return id;
    }

    template <class Host> QStringList render(const QString& number) {
        return ExternalReaders::pdfPages(renderFile<Host>(number));
    }

    // Prints the record of a contract to a PDF file; returns its path.
    template <class Host> QString renderFile(const QString& number) {
        if (!m_dm)
            m_dm = &m_fx->openModule();
        TDMod& dm = *m_dm;
        if (!dm.TBCompacter->locate(QStringLiteral("合同编号"), number)) {
            QTest::qFail("no such contract", __FILE__, __LINE__);
            return {};
        }
        auto host = std::make_unique<Host>();
        host->bindData(&dm);
        const QString path = m_dir.filePath(number + QStringLiteral(".pdf"));
        {
            QPrinter printer(QPrinter::HighResolution);
            printer.setOutputFormat(QPrinter::PdfFormat);
            printer.setOutputFileName(path);
            host->QuickRep1().setUp(printer);
            host->print(printer);
        }
        m_hosts.push_back(std::move(host));
        return path;
    }

    static QString totalsLine(const QString& page, const QString& label) {
        const QStringList lines = linesWith(page, label);
        return lines.isEmpty() ? QString() : lines.first();
    }

    std::unique_ptr<RegisterFixture> m_fx;
    TDMod* m_dm = nullptr;
    std::vector<std::unique_ptr<RecordHost>> m_hosts;
    QTemporaryDir m_dir;
};

QINTARA_TEST(TestPrintedRecords)
#include "tst_records.moc"

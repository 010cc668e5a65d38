#include "common/externalreaders.h"
#include "common/filesizelimit.h"
#include "common/registerfixture.h"
#include "common/testregistry.h"
#include "components/xlswriter.h"
#include "output/spreadsheetexport.h"
#include "platform/gui/shellopen.h"
#include "platform/paths.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTest>

namespace {

const QString ContractText = QStringLiteral("第一条 供方按期交付钢材。\n第二条 需方验收后付款，"
                                            "逾期按日万分之五计。\n\tTabs, \"quotes\" & <tags>");

QJsonObject sheetAt(const QJsonObject& book, int sheet) {
    return book[QStringLiteral("sheets")][sheet].toObject();
}

QJsonArray rowAt(const QJsonObject& book, int sheet, int row) {
    return sheetAt(book, sheet)[QStringLiteral("rows")][row].toArray();
}

// What the reader gives for one cell: its text, its number, or its date text; "" when empty.
QVariant value(const QJsonArray& row, int col) {
    const QJsonArray c = row.at(col).toArray();
    if (c.size() < 2 || c.at(1).isNull())
        return QString();
    return c.at(1).toVariant();
}

QString kind(const QJsonArray& row, int col) {
    return row.at(col).toArray().at(0).toString();
}

QStringList captions(const QJsonObject& book, int sheet) {
    QStringList out;
    for (const QJsonValue& c : rowAt(book, sheet, 0))
        out << c.toArray().at(1).toString();
    return out;
}

QStringList sheetNames(const QJsonObject& book) {
    QStringList out;
    for (const QJsonValue& s : book[QStringLiteral("sheets")].toArray())
        out << s.toObject()[QStringLiteral("name")].toString();
    return out;
}

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

} // namespace

class TestSpreadsheetExport : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() {
        m_fx = std::make_unique<RegisterFixture>();
        RegisterFixture& fx = *m_fx;
        fx.addPartner(QStringLiteral("S01"), QStringLiteral("北方钢铁"), false, true);
        fx.addPartner(QStringLiteral("C01"), QStringLiteral("南方电子"), true, false);
        fx.exec(QStringLiteral("INSERT INTO StampTax (SCNum, 印花税率) VALUES ('S01', 0.0003)"));
        m_steel = fx.addContract(QStringLiteral("HT001"), QStringLiteral("钢材采购"),
                                 QStringLiteral("S01"), QStringLiteral("付款"), 12345.67);
        fx.exec(QStringLiteral("UPDATE Compact SET 签订日期 = '2024-03-05', 合同内容 = ?, "
                               "所属部门 = '采购部' WHERE CompactID = ?"),
                {ContractText, m_steel});
        const int sale = fx.addContract(QStringLiteral("HT002"), QStringLiteral("设备销售"),
                                        QStringLiteral("C01"), QStringLiteral("收款"), 1000);
        fx.addContract(QStringLiteral("HT003"), QStringLiteral("办公用品"), QStringLiteral("S01"),
                       QStringLiteral("其它"));
        fx.addPayable(m_steel, QDate(2024, 4, 1), 1000, 1000); // settled: cc is 0
        fx.addPayable(m_steel, QDate(2024, 5, 1), 2000, 0);
        fx.addReceivable(sale, QDate(2024, 6, 1), 500, 100);
        fx.openModule();
    }
    void cleanup() { m_fx.reset(); }

    void contractListColumnsAndValues() {
        TDMod& dm = m_fx->module();
        const QString path = Paths::mapped(QStringLiteral("C:\\合同表.xls"));
        QDir().mkpath(QFileInfo(path).path());
        SpreadsheetExport::write(SpreadsheetExport::contractList(dm), path);
        const QJsonObject book = ExternalReaders::readXls(path);
        QCOMPARE(sheetNames(book), QStringList{QStringLiteral("Sheet 1")});
        const QStringList expected =
            QStringLiteral("合同编号 合同名称 往来单位 合同金额 签订日期 收付类型 "
                           "所属部门 责任人 CompactID 合同类型 SCNum 录入 修改 "
                           "开始日期 截止日期 录入日期 执行情况 印花税率 印花税 "
                           "合同内容 文件位置")
                .split(QLatin1Char(' '));
        QCOMPARE(captions(book, 0), expected);
        for (const QJsonValue& c : rowAt(book, 0, 0))
            QVERIFY(c.toArray().at(3).toBool());
        QCOMPARE(sheetAt(book, 0)[QStringLiteral("nrows")].toInt(), 4);
        QCOMPARE(sheetAt(book, 0)[QStringLiteral("footer")].toString(),
                 QStringLiteral("Page &P of &N"));

        // rows in the dataset's order
        Dataset* c = dm.TBCompacter;
        const Field* number = c->fieldByName(QStringLiteral("合同编号"));
        int steelRow = -1;
        for (int pos = 0; pos < c->recordCount(); ++pos) {
            QCOMPARE(value(rowAt(book, 0, pos + 1), 0).toString(),
                     c->valueAt(pos, number).toString());
            if (c->valueAt(pos, number).toString() == QLatin1String("HT001"))
                steelRow = pos + 1;
        }
        const QJsonArray steel = rowAt(book, 0, steelRow);
        auto at = [&expected](const char* name) {
            return int(expected.indexOf(QString::fromUtf8(name)));
        };
        QCOMPARE(value(steel, at("合同名称")).toString(), QStringLiteral("钢材采购"));
        QCOMPARE(value(steel, at("往来单位")).toString(), QStringLiteral("北方钢铁"));
        QCOMPARE(kind(steel, at("合同金额")), QStringLiteral("number"));
        QCOMPARE(value(steel, at("合同金额")).toDouble(), 12345.67);
        QCOMPARE(steel.at(at("合同金额")).toArray().at(2).toString(), QStringLiteral("#,##0.00"));
        QCOMPARE(kind(steel, at("签订日期")), QStringLiteral("date"));
        QCOMPARE(value(steel, at("签订日期")).toString(), QStringLiteral("2024-03-05"));
        QCOMPARE(kind(steel, at("CompactID")), QStringLiteral("number"));
        QCOMPARE(value(steel, at("CompactID")).toInt(), m_steel);
        QCOMPARE(value(steel, at("印花税率")).toDouble(), 0.0003);
        QVERIFY(qAbs(value(steel, at("印花税")).toDouble() - 12345.67 * 0.0003) < 1e-9);
        QCOMPARE(steel.at(at("印花税")).toArray().at(2).toString(), QStringLiteral("#,##0.00"));
        QCOMPARE(value(steel, at("合同内容")).toString(), ContractText);
        QCOMPARE(value(steel, at("所属部门")).toString(), QStringLiteral("采购部"));
        QCOMPARE(kind(steel, at("责任人")), QStringLiteral("empty"));
    }

    void moneyExports_data() {
        QTest::addColumn<bool>("payables");
        QTest::addColumn<QString>("file");
        QTest::addColumn<QStringList>("names");
        QTest::addColumn<QStringList>("byDate");
        QTest::addColumn<QStringList>("byPartner");
        QTest::addColumn<QString>("partner");
        QTest::newRow("payables")
            << true << QStringLiteral("C:\\应付款表.xls")
            << QStringList{QStringLiteral("按时间"), QStringLiteral("按供应商"),
                           QStringLiteral("账龄分析")}
            << QStringLiteral("应付日期 应付金额 实付金额 合同编号 合同名称 供应商 CompactID")
                   .split(QLatin1Char(' '))
            << QStringLiteral("供应商编号 供应商名称 合同数 应付金额 实付金额 欠款")
                   .split(QLatin1Char(' '))
            << QStringLiteral("北方钢铁");
        QTest::newRow("receivables")
            << false << QStringLiteral("C:\\应收款表.xls")
            << QStringList{QStringLiteral("按时间"), QStringLiteral("按客户"),
                           QStringLiteral("账龄分析")}
            << QStringLiteral("应收日期 应收金额 实收金额 合同编号 合同名称 客户名称 CompactID")
                   .split(QLatin1Char(' '))
            << QStringLiteral("客户编号 客户名称 合同数 应收金额 实收金额 欠款")
                   .split(QLatin1Char(' '))
            << QStringLiteral("南方电子");
    }
    // The window's show-all box unchecked: only open instalments by date, every partner's
    // totals all the same.
    void moneyExports() {
        QFETCH(bool, payables);
        QFETCH(QString, file);
        QFETCH(QStringList, names);
        QFETCH(QStringList, byDate);
        QFETCH(QStringList, byPartner);
        QFETCH(QString, partner);
        TDMod& dm = m_fx->module();
        Dataset* detail = payables ? dm.TBFukuan : dm.TBShoukuan;
        detail->setFilter(QStringLiteral("cc > 0"));
        detail->setFiltered(true);
        dm.readInstalments(detail); // as the money window does when it shows
        TDMod::reread(payables ? dm.TBFuKuanZong : dm.TBShouKuanZong);
        Shell::RecordingOpener opener;
        const auto def =
            payables ? SpreadsheetExport::payables(dm) : SpreadsheetExport::receivables(dm);
        QCOMPARE(def.file, file);
        QVERIFY(payables ? SpreadsheetExport::exportPayables(dm)
                         : SpreadsheetExport::exportReceivables(dm));
        const QString path = Paths::mapped(file);
        QCOMPARE(opener.opened, QStringList{path});
        QCOMPARE(m_fx->dialogs().count(), 0);

        const QJsonObject book = ExternalReaders::readXls(path);
        QCOMPARE(sheetNames(book), names);
        QCOMPARE(captions(book, 0), byDate);
        QCOMPARE(captions(book, 1), byPartner);
        QVERIFY(!captions(book, 1).contains(QStringLiteral("CompactID")));

        // by date: the open instalment only
        QCOMPARE(sheetAt(book, 0)[QStringLiteral("nrows")].toInt(), 2);
        const QJsonArray open = rowAt(book, 0, 1);
        QCOMPARE(value(open, 0).toString(),
                 payables ? QStringLiteral("2024-05-01") : QStringLiteral("2024-06-01"));
        QCOMPARE(value(open, 1).toDouble(), payables ? 2000.0 : 500.0);
        QCOMPARE(value(open, 5).toString(), partner);
        QCOMPARE(kind(open, 6), QStringLiteral("number"));

        // by partner: the totals include the settled instalment
        QCOMPARE(sheetAt(book, 1)[QStringLiteral("nrows")].toInt(), 2);
        const QJsonArray totals = rowAt(book, 1, 1);
        QCOMPARE(value(totals, 1).toString(), partner);
        QCOMPARE(value(totals, 3).toDouble(), payables ? 3000.0 : 500.0);
        QCOMPARE(value(totals, 4).toDouble(), payables ? 1000.0 : 100.0);
        QCOMPARE(value(totals, 5).toDouble(), payables ? 2000.0 : 400.0);
        for (const QJsonValue& c : rowAt(book, 1, 0))
            QVERIFY(c.toArray().at(3).toBool());
    }

    void theCurrentRecordStays() {
        TDMod& dm = m_fx->module();
        Dataset* c = dm.TBCompacter;
        c->setRecNo(2);
        const QString before = c->value(QStringLiteral("合同编号")).toString();
        int moves = 0;
        connect(c, &Dataset::currentChanged, this, [&moves] { ++moves; });
        Shell::RecordingOpener opener;
        QVERIFY(SpreadsheetExport::exportContracts(dm));
        QCOMPARE(c->recNo(), 2);
        QCOMPARE(c->value(QStringLiteral("合同编号")).toString(), before);
        QCOMPARE(moves, 0);
    }

    void anEmptyListStillHasItsCaptions() {
        TDMod& dm = m_fx->module();
        dm.TBShoukuan->setFilter(QStringLiteral("cc > 1000000"));
        dm.TBShoukuan->setFiltered(true);
        const QString path = QDir(Paths::root()).filePath(QStringLiteral("empty.xls"));
        SpreadsheetExport::write(SpreadsheetExport::receivables(dm), path);
        const QJsonObject book = ExternalReaders::readXls(path);
        QCOMPARE(sheetAt(book, 0)[QStringLiteral("nrows")].toInt(), 1);
        QCOMPARE(captions(book, 0).size(), 7);
    }

    void exportingTwiceOverwrites() {
        TDMod& dm = m_fx->module();
        Shell::RecordingOpener opener;
        QVERIFY(SpreadsheetExport::exportContracts(dm));
        m_fx->exec(QStringLiteral("UPDATE Compact SET 合同名称 = '改过的名称' WHERE CompactID = ?"),
                   {m_steel});
        dm.TBCompacter->refresh();
        QVERIFY(SpreadsheetExport::exportContracts(dm));
        const QString path = Paths::mapped(QStringLiteral("C:\\合同表.xls"));
        QCOMPARE(opener.opened, (QStringList{path, path}));
        QCOMPARE(m_fx->dialogs().count(), 0);
        const QJsonObject book = ExternalReaders::readXls(path);
        bool found = false;
        for (int r = 1; r < 4; ++r)
            found |= value(rowAt(book, 0, r), 1).toString() == QStringLiteral("改过的名称");
        QVERIFY(found);
    }

    // The file cannot be written: the general error display, nothing opened, the previous
    // file as it was.
    void aFailedExportKeepsThePreviousFile() {
        TDMod& dm = m_fx->module();
        Shell::RecordingOpener opener;
        QVERIFY(SpreadsheetExport::exportContracts(dm));
        const QString path = Paths::mapped(QStringLiteral("C:\\合同表.xls"));
        const QByteArray before = readAll(path);
        m_fx->exec(QStringLiteral("UPDATE Compact SET 合同内容 = ? WHERE CompactID = ?"),
                   {QString(40000, QChar(0x5408)), m_steel});
        dm.TBCompacter->refresh();
        {
            FileSizeLimit limit(16 * 1024);
            QVERIFY(!SpreadsheetExport::exportContracts(dm));
        }
        QCOMPARE(opener.opened.size(), 1);
        QCOMPARE(readAll(path), before);
        QCOMPARE(m_fx->dialogs().count(), 1);
        const Dialogs::Message& shown = m_fx->dialogs().last();
        QCOMPARE(shown.icon, Dialogs::Icon::Error);
        QCOMPARE(shown.caption, Dialogs::programTitle());
        QVERIFY2(shown.text.startsWith(QStringLiteral("无法写入文件 ")), qPrintable(shown.text));
        QVERIFY(shown.text.contains(QFileInfo(path).fileName()));
    }

    // A cell holds 32,767 characters: the file keeps the start of a longer text, and the user
    // is told which contracts' texts were shortened.
    void overlongTextsAreNamed() {
        TDMod& dm = m_fx->module();
        // the limit falls between the halves of 𠮷, which goes as a whole
        const QString longText = QStringLiteral("合同𠮷").repeated(9000);
        m_fx->exec(QStringLiteral("UPDATE Compact SET 合同内容 = ? WHERE 合同编号 IN "
                                  "('HT001', 'HT003')"),
                   {longText});
        m_fx->exec(QStringLiteral("UPDATE Compact SET 合同内容 = ? WHERE 合同编号 = 'HT002'"),
                   {QString(XlsWriter::MaxTextLength, QChar(0x5408))});
        dm.TBCompacter->refresh();
        Shell::RecordingOpener opener;
        QVERIFY(SpreadsheetExport::exportContracts(dm));
        const QString path = Paths::mapped(QStringLiteral("C:\\合同表.xls"));
        QCOMPARE(opener.opened, QStringList{path});
        QCOMPARE(m_fx->dialogs().count(), 1);
        const Dialogs::Message& shown = m_fx->dialogs().last();
        QCOMPARE(shown.icon, Dialogs::Icon::Warning);
        QCOMPARE(shown.text,
                 QStringLiteral("Excel 的一个单元格最多容纳 32767 个字符，下列合同的文字超出了"
                                "这个长度，导出的文件中只有前 32767 个字符：\nHT001、HT003"));
        const QJsonObject book = ExternalReaders::readXls(path);
        const int content = int(captions(book, 0).indexOf(QStringLiteral("合同内容")));
        for (int r = 1; r < 4; ++r) {
            const QString text = value(rowAt(book, 0, r), content).toString();
            QCOMPARE(text, value(rowAt(book, 0, r), 0).toString() == QStringLiteral("HT002")
                               ? QString(XlsWriter::MaxTextLength, QChar(0x5408))
                               : longText.left(XlsWriter::MaxTextLength - 1));
        }
    }

    void aPathThatIsAFolder() {
        const QString path = Paths::mapped(QStringLiteral("C:\\合同表.xls"));
        QVERIFY(QDir().mkpath(path));
        Shell::RecordingOpener opener;
        QVERIFY(!SpreadsheetExport::exportContracts(m_fx->module()));
        QVERIFY(opener.opened.isEmpty());
        QCOMPARE(m_fx->dialogs().count(), 1);
        QCOMPARE(m_fx->dialogs().last().icon, Dialogs::Icon::Error);
    }

    // A worksheet holds 65,536 rows: the list goes on in "Sheet 1 (2)" with its own captions.
    void moreRowsThanASheetHolds() {
        m_fx.reset();
        m_fx = std::make_unique<RegisterFixture>();
        constexpr int Contracts = 65600;
        m_fx->exec(
            QStringLiteral(
                "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < ?) "
                "INSERT INTO Compact (合同编号, 合同名称, 收付类型, 合同金额) "
                "SELECT 'N' || substr(CAST(1000000 + i AS TEXT), 2), '合同' || i, '其它', i * 10000 "
                "FROM n"),
            {Contracts});
        TDMod& dm = m_fx->openModule();
        Dataset* c = dm.TBCompacter;
        QCOMPARE(c->recordCount(), Contracts);
        const QString path = QDir(Paths::root()).filePath(QStringLiteral("large.xls"));
        SpreadsheetExport::write(SpreadsheetExport::contractList(dm), path);
        const QJsonObject book = ExternalReaders::readXls(path, 2);
        QCOMPARE(sheetNames(book),
                 (QStringList{QStringLiteral("Sheet 1"), QStringLiteral("Sheet 1 (2)")}));
        const int perSheet = SpreadsheetExport::rowsPerSheet();
        QCOMPARE(perSheet, XlsWriter::MaxRows - 1);
        QCOMPARE(sheetAt(book, 0)[QStringLiteral("nrows")].toInt(), XlsWriter::MaxRows);
        QCOMPARE(sheetAt(book, 1)[QStringLiteral("nrows")].toInt(), Contracts - perSheet + 1);
        QCOMPARE(captions(book, 1), captions(book, 0));
        const Field* number = c->fieldByName(QStringLiteral("合同编号"));
        auto last = [&book](int sheet) {
            return sheetAt(book, sheet)[QStringLiteral("last")].toArray();
        };
        QCOMPARE(value(last(0), 0).toString(), c->valueAt(perSheet - 1, number).toString());
        QCOMPARE(value(rowAt(book, 1, 1), 0).toString(), c->valueAt(perSheet, number).toString());
        QCOMPARE(value(last(1), 0).toString(), c->valueAt(Contracts - 1, number).toString());
    }

private:
    std::unique_ptr<RegisterFixture> m_fx;
    int m_steel = 0;
};

QINTARA_TEST(TestSpreadsheetExport)
#include "tst_export.moc"

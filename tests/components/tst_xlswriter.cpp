#include "common/externalreaders.h"
#include "common/filesizelimit.h"
#include "common/testregistry.h"
#include "components/xlswriter.h"
#include "data/currency.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QTemporaryDir>
#include <QTest>
#include <limits>

using Cells = std::vector<XlsWriter::Cell>;

namespace {

// [kind, value, format, bold]; four nulls for a cell the reader did not give.
QJsonArray cellAt(const QJsonObject& book, int sheet, int row, int col) {
    const QJsonArray c =
        book[QStringLiteral("sheets")][sheet][QStringLiteral("rows")][row][col].toArray();
    return c.size() >= 4 ? c : QJsonArray{QJsonValue(), QJsonValue(), QJsonValue(), QJsonValue()};
}

QJsonObject sheetAt(const QJsonObject& book, int sheet) {
    return book[QStringLiteral("sheets")][sheet].toObject();
}

// Texts that mix Chinese, Latin and characters outside the first plane.
QString mixedText(int length, int seed) {
    QString s;
    s.reserve(length);
    for (int i = 0; s.size() < length; ++i) {
        const int k = (i * 7 + seed) % 5;
        if (k == 0)
            s += QChar(0x4E00 + (i * 31 + seed) % 20000);
        else if (k == 1)
            s += QChar('a' + (i + seed) % 26);
        else if (k == 2)
            s += QChar(0xE9); // é: Latin-1, yet not ASCII
        else
            s += QChar(0x5408 + k);
    }
    return s.left(length);
}

} // namespace

class TestXlsWriter : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { QVERIFY(m_dir.isValid()); }

    void cellsInTheirTypes_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QVariant>("expected");
        QTest::addColumn<QString>("format");
        QTest::newRow("latin text") << QVariant(QStringLiteral("HT-001")) << "text"
                                    << QVariant(QStringLiteral("HT-001")) << "General";
        QTest::newRow("chinese text") << QVariant(QStringLiteral("购销合同（二期）")) << "text"
                                      << QVariant(QStringLiteral("购销合同（二期）")) << "General";
        QTest::newRow("text beyond the first plane")
            << QVariant(QStringLiteral("𠀋𪚥 合同")) << "text"
            << QVariant(QStringLiteral("𠀋𪚥 合同")) << "General";
        QTest::newRow("integer") << QVariant(42) << "number" << QVariant(42.0) << "General";
        QTest::newRow("float") << QVariant(0.0003) << "number" << QVariant(0.0003) << "General";
        QTest::newRow("money") << QVariant::fromValue(Currency::fromUnits(123456789)) << "number"
                               << QVariant(12345.6789) << "#,##0.00";
        QTest::newRow("negative money") << QVariant::fromValue(Currency::fromUnits(-5000))
                                        << "number" << QVariant(-0.5) << "#,##0.00";
        QTest::newRow("date") << QVariant(QDateTime(QDate(2024, 2, 29), QTime(0, 0))) << "date"
                              << QVariant(QStringLiteral("2024-02-29")) << "";
        QTest::newRow("date with time")
            << QVariant(QDateTime(QDate(1999, 12, 31), QTime(23, 30, 15))) << "date"
            << QVariant(QStringLiteral("1999-12-31 23:30:15")) << "";
        QTest::newRow("null") << QVariant() << "empty" << QVariant() << "General";
        QTest::newRow("empty text") << QVariant(QString()) << "empty" << QVariant() << "General";
    }
    void cellsInTheirTypes() {
        QFETCH(QVariant, value);
        QFETCH(QString, kind);
        QFETCH(QVariant, expected);
        QFETCH(QString, format);
        const QString path = m_dir.filePath(QStringLiteral("cells.xls"));
        {
            XlsWriter out(path);
            const int s = out.addSheet(QStringLiteral("表一"),
                                       {{QStringLiteral("甲")}, {QStringLiteral("值")}});
            out.addRow(s, {out.text(QStringLiteral("x")), out.cell(value)});
            out.commit();
        }
        const QJsonObject book = ExternalReaders::readXls(path);
        QCOMPARE(sheetAt(book, 0)[QStringLiteral("name")].toString(), QStringLiteral("表一"));
        const QJsonArray caption = cellAt(book, 0, 0, 1);
        QCOMPARE(caption[1].toString(), QStringLiteral("值"));
        QVERIFY(caption[3].toBool()); // bold
        const QJsonArray cell = cellAt(book, 0, 1, 1);
        if (kind == QLatin1String("empty")) {
            // a row whose last cell is blank is one column short
            QVERIFY(cell[0].isNull() || cell[0].toString() == kind);
            return;
        }
        QCOMPARE(cell[0].toString(), kind);
        QVERIFY(!cell[3].toBool());
        if (!format.isEmpty())
            QCOMPARE(cell[2].toString(), format);
        if (kind == QLatin1String("number"))
            QCOMPARE(cell[1].toDouble(), expected.toDouble());
        else
            QCOMPARE(cell[1].toString(), expected.toString());
    }

    // Texts longer than one record continue in the next; the reader joins them again.
    void longTextsAcrossRecords() {
        const QString path = m_dir.filePath(QStringLiteral("long.xls"));
        QStringList texts;
        for (int i = 0; i < 300; ++i)
            texts << mixedText(1 + (i * 97) % 9000, i);
        texts << QString(20000, QLatin1Char('x')) << mixedText(30000, 7);
        // characters of two code units wherever a record ends: never cut in two
        for (int k = 0; k < 8; ++k)
            texts << QString(k, QChar(0x5408)) + QStringLiteral("𠮷😀").repeated(2300);
        {
            XlsWriter out(path);
            const int s = out.addSheet(QStringLiteral("Sheet 1"), {{QStringLiteral("合同内容")}});
            for (const QString& t : texts)
                out.addRow(s, {out.text(t)});
            out.commit();
        }
        const QJsonObject book = ExternalReaders::readXls(path);
        QCOMPARE(sheetAt(book, 0)[QStringLiteral("nrows")].toInt(), int(texts.size()) + 1);
        for (int i = 0; i < texts.size(); ++i)
            QCOMPARE(cellAt(book, 0, i + 1, 0)[1].toString(), texts[i]);
    }

    void overlongTextKeepsWhatACellHolds_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("kept");
        const QString mixed = mixedText(XlsWriter::MaxTextLength + 500, 3);
        QTest::newRow("cut at the limit") << mixed << mixed.left(XlsWriter::MaxTextLength);
        // the limit falls inside a character of two code units: it goes as a whole
        const QString before(XlsWriter::MaxTextLength - 1, QChar(0x5408));
        QTest::newRow("no half of a character") << before + QStringLiteral("𠀋𠀋") << before;
    }
    void overlongTextKeepsWhatACellHolds() {
        QFETCH(QString, text);
        QFETCH(QString, kept);
        const QString path = m_dir.filePath(QStringLiteral("overlong.xls"));
        {
            XlsWriter out(path);
            const int s = out.addSheet(QStringLiteral("Sheet 1"), {{QStringLiteral("合同内容")}});
            out.addRow(s, {out.text(text)});
            out.commit();
        }
        const QJsonObject book = ExternalReaders::readXls(path);
        QCOMPARE(cellAt(book, 0, 1, 0)[1].toString(), kept);
    }

    void sheetsWithCaptionsAndFooters() {
        const QString path = m_dir.filePath(QStringLiteral("sheets.xls"));
        {
            XlsWriter out(path);
            const int a = out.addSheet(QStringLiteral("按时间"), {{QStringLiteral("应付日期")},
                                                                  {QStringLiteral("应付金额")}});
            const int b = out.addSheet(QStringLiteral("按供应商"), {{QStringLiteral("欠款")}});
            out.addSheet(QStringLiteral("空"), {{QStringLiteral("只有标题")}});
            out.addRow(b, {out.cell(QVariant::fromValue(Currency::fromUnits(10000)))});
            out.addRow(a, {out.cell(QDateTime(QDate(2025, 1, 2), QTime(0, 0))),
                           out.cell(QVariant::fromValue(Currency::fromUnits(20000)))});
            QCOMPARE(out.rowCount(a), 2);
            out.commit();
        }
        const QJsonObject book = ExternalReaders::readXls(path);
        const QStringList names{QStringLiteral("按时间"), QStringLiteral("按供应商"),
                                QStringLiteral("空")};
        const int rows[] = {2, 2, 1};
        for (int i = 0; i < 3; ++i) {
            const QJsonObject sheet = sheetAt(book, i);
            QCOMPARE(sheet[QStringLiteral("name")].toString(), names[i]);
            QCOMPARE(sheet[QStringLiteral("nrows")].toInt(), rows[i]);
            QCOMPARE(sheet[QStringLiteral("footer")].toString(), QStringLiteral("Page &P of &N"));
            QVERIFY(cellAt(book, i, 0, 0)[3].toBool());
        }
        QCOMPARE(cellAt(book, 0, 1, 0)[1].toString(), QStringLiteral("2025-01-02"));
        QCOMPARE(cellAt(book, 1, 1, 0)[1].toDouble(), 1.0);
    }

    // Excel counts days from 1900-01-01 as day 1 and believes in a 29th of February 1900, so
    // its serials before March 1900 are one less than a plain count; earlier dates have none.
    void datesAsExcelCountsThem_data() {
        QTest::addColumn<QDate>("date");
        QTest::addColumn<double>("serial");
        QTest::newRow("first day of 1900") << QDate(1900, 1, 1) << 1.0;
        QTest::newRow("last day of February 1900") << QDate(1900, 2, 28) << 59.0;
        QTest::newRow("first day of March 1900") << QDate(1900, 3, 1) << 61.0;
        QTest::newRow("a later date") << QDate(2024, 2, 29) << 45351.0;
    }
    void datesAsExcelCountsThem() {
        QFETCH(QDate, date);
        QFETCH(double, serial);
        const QString path = m_dir.filePath(QStringLiteral("dates.xls"));
        {
            XlsWriter out(path);
            const int s = out.addSheet(QStringLiteral("Sheet 1"), {{QStringLiteral("日期")}});
            out.addRow(s, {out.cell(QDateTime(date, QTime(0, 0)))});
            out.addRow(s, {out.cell(QDateTime(QDate(1899, 12, 31), QTime(12, 0)))});
            out.commit();
        }
        const QJsonObject book = ExternalReaders::readXls(path);
        const QJsonArray cell = cellAt(book, 0, 1, 0);
        QCOMPARE(cell[0].toString(), QStringLiteral("date"));
        QCOMPARE(cell[4][QStringLiteral("serial")].toDouble(), serial);
        // before 1900 the date stays in the file as its text
        const QJsonArray early = cellAt(book, 0, 2, 0);
        QCOMPARE(early[0].toString(), QStringLiteral("text"));
        QCOMPARE(early[1].toString(), QStringLiteral("1899-12-31 12:00:00"));
    }

    // Money and dates with a time get columns wide enough to show them, not "####".
    void columnsWideEnoughForTheirValues() {
        const QString path = m_dir.filePath(QStringLiteral("wide.xls"));
        const Currency largest = Currency::fromUnits(std::numeric_limits<qint64>::min() + 1);
        {
            XlsWriter out(path);
            const int s = out.addSheet(QStringLiteral("Sheet 1"), {{QStringLiteral("金额"), 10},
                                                                   {QStringLiteral("时间"), 10}});
            out.addRow(s, {out.cell(QVariant::fromValue(Currency::fromUnits(10000))),
                           out.cell(QDateTime(QDate(2025, 1, 2), QTime(9, 30)))});
            out.addRow(s, {out.cell(QVariant::fromValue(largest))});
            out.commit();
        }
        const QJsonObject book = ExternalReaders::readXls(path);
        const QJsonArray widths = sheetAt(book, 0)[QStringLiteral("widths")].toArray();
        const qsizetype shown = QStringLiteral("-922,337,203,685,477.58").size();
        QVERIFY2(widths[0].toDouble() > shown, qPrintable(QString::number(widths[0].toDouble())));
        QVERIFY(widths[1].toDouble() > QStringLiteral("2025-01-02 09:30:00").size());
    }

    // A text of several lines is wrapped and top-aligned, so that a spreadsheet shows every
    // line; LibreOffice finds the page footer in the page settings and every line of the cell.
    void readersShowFooterAndEveryLine() {
        const QString path = m_dir.filePath(QStringLiteral("lines.xls"));
        const QString lines = QStringLiteral("第一条 交货\n第二条 付款\n第三条 违约");
        {
            XlsWriter out(path);
            const int s = out.addSheet(QStringLiteral("Sheet 1"),
                                       {{QStringLiteral("合同内容")}, {QStringLiteral("名称")}});
            out.addRow(s, {out.text(lines), out.text(QStringLiteral("一行"))});
            out.commit();
        }
        // the footer as Calc prints it, its fields filled in
        const QStringList printed = ExternalReaders::calcPrintedPages(path);
        QCOMPARE(printed.size(), 1);
        QVERIFY2(printed[0].contains(QStringLiteral("Page 1 of 1")), qPrintable(printed[0]));
        const QString calc = ExternalReaders::calcFlatXml(path);
        for (const QString& line : lines.split(QLatin1Char('\n')))
            QVERIFY(calc.contains(QStringLiteral("<text:p>") + line + QStringLiteral("</text:p>")));
        QVERIFY(calc.contains(QStringLiteral("fo:wrap-option=\"wrap\"")));
        const QJsonObject book = ExternalReaders::readXls(path);
        QCOMPARE(cellAt(book, 0, 1, 0)[1].toString(), lines);
        QVERIFY(cellAt(book, 0, 1, 0)[4][QStringLiteral("wrapTop")].toBool());
        QVERIFY(!cellAt(book, 0, 1, 1)[4][QStringLiteral("wrapTop")].toBool());
    }

    // A workbook of many megabytes needs allocation tables beyond the header's own list.
    void largeWorkbook() {
        const QString path = m_dir.filePath(QStringLiteral("large.xls"));
        constexpr int Rows = 1500;
        {
            XlsWriter out(path);
            const int s = out.addSheet(QStringLiteral("Sheet 1"),
                                       {{QStringLiteral("编号")}, {QStringLiteral("内容")}});
            for (int i = 0; i < Rows; ++i)
                out.addRow(s, {out.cell(i), out.text(mixedText(4000, i))});
            out.commit();
        }
        QVERIFY(QFileInfo(path).size() > 8 * 1024 * 1024);
        const QJsonObject book = ExternalReaders::readXls(path, 3);
        QCOMPARE(sheetAt(book, 0)[QStringLiteral("nrows")].toInt(), Rows + 1);
        QCOMPARE(cellAt(book, 0, 2, 1)[1].toString(), mixedText(4000, 1));
        const QJsonArray last = sheetAt(book, 0)[QStringLiteral("last")].toArray();
        QCOMPARE(last[0].toArray()[1].toDouble(), double(Rows - 1));
        QCOMPARE(last[1].toArray()[1].toString(), mixedText(4000, Rows - 1));
    }

    void aSheetHoldsAtMostItsRows() {
        XlsWriter out(m_dir.filePath(QStringLiteral("full.xls")));
        const int s = out.addSheet(QStringLiteral("Sheet 1"), {{QStringLiteral("n")}});
        for (int i = 1; i < XlsWriter::MaxRows; ++i)
            out.addRow(s, {out.cell(i)});
        QVERIFY_THROWS_EXCEPTION(FileWriteError, out.addRow(s, {out.cell(0)}));
    }

    void aFailedWriteLeavesThePreviousFileWhole() {
        const QString path = m_dir.filePath(QStringLiteral("kept.xls"));
        {
            XlsWriter out(path);
            const int s = out.addSheet(QStringLiteral("Sheet 1"), {{QStringLiteral("旧")}});
            out.addRow(s, {out.text(QStringLiteral("旧的内容"))});
            out.commit();
        }
        const QByteArray before = readAll(path);
        QString error;
        {
            FileSizeLimit limit(64 * 1024);
            try {
                XlsWriter out(path);
                const int s = out.addSheet(QStringLiteral("Sheet 1"), {{QStringLiteral("新")}});
                for (int i = 0; i < 200; ++i)
                    out.addRow(s, {out.text(mixedText(3000, i))});
                out.commit();
            } catch (const FileWriteError& e) {
                error = e.text();
            }
        }
        QVERIFY2(error.startsWith(QStringLiteral("无法写入文件 ")), qPrintable(error));
        QCOMPARE(readAll(path), before);
        QCOMPARE(QDir(m_dir.path()).entryList(QDir::Files).filter(QStringLiteral("kept")),
                 QStringList{QStringLiteral("kept.xls")});
    }

    void aFileThatCannotBeCreated() {
        QDir(m_dir.path()).mkdir(QStringLiteral("folder.xls"));
        QVERIFY_THROWS_EXCEPTION(FileWriteError,
                                 XlsWriter(m_dir.filePath(QStringLiteral("folder.xls"))));
    }

private:
    static QByteArray readAll(const QString& path) {
        QFile f(path);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

QINTARA_TEST(TestXlsWriter)
#include "tst_xlswriter.moc"

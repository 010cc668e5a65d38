#include "common/testregistry.h"
#include "data/currency.h"

#include <QTest>

class TestCurrency : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<qint64>("units");
        QTest::newRow("whole") << "12345" << true << qint64(123450000);
        QTest::newRow("decimals") << "12345.67" << true << qint64(123456700);
        QTest::newRow("four decimals") << "0.0001" << true << qint64(1);
        QTest::newRow("fifth decimal rounds") << "1.00005" << true << qint64(10001);
        QTest::newRow("negative") << "-2.5" << true << qint64(-25000);
        QTest::newRow("separators and yen") << "￥1,234.50" << true << qint64(12345000);
        QTest::newRow("blank") << "  " << false << qint64(0);
        QTest::newRow("letters") << "12a" << false << qint64(0);
        QTest::newRow("two points") << "1.2.3" << false << qint64(0);
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(bool, ok);
        QFETCH(qint64, units);
        const auto c = Currency::parse(text);
        QCOMPARE(c.has_value(), ok);
        if (ok)
            QCOMPARE(c->units(), units);
    }

    void format_data() {
        QTest::addColumn<qint64>("units");
        QTest::addColumn<QString>("plain");
        QTest::addColumn<QString>("yuan");
        QTest::newRow("zero") << qint64(0) << "0.00"
                              << "￥0.00";
        QTest::newRow("rounds half up") << qint64(12345670) << "1,234.57"
                                        << "￥1,234.57";
        QTest::newRow("millions") << qint64(123456789000) << "12,345,678.90"
                                  << "￥12,345,678.90";
        QTest::newRow("negative") << qint64(-15000) << "-1.50"
                                  << "-￥1.50";
        QTest::newRow("tiny negative shows zero") << qint64(-1) << "0.00"
                                                  << "￥0.00";
    }
    void format() {
        QFETCH(qint64, units);
        QFETCH(QString, plain);
        QFETCH(QString, yuan);
        QCOMPARE(Currency::fromUnits(units).format(), plain);
        QCOMPARE(Currency::fromUnits(units).formatYuan(), yuan);
    }

    void fromDoubleIsExactToFourDecimals() {
        QCOMPARE(Currency::fromDouble(0.1 * 12345.67).units(), qint64(12345670));
        QCOMPARE(Currency::fromDouble(0.1 * 12345.67).toString(), QStringLiteral("1234.567"));
        Currency sum;
        for (int i = 0; i < 10; ++i)
            sum += Currency::fromDouble(0.1);
        QCOMPARE(sum, Currency::fromUnits(10000));
    }
};
QINTARA_TEST(TestCurrency)
#include "tst_currency.moc"

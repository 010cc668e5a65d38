#include "common/testregistry.h"
#include "platform/profilefile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {

QByteArray readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void writeAll(const QString& path, const QByteArray& data) {
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(data);
}

} // namespace

class TestProfileFile : public QObject {
    Q_OBJECT
    QTemporaryDir m_dir;
    QString m_path;

private Q_SLOTS:
    void init() {
        m_path = m_dir.filePath(QStringLiteral("Settings.ini"));
        QFile::remove(m_path);
    }

    void roundTripThroughSeparateObjects() {
        ProfileFile writer(m_path);
        writer.writeInteger("Settings", "First", 1);
        writer.writeInteger("Settings", "DayTXing", 7);
        QCOMPARE(readAll(m_path), QByteArray("[Settings]\nFirst=1\nDayTXing=7\n"));

        ProfileFile reader(m_path);
        QCOMPARE(reader.readInteger("Settings", "DayTXing", 0), 7);
        writer.writeInteger("Settings", "DayTXing", -30);
        QCOMPARE(reader.readInteger("Settings", "DayTXing", 0), -30);
        writer.writeString("其他", "名称", "合同");
        QCOMPARE(ProfileFile(m_path).readString("其他", "名称", {}), QStringLiteral("合同"));
    }

    void readInteger_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::addColumn<int>("expected");
        const int def = -99;
        QTest::newRow("decimal") << QByteArray("[Settings]\nDayTXing=14\n") << 14;
        QTest::newRow("negative") << QByteArray("[Settings]\nDayTXing=-3\n") << -3;
        QTest::newRow("blanks around") << QByteArray("[Settings]\n DayTXing = 5 \n") << 5;
        QTest::newRow("0x") << QByteArray("[Settings]\nDayTXing=0x1F\n") << 31;
        QTest::newRow("0X lower digits") << QByteArray("[Settings]\nDayTXing=0X1f\n") << 31;
        QTest::newRow("dollar") << QByteArray("[Settings]\nDayTXing=$1F\n") << 31;
        QTest::newRow("hex all bits") << QByteArray("[Settings]\nDayTXing=$FFFFFFFF\n") << -1;
        QTest::newRow("case-insensitive names") << QByteArray("[SETTINGS]\ndaytxing=8\n") << 8;
        QTest::newRow("first of two") << QByteArray("[Settings]\nDayTXing=1\nDayTXing=2\n") << 1;
        QTest::newRow("crlf") << QByteArray("[Settings]\r\nDayTXing=9\r\n") << 9;
        QTest::newRow("other section") << QByteArray("[Other]\nDayTXing=9\n[Settings]\n") << def;
        QTest::newRow("missing key") << QByteArray("[Settings]\nFirst=1\n") << def;
        QTest::newRow("empty value") << QByteArray("[Settings]\nDayTXing=\n") << def;
        QTest::newRow("text") << QByteArray("[Settings]\nDayTXing=seven\n") << def;
        QTest::newRow("trailing text") << QByteArray("[Settings]\nDayTXing=7d\n") << def;
        QTest::newRow("fraction") << QByteArray("[Settings]\nDayTXing=7.5\n") << def;
        QTest::newRow("bad hex") << QByteArray("[Settings]\nDayTXing=0x1G\n") << def;
        QTest::newRow("bare prefix") << QByteArray("[Settings]\nDayTXing=$\n") << def;
        QTest::newRow("too large") << QByteArray("[Settings]\nDayTXing=2147483648\n") << def;
        QTest::newRow("commented out") << QByteArray("[Settings]\n;DayTXing=3\n") << def;
    }
    void readInteger() {
        QFETCH(QByteArray, content);
        QFETCH(int, expected);
        writeAll(m_path, content);
        QCOMPARE(ProfileFile(m_path).readInteger("Settings", "DayTXing", -99), expected);
    }

    void missingFileGivesDefault() {
        QCOMPARE(ProfileFile(m_path).readInteger("Settings", "First", 0), 0);
        QCOMPARE(ProfileFile(m_path).readString("Settings", "First", "x"), QStringLiteral("x"));
        QVERIFY(!QFile::exists(m_path));
    }

    void writeKeepsOtherLines_data() {
        QTest::addColumn<QByteArray>("before");
        QTest::addColumn<QByteArray>("after");
        QTest::newRow("replace, names as spelled in the file")
            << QByteArray("; note\n[settings]\nfirst=0\nDayTXing=7\n\n[Other]\nFirst=5\n")
            << QByteArray("; note\n[settings]\nfirst=1\nDayTXing=7\n\n[Other]\nFirst=5\n");
        QTest::newRow("add key after the section's last line")
            << QByteArray("[Settings]\nDayTXing=7\n\n[Other]\nx=1\n")
            << QByteArray("[Settings]\nDayTXing=7\nFirst=1\n\n[Other]\nx=1\n");
        QTest::newRow("add section")
            << QByteArray("[Other]\nx=1") << QByteArray("[Other]\nx=1\n\n[Settings]\nFirst=1\n");
        QTest::newRow("crlf and bom kept")
            << QByteArray("\xEF\xBB\xBF[Settings]\r\nFirst=0\r\nDayTXing=7\r\n")
            << QByteArray("\xEF\xBB\xBF[Settings]\r\nFirst=1\r\nDayTXing=7\r\n");
    }
    void writeKeepsOtherLines() {
        QFETCH(QByteArray, before);
        QFETCH(QByteArray, after);
        writeAll(m_path, before);
        ProfileFile(m_path).writeInteger("Settings", "First", 1);
        QCOMPARE(readAll(m_path), after);
    }

    void writeFailureThrows() {
        // a regular file as the parent folder fails even for root
        const QString blocker = m_dir.filePath(QStringLiteral("notafolder"));
        writeAll(blocker, "x");
        const QString path = blocker + QStringLiteral("/Settings.ini");
        ProfileFile file(path);
        try {
            file.writeInteger("Settings", "First", 1);
            QFAIL("no exception");
        } catch (const ProfileWriteError& e) {
            QCOMPARE(e.text(),
                     QStringLiteral("无法写入设置文件%1。").arg(QDir::toNativeSeparators(path)));
            QCOMPARE(QString::fromUtf8(e.what()), e.text());
        }
    }
};
QINTARA_TEST(TestProfileFile)
#include "tst_profilefile.moc"

// The main window's commands of the output and help: 导出到Excel, 使用帮助, 关于 and the tab
// 在线产品信息.
#include "common/externalreaders.h"
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "data/tdmod.h"
#include "platform/gui/shellopen.h"
#include "platform/paths.h"
#include "shell/tfrmcompactmanager.h"
#include "shellfixture.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QSignalSpy>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QToolButton>

namespace {

// The first column of every row below the captions of the first worksheet.
QStringList exportedNumbers(const QString& path) {
    const QJsonObject book = ExternalReaders::readXls(path);
    QStringList out;
    const QJsonArray rows = book[QStringLiteral("sheets")][0][QStringLiteral("rows")].toArray();
    for (int r = 1; r < rows.size(); ++r)
        out << rows[r].toArray().at(0).toArray().at(1).toString();
    return out;
}

void addPartners(ShellFixture& f) {
    f.addPartner(QStringLiteral("C01"), QStringLiteral("东方电子"), true, false);
    f.addPartner(QStringLiteral("S01"), QStringLiteral("北方钢铁"), false, true);
    f.addPartner(QStringLiteral("S02"), QStringLiteral("南方水泥"), false, true);
    f.addContract(QStringLiteral("HT-003"), QStringLiteral("S01"));
    f.addContract(QStringLiteral("HT-001"), QStringLiteral("S02"));
    f.addContract(QStringLiteral("HT-002"), QStringLiteral("S01"));
    f.addContract(QStringLiteral("HT-004"), QStringLiteral("C01"));
    f.exec(QStringLiteral("UPDATE Compact SET 合同内容 = 'TEXT OF ' || 合同编号"));
}

} // namespace

class TestOutputCommands : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void exportFromTheToolbarAndTheMenu_data() {
        QTest::addColumn<bool>("fromMenu");
        QTest::newRow("toolbar button") << false;
        QTest::newRow("pop-up menu item") << true;
    }
    void exportFromTheToolbarAndTheMenu() {
        QFETCH(bool, fromMenu);
        ShellFixture f;
        addPartners(f);
        QVERIFY(f.start());
        TfrmCompactManager& w = f.main();
        ShellFixture::clickRow(w.wwDBGrid1, 2);
        const QString current = f.dm().TBCompacter->value(QStringLiteral("合同编号")).toString();
        Shell::RecordingOpener opener;
        if (fromMenu)
            w.Excel1->trigger();
        else
            QTest::mouseClick(w.SpeedButton1, Qt::LeftButton);
        const QString path = Paths::mapped(QStringLiteral("C:\\合同表.xls"));
        QCOMPARE(opener.opened, QStringList{path});
        QCOMPARE(exportedNumbers(path), (QStringList{"HT-001", "HT-002", "HT-003", "HT-004"}));
        // the grid stays on its row
        QCOMPARE(f.dm().TBCompacter->value(QStringLiteral("合同编号")).toString(), current);
        QCOMPARE(w.wwDBGrid1->currentIndex().row(), 2);
        QCOMPARE(f.dialogs().count(), 0);
    }

    void aPartnerPageExportsItsContracts() {
        ShellFixture f;
        addPartners(f);
        QVERIFY(f.start());
        TfrmCompactManager& w = f.main();
        ShellFixture::chooseTab(w, 1);
        ShellFixture::clickRow(w.DBGrid1, 0); // 北方钢铁
        Shell::RecordingOpener opener;
        QTest::mouseClick(w.SpeedButton1, Qt::LeftButton);
        const QStringList numbers =
            exportedNumbers(Paths::mapped(QStringLiteral("C:\\合同表.xls")));
        QCOMPARE(numbers.size(), 2);
        QVERIFY(numbers.contains(QStringLiteral("HT-002")) &&
                numbers.contains(QStringLiteral("HT-003")));
        // the texts of the other partners' contracts are nowhere in the file
        QFile file(Paths::mapped(QStringLiteral("C:\\合同表.xls")));
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("TEXT OF HT-002"));
        QVERIFY(!bytes.contains("TEXT OF HT-001"));
        QVERIFY(!bytes.contains("TEXT OF HT-004"));
    }

    // The help document of the working directory, not of the program's folder; when it is
    // missing or nothing opens it, the user is told.
    void help_data() {
        QTest::addColumn<bool>("present");
        QTest::addColumn<bool>("opens");
        QTest::addColumn<QStringList>("opened");
        QTest::addColumn<QString>("told");
        const QString missing = QStringLiteral("找不到帮助文件：\r\n%1");
        const QString unopened =
            QStringLiteral("无法打开帮助文件：\r\n%1\r\n请确认系统中装有能打开.doc文件的程序。");
        QTest::newRow("opened") << true << true << QStringList{"htHelp.doc"} << QString();
        QTest::newRow("missing") << false << true << QStringList() << missing;
        QTest::newRow("nothing opens it") << true << false << QStringList{"htHelp.doc"} << unopened;
    }
    void help() {
        QFETCH(bool, present);
        QFETCH(bool, opens);
        QFETCH(QStringList, opened);
        QFETCH(QString, told);
        ShellFixture f;
        QVERIFY(f.start());
        QTemporaryDir elsewhere;
        const QString document = QDir(elsewhere.path()).filePath(QStringLiteral("htHelp.doc"));
        if (present) {
            QFile file(document);
            QVERIFY(file.open(QIODevice::WriteOnly));
        }
        const QString before = QDir::currentPath();
        QDir::setCurrent(elsewhere.path());
        Shell::RecordingOpener opener;
        opener.succeed = opens;
        f.main().N17->trigger();
        QDir::setCurrent(before);
        for (QString& name : opened)
            name = QDir(elsewhere.path()).filePath(name);
        QCOMPARE(opener.opened, opened);
        if (told.isEmpty()) {
            QCOMPARE(f.dialogs().count(), 0);
            return;
        }
        QCOMPARE(f.dialogs().texts(), QStringList(told.arg(QDir::toNativeSeparators(document))));
        QCOMPARE(f.dialogs().last().caption, QStringLiteral("提示信息"));
        QCOMPARE(f.dialogs().last().icon, Dialogs::Icon::Information);
    }

    void aboutShowsTheAboutBox() {
        ShellFixture f;
        QVERIFY(f.start());
        f.modal.then([](QDialog*) {});
        f.main().N5->trigger();
        QCOMPARE(f.modal.seen.last(), QStringLiteral("AboutFrm"));
    }

    // Every entry into the tab loads the bundled page again.
    void productPageLoadsAtEveryEntry() {
        ShellFixture f;
        QVERIFY(f.start());
        TfrmCompactManager& w = f.main();
        QSignalSpy loads(w.WebBrowser1, &QTextBrowser::sourceChanged);
        ShellFixture::chooseTab(w, 3);
        QVERIFY(w.WebBrowser1->isVisible());
        QVERIFY(w.WebBrowser1->toPlainText().contains(QStringLiteral("Qintara合同管理系统")));
        QVERIFY(w.WebBrowser1->toPlainText().contains(QStringLiteral("导出到Excel")));
        ShellFixture::chooseTab(w, 0);
        ShellFixture::chooseTab(w, 3);
        QCOMPARE(loads.count(), 2);
    }
};

QINTARA_TEST(TestOutputCommands)
#include "tst_outputcommands.moc"

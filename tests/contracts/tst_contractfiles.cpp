// Files kept in the register with their contract, driven through the editor's tab "合同附件":
// added, listed, opened, saved elsewhere, removed; refused when too large; a stopped add.
#include "common/testregistry.h"
#include "components/dbgrid.h"
#include "contracts/contractfilestab.h"
#include "contracts/tformaddcom.h"
#include "editorfixture.h"
#include "platform/gui/shellopen.h"

#include <QApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

namespace {

const QString NotSaved = QStringLiteral("合同保存后才能添加文件。");
const QString AtOnce =
    QStringLiteral("添加或删除文件立即存入数据库，不必按“保存”，按“取消”也不会撤销。");
const QString ViewOnly = QStringLiteral("按“修改”后可以添加或删除文件。");

QByteArray pattern(qint64 size, char seed = 'a') {
    QByteArray bytes(size, Qt::Uninitialized);
    for (qint64 i = 0; i < size; ++i)
        bytes[i] = char(seed + (i * 7 + i / 1000) % 26);
    return bytes;
}

QByteArray readAll(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("(missing)");
}

QStringList row(const DBGrid* grid, int r) {
    QStringList cells;
    for (int c = 0; c < grid->model()->columnCount(); ++c)
        cells << grid->model()->index(r, c).data().toString();
    return cells;
}

void clickRow(DBGrid* grid, int row) {
    grid->scrollTo(grid->model()->index(row, 0));
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
                      grid->visualRect(grid->model()->index(row, 0)).center());
}

// Clicks 停止 on the progress dialog once it is up, from inside the add.
void stopWhenShown(int tries = 1000) {
    QTimer::singleShot(0, [tries] {
        for (QWidget* w : QApplication::topLevelWidgets())
            if (auto* p = qobject_cast<QProgressDialog*>(w); p && p->isVisible()) {
                for (QPushButton* b : p->findChildren<QPushButton*>())
                    if (b->text() == QStringLiteral("停止"))
                        QTest::mouseClick(b, Qt::LeftButton);
                return;
            }
        if (tries > 0)
            stopWhenShown(tries - 1);
    });
}

} // namespace

class TestContractFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void init() { f = std::make_unique<EditorFixture>(); }
    void cleanup() { f.reset(); }

    // A new contract takes files once saved; they stay with it under a new number, and every
    // later opening lists them with their size, date and the operator who added them.
    void addSaveReopen() {
        const QString source = write(QStringLiteral("合同扫描件.pdf"), pattern(100000));
        f->start();
        f->openAdd(QStringLiteral("HT001"));
        f->fillRequired();
        ContractFilesTab& t = tab();
        QVERIFY(!t.AddFileButton->isEnabled());
        QCOMPARE(t.FilesNote->text(), NotSaved);
        EditorFixture::click(f->editor().Button2);
        QVERIFY(t.AddFileButton->isEnabled());
        QCOMPARE(t.FilesNote->text(), AtOnce);

        f->dialogs().nextFileName(source);
        EditorFixture::click(t.AddFileButton);
        QCOMPARE(f->dialogs().count(), 0);
        const int id = f->stored(QStringLiteral("HT001"), QStringLiteral("CompactID")).toInt();
        QCOMPARE(fileRows(), QStringList{QStringLiteral("%1|合同扫描件.pdf|100000|2024-03-15 "
                                                        "09:30:00|管理员")
                                             .arg(id)});
        QCOMPARE(f->scalar(QStringLiteral("SELECT sum(length(Bytes)) FROM CompactFilePart"))
                     .toLongLong(),
                 qint64(100000));
        QCOMPARE(row(t.FilesGrid, 0),
                 QStringList({QStringLiteral("合同扫描件.pdf"), QStringLiteral("97.7 KB"),
                              QStringLiteral("2024-03-15 09:30"), QStringLiteral("管理员")}));

        // a new number: the files stay with the contract
        EditorFixture::type(f->editor().DBEdit1, QStringLiteral("HT001-改"));
        EditorFixture::click(f->editor().Button2);
        EditorFixture::click(f->editor().Button5);
        f->openView(QStringLiteral("HT001-改"));
        QCOMPARE(t.FilesGrid->model()->rowCount(), 1);
        QCOMPARE(row(t.FilesGrid, 0).value(0), QStringLiteral("合同扫描件.pdf"));
        QCOMPARE(t.FilesNote->text(), ViewOnly);
        QVERIFY(!t.AddFileButton->isEnabled());
        QVERIFY(!t.RemoveFileButton->isEnabled());

        // saved elsewhere, byte for byte, while viewing
        const QString target = m_dir.filePath(QStringLiteral("另存.pdf"));
        f->dialogs().nextFileName(target);
        EditorFixture::click(t.SaveFileButton);
        QCOMPARE(f->dialogs().fileRequests.last().caption, QStringLiteral("另存合同文件"));
        QCOMPARE(f->dialogs().fileRequests.last().dir, QStringLiteral("合同扫描件.pdf"));
        QCOMPARE(readAll(target), pattern(100000));
        QCOMPARE(f->dialogs().count(), 0);
    }

    // The viewer gets a copy of the stored bytes, which goes when the editor does.
    void openShowsACopy() {
        const int id = f->addContract(QStringLiteral("HT002"), QStringLiteral("租赁"),
                                      QStringLiteral("KH001"), QStringLiteral("收款"), 10);
        f->addStoredFile(id, QStringLiteral("图纸.png"), pattern(3000, 'k'));
        f->start();
        f->openView(QStringLiteral("HT002"));
        Shell::RecordingOpener opener;
        EditorFixture::click(tab().OpenFileButton);
        QCOMPARE(opener.opened.size(), 1);
        const QString copy = opener.opened.first();
        QVERIFY(copy.endsWith(QStringLiteral("/图纸.png")));
        QVERIFY(copy != f->databasePath());
        QCOMPARE(readAll(copy), pattern(3000, 'k'));
        EditorFixture::click(tab().OpenFileButton); // again, over the first copy
        QCOMPARE(opener.opened.size(), 2);
        QCOMPARE(readAll(opener.opened.last()), pattern(3000, 'k'));
        QCOMPARE(f->dialogs().count(), 0);
        f.reset();
        QVERIFY(!QFile::exists(copy));
    }

    // Removing asks first, No being the default; only Yes removes the file with its bytes.
    void removeAsks_data() {
        QTest::addColumn<int>("answer");
        QTest::addColumn<bool>("removed");
        QTest::newRow("否") << int(Dialogs::Button::No) << false;
        QTest::newRow("Enter") << int(Dialogs::Button::None) << false;
        QTest::newRow("是") << int(Dialogs::Button::Yes) << true;
    }
    void removeAsks() {
        QFETCH(int, answer);
        QFETCH(bool, removed);
        const int id = f->addContract(QStringLiteral("HT003"), QStringLiteral("采购"),
                                      QStringLiteral("KH001"), QStringLiteral("收款"), 10);
        f->addStoredFile(id, QStringLiteral("报价.xlsx"), pattern(1500000));
        f->addStoredFile(id, QStringLiteral("合同.pdf"), pattern(2000));
        f->start();
        f->openView(QStringLiteral("HT003"));
        EditorFixture::click(f->editor().Button6);
        ContractFilesTab& t = tab();
        QCOMPARE(t.FilesNote->text(), AtOnce);
        clickRow(t.FilesGrid, 0);
        if (answer == int(Dialogs::Button::None))
            f->dialogs().pressEnter();
        else
            f->dialogs().answer(Dialogs::Button(answer));
        EditorFixture::click(t.RemoveFileButton);
        QCOMPARE(f->dialogs().count(), 1);
        const Dialogs::Message& asked = f->dialogs().last();
        QCOMPARE(asked.caption, QStringLiteral("删除文件"));
        QCOMPARE(asked.text,
                 QStringLiteral("确实要从数据库中删除文件“报价.xlsx”吗？删除后无法恢复。"));
        QCOMPARE(asked.icon, Dialogs::Icon::Question);
        QCOMPARE(asked.defaultButton, Dialogs::Button::No);
        QCOMPARE(f->count(QStringLiteral("CompactFile")), removed ? 1 : 2);
        QCOMPARE(f->count(QStringLiteral("CompactFilePart")), removed ? 1 : 3);
        QCOMPARE(t.FilesGrid->model()->rowCount(), removed ? 1 : 2);
        // taken at once: cancelling the contract's change does not bring it back
        EditorFixture::click(f->editor().Button3);
        f->openView(QStringLiteral("HT003"));
        QCOMPARE(t.FilesGrid->model()->rowCount(), removed ? 1 : 2);
        QCOMPARE(row(t.FilesGrid, 0).value(0),
                 removed ? QStringLiteral("合同.pdf") : QStringLiteral("报价.xlsx"));
    }

    // A file over 50 MB is refused with its size; nothing is stored.
    void tooLargeRefused() {
        const QString big = m_dir.filePath(QStringLiteral("扫描全本.pdf"));
        QFile file(big);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.resize(50LL * 1024 * 1024 + 1)); // sparse: nothing written
        file.close();
        openForModify();
        f->dialogs().nextFileName(big);
        EditorFixture::click(tab().AddFileButton);
        QCOMPARE(f->dialogs().texts(),
                 QStringList{QStringLiteral(
                     "文件“扫描全本.pdf”有 52,428,801 字节，超过 50 MB，不能存入数据库。")});
        QCOMPARE(f->dialogs().last().caption, QStringLiteral("提示信息"));
        QCOMPARE(f->count(QStringLiteral("CompactFile")), 0);
        QCOMPARE(f->count(QStringLiteral("CompactFilePart")), 0);
        QCOMPARE(tab().FilesGrid->model()->rowCount(), 0);
    }

    // A large add shows its progress; 停止 leaves nothing in the register, and the same file
    // can then be added whole.
    void stoppedAddLeavesNothing() {
        const QString source = write(QStringLiteral("图纸全套.pdf"), pattern(6 * 1024 * 1024 + 5));
        openForModify();
        f->dialogs().nextFileName(source);
        stopWhenShown();
        EditorFixture::click(tab().AddFileButton);
        QCOMPARE(f->dialogs().count(), 0);
        QCOMPARE(f->count(QStringLiteral("CompactFile")), 0);
        QCOMPARE(f->count(QStringLiteral("CompactFilePart")), 0);
        QCOMPARE(tab().FilesGrid->model()->rowCount(), 0);
        QVERIFY(!tab().findChild<QProgressDialog*>() && !f->editor().findChild<QProgressDialog*>());

        f->dialogs().nextFileName(source);
        EditorFixture::click(tab().AddFileButton);
        QCOMPARE(f->count(QStringLiteral("CompactFile")), 1);
        QCOMPARE(f->scalar(QStringLiteral("SELECT 大小 FROM CompactFile")).toLongLong(),
                 qint64(6 * 1024 * 1024 + 5));
        QCOMPARE(f->count(QStringLiteral("CompactFilePart")), 7);
        QCOMPARE(row(tab().FilesGrid, 0).value(1), QStringLiteral("6.0 MB"));
    }

private:
    // The tab, brought to the front as a user clicks it.
    ContractFilesTab& tab() {
        QTabWidget* tabs = f->editor().PageControl1;
        const int index = tabs->indexOf(f->editor().files);
        if (tabs->currentIndex() != index)
            QTest::mouseClick(tabs->tabBar(), Qt::LeftButton, {},
                              tabs->tabBar()->tabRect(index).center());
        return *f->editor().files;
    }

    QString write(const QString& name, const QByteArray& bytes) {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
            qFatal("cannot write %s", qPrintable(path));
        return path;
    }

    // A stored contract in modify mode.
    void openForModify() {
        f->addContract(QStringLiteral("HT009"), QStringLiteral("图纸"), QStringLiteral("KH001"),
                       QStringLiteral("收款"), 10);
        f->start();
        f->openView(QStringLiteral("HT009"));
        EditorFixture::click(f->editor().Button6);
    }

    // CompactID|文件名|大小|添加日期|添加人 of every stored file.
    QStringList fileRows() {
        QStringList rows;
        const int n = f->count(QStringLiteral("CompactFile"));
        for (int i = 0; i < n; ++i)
            rows << f->scalar(QStringLiteral("SELECT CompactID || '|' || 文件名 || '|' || 大小 || "
                                             "'|' || 添加日期 || '|' || 添加人 FROM CompactFile "
                                             "ORDER BY ID LIMIT 1 OFFSET ?"),
                              {i})
                        .toString();
        return rows;
    }

    std::unique_ptr<EditorFixture> f;
    QTemporaryDir m_dir;
};

QINTARA_TEST(TestContractFiles)
#include "tst_contractfiles.moc"

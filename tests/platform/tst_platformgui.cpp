#include "common/testregistry.h"
#include "data/dataerror.h"
#include "platform/dialogs.h"
#include "platform/gui/application.h"
#include "platform/gui/messageboxbackend.h"
#include "platform/gui/modal.h"
#include "platform/gui/shellopen.h"

#include <QCalendarWidget>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QMouseEvent>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QVBoxLayout>

namespace {

// A dialog with an OK button that accepts and an "open" button that shows a child dialog
// modally, recording the child's result.
class Outer : public QDialog {
public:
    QPushButton* ok = new QPushButton(QStringLiteral("确定"), this);
    QPushButton* openChild = new QPushButton(QStringLiteral("打开"), this);
    QDialog child;
    QList<int> childResults;

    Outer() {
        setObjectName(QStringLiteral("outer"));
        child.setWindowTitle(QStringLiteral("子窗口"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(ok);
        layout->addWidget(openChild);
        connect(ok, &QPushButton::clicked, this, &QDialog::accept);
        connect(openChild, &QPushButton::clicked, this,
                [this] { childResults.append(Modal::exec(&child)); });
    }
};

void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

} // namespace

class TestPlatformGui : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Qt's own texts in Chinese whatever the system's language (the run may be under LANG=C).
    void qtTextsInChinese() {
        QMessageBox box(QMessageBox::Question, QStringLiteral("t"), QStringLiteral("x"),
                        QMessageBox::Ok | QMessageBox::Yes | QMessageBox::No);
        const QStringList texts = {box.button(QMessageBox::Ok)->text(),
                                   box.button(QMessageBox::Yes)->text(),
                                   box.button(QMessageBox::No)->text()};
        QFileDialog picker(nullptr, QStringLiteral("打开"));
        picker.setOption(QFileDialog::DontUseNativeDialog);
        QCalendarWidget calendar;
        calendar.setSelectedDate(QDate(2025, 3, 1));
        const QString month = calendar.locale().monthName(3);
        // With QINTARA_SHOTS set to a folder, the three are saved there as pictures.
        if (const QString folder = qEnvironmentVariable("QINTARA_SHOTS"); !folder.isEmpty()) {
            picker.resize(640, 420);
            const std::pair<QWidget*, const char*> shots[] = {
                {&box, "question.png"}, {&picker, "picker.png"}, {&calendar, "calendar.png"}};
            for (const auto& [widget, file] : shots) {
                widget->show();
                QVERIFY(widget->grab().save(QDir(folder).filePath(QLatin1String(file))));
                widget->hide();
            }
        }
        for (const QString& text :
             texts + QStringList{picker.labelText(QFileDialog::Reject),
                                 picker.labelText(QFileDialog::FileType), month}) {
            QString plain = text;
            plain.remove(QRegularExpression(QStringLiteral("\\(&[A-Z]\\)|&")));
            QVERIFY2(!plain.isEmpty() &&
                         !plain.contains(QRegularExpression(QStringLiteral("[A-Za-z]"))),
                     qPrintable(text));
        }
    }
    // On the real box Enter answers a question that deletes or overwrites with No.
    void enterKeepsTheDataOnARealBox() {
        MessageBoxBackend real;
        Dialogs::ScopedBackend scope(&real);
        Modal::ScriptedModal modal;
        QString yesText;
        modal.then([&](QDialog* box) {
            yesText = static_cast<QMessageBox*>(box)->button(QMessageBox::Yes)->text();
            QTest::keyClick(box, Qt::Key_Return);
        });
        QVERIFY(
            !Dialogs::confirmDestructive(QStringLiteral("删除记录"), QStringLiteral("删除吗？")));
        QCOMPARE(modal.pending(), 0);
        QVERIFY2(yesText.contains(QStringLiteral("是")), qPrintable(yesText));
    }

    // The picker's columns in Chinese, whatever the system's locale (the run may be under
    // LANG=C).
    void filePickerColumnsInChinese() {
        QTemporaryDir dir;
        QFile file(dir.filePath(QStringLiteral("合同.doc")));
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write("twelve bytes") == 12);
        file.close();
        QVERIFY(QDir(dir.path()).mkdir(QStringLiteral("旧备份")));
        MessageBoxBackend real;
        Dialogs::ScopedBackend scope(&real);
        Modal::ScriptedModal modal;
        QList<QStringList> rows;
        modal.then([&](QDialog* picker) {
            auto* view = picker->findChild<QTreeView*>(QStringLiteral("treeView"));
            QVERIFY(view);
            const QAbstractItemModel* m = view->model();
            const auto cell = [&](int row, int column) {
                return m->index(row, column, view->rootIndex()).data().toString();
            };
            // the folder is read in the background
            QTRY_VERIFY_WITH_TIMEOUT(m->rowCount(view->rootIndex()) == 2 && !cell(1, 1).isEmpty(),
                                     30000);
            for (int row = 0; row < 2; ++row)
                rows.append({cell(row, 0), cell(row, 1), cell(row, 2), cell(row, 3)});
        });
        QCOMPARE(Dialogs::openFileName(QStringLiteral("打开"), dir.path()), QString());
        QCOMPARE(rows.size(), 2);
        const QLocale chinese(QLocale::Chinese, QLocale::China);
        const auto modified = [&](const QString& name) {
            return chinese.toString(QFileInfo(dir.filePath(name)).lastModified(),
                                    QLocale::ShortFormat);
        };
        QCOMPARE(rows[0],
                 QStringList({QStringLiteral("旧备份"), QString(), QStringLiteral("文件夹"),
                              modified(QStringLiteral("旧备份"))}));
        QCOMPARE(rows[1].value(0), QStringLiteral("合同.doc"));
        QCOMPARE(rows[1].value(1), QStringLiteral("12 字节"));
        QCOMPARE(rows[1].value(3), modified(QStringLiteral("合同.doc")));
    }

    void scriptedModalNested() {
        Outer outer;
        Modal::ScriptedModal modal;
        bool childWasVisible = false;
        modal
            .then([&](QDialog* d) {
                QCOMPARE(d, &outer);
                QVERIFY(d->isVisible());
                click(outer.openChild); // child takes the next action
                click(outer.openChild); // no action left: shown and rejected
                click(outer.ok);
            })
            .then([&](QDialog* d) {
                childWasVisible = d->isVisible();
                d->done(7);
            });
        QCOMPARE(Modal::exec(&outer), int(QDialog::Accepted));
        QVERIFY(childWasVisible);
        QCOMPARE(outer.childResults, QList<int>({7, QDialog::Rejected}));
        QCOMPARE(modal.seen, QStringList({"outer", "子窗口", "子窗口"}));
        QVERIFY(!outer.isVisible());
        QVERIFY(!outer.child.isVisible());
        QCOMPARE(modal.pending(), 0);

        // an action that leaves the window open: closed as cancelled
        modal.then([](QDialog*) {});
        outer.setResult(QDialog::Accepted);
        QCOMPARE(Modal::exec(&outer), int(QDialog::Rejected));
    }

    void deleteOnCloseInsideAction() {
        Modal::ScriptedModal modal;
        auto* dialog = new QDialog;
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        QPointer<QDialog> guard(dialog);
        modal.then([](QDialog* d) { d->accept(); });
        QCOMPARE(Modal::exec(dialog), int(QDialog::Accepted));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(guard.isNull());
    }

    void exceptionFromClickIsShown_data() {
        QTest::addColumn<bool>("throwData");
        QTest::newRow("data error") << true;
        QTest::newRow("std::runtime_error") << false;
    }
    // The delivery that Application::notify runs: a handler's exception becomes the general error
    // display and the button keeps working.
    void exceptionFromClickIsShown() {
        QFETCH(bool, throwData);
        Dialogs::ScopedRecording dialogs;
        QPushButton button(QStringLiteral("保存"));
        button.resize(80, 30);
        button.show();
        int clicks = 0;
        connect(&button, &QPushButton::clicked, this, [&] {
            ++clicks;
            if (throwData)
                throw DataError(DataError::Category::DuplicateKey, QStringLiteral("字段值重复"));
            throw std::runtime_error("无法保存!");
        });

        const QPointF at(10, 10);
        for (int i = 0; i < 2; ++i) {
            QMouseEvent press(QEvent::MouseButtonPress, at, button.mapToGlobal(at), Qt::LeftButton,
                              Qt::LeftButton, Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, at, button.mapToGlobal(at),
                                Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            Application::guardedNotify(&button, &press);
            QVERIFY(!Application::guardedNotify(&button, &release));
            QVERIFY(!button.isDown());
        }
        QCOMPARE(clicks, 2);
        const QString text =
            throwData ? QStringLiteral("字段值重复.") : QStringLiteral("无法保存!");
        QCOMPARE(dialogs.texts(), QStringList({text, text}));
        QCOMPARE(dialogs.last().caption, QStringLiteral("Qintara合同管理系统"));
        QCOMPARE(dialogs.last().icon, Dialogs::Icon::Error);
        QCOMPARE(dialogs.last().buttons, Dialogs::Buttons(Dialogs::Button::Ok));

        // the same outside event delivery
        runGuarded([] { throw std::runtime_error("磁盘已满"); });
        QCOMPARE(dialogs.last().text, QStringLiteral("磁盘已满."));
    }

    void shellOpen_data() {
        QTest::addColumn<QString>("target");
        QTest::addColumn<QUrl>("url");
        QTest::newRow("http") << "http://www.example.com/a?b=1"
                              << QUrl("http://www.example.com/a?b=1");
        QTest::newRow("https") << "https://example.com" << QUrl("https://example.com");
        QTest::newRow("absolute file")
            << "/tmp/合同 1.doc" << QUrl::fromLocalFile("/tmp/合同 1.doc");
        QTest::newRow("relative file")
            << "htHelp.doc" << QUrl::fromLocalFile(QDir::current().filePath("htHelp.doc"));
    }
    void shellOpen() {
        QFETCH(QString, target);
        QFETCH(QUrl, url);
        QCOMPARE(Shell::urlFor(target), url);
        Shell::RecordingOpener opener;
        opener.succeed = false;
        QVERIFY(!Shell::open(target));
        QCOMPARE(opener.opened, QStringList(target));
    }
};
QINTARA_TEST(TestPlatformGui)
#include "tst_platformgui.moc"

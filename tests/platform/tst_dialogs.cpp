#include "common/testregistry.h"
#include "platform/dialogs.h"

#include <QTest>

using Dialogs::Button;
using Dialogs::Buttons;
using Dialogs::Icon;

class TestDialogs : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void cleanup() { Dialogs::setProgramTitle({}); }

    void errorDisplayText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("expected");
        QTest::newRow("plain") << "abc"
                               << "abc.";
        QTest::newRow("dot") << "abc."
                             << "abc.";
        QTest::newRow("exclamation sorts before") << "abc!"
                                                  << "abc!";
        QTest::newRow("space sorts before") << "abc "
                                            << "abc ";
        QTest::newRow("comma sorts before") << "a,"
                                            << "a,";
        QTest::newRow("hyphen sorts before") << "a-"
                                             << "a-";
        QTest::newRow("slash sorts after") << "a/"
                                           << "a/.";
        QTest::newRow("digit") << "error 42"
                               << "error 42.";
        QTest::newRow("chinese") << "中文"
                                 << "中文.";
        QTest::newRow("fullwidth exclamation") << "中文！"
                                               << "中文！";
        QTest::newRow("ideographic full stop") << "中文。"
                                               << "中文。";
        QTest::newRow("fullwidth question mark") << "中文？"
                                                 << "中文？";
        QTest::newRow("fullwidth comma") << "中文，"
                                         << "中文，.";
        QTest::newRow("empty") << ""
                               << "";
    }
    void errorDisplayText() {
        QFETCH(QString, text);
        QFETCH(QString, expected);
        QCOMPARE(Dialogs::errorDisplayText(text), expected);
    }

    void forms() {
        Dialogs::ScopedRecording dialogs;
        // the program's own name, not the executable's
        QCOMPARE(Dialogs::programTitle(), QStringLiteral("Qintara合同管理系统"));
        Dialogs::setProgramTitle(QStringLiteral("qintara"));

        Dialogs::showError(QStringLiteral("磁盘已满"));
        Dialogs::plain(QStringLiteral("备份完成"));
        QCOMPARE(
            Dialogs::message("删除记录", "确定删除吗?", Icon::Question, Button::Yes | Button::No),
            Button::Yes);

        QCOMPARE(dialogs.count(), 3);
        const Dialogs::Message& error = dialogs.shown.at(0);
        QCOMPARE(error.caption, QStringLiteral("qintara"));
        QCOMPARE(error.text, QStringLiteral("磁盘已满."));
        QCOMPARE(error.icon, Icon::Error);
        QCOMPARE(error.buttons, Buttons(Button::Ok));
        const Dialogs::Message& plain = dialogs.shown.at(1);
        QCOMPARE(plain.caption, QStringLiteral("qintara"));
        QCOMPARE(plain.icon, Icon::None);
        QCOMPARE(plain.buttons, Buttons(Button::Ok));
        QCOMPARE(dialogs.last().caption, QStringLiteral("删除记录"));
        QCOMPARE(dialogs.texts(), QStringList({"磁盘已满.", "备份完成", "确定删除吗?"}));
    }

    void unqueuedAnswer_data() {
        QTest::addColumn<Buttons>("offered");
        QTest::addColumn<Button>("expected");
        QTest::newRow("ok") << Buttons(Button::Ok) << Button::Ok;
        QTest::newRow("ok cancel") << (Button::Ok | Button::Cancel) << Button::Ok;
        QTest::newRow("yes no cancel")
            << (Button::Yes | Button::No | Button::Cancel) << Button::Yes;
        QTest::newRow("no cancel") << (Button::No | Button::Cancel) << Button::No;
        QTest::newRow("cancel") << Buttons(Button::Cancel) << Button::Cancel;
    }
    void unqueuedAnswer() {
        QFETCH(Buttons, offered);
        QFETCH(Button, expected);
        Dialogs::ScopedRecording dialogs;
        QCOMPARE(Dialogs::message("c", "t", Icon::Question, offered), expected);
    }

    void queuedAnswersAndFileNames() {
        Dialogs::RecordingBackend outer;
        Dialogs::ScopedBackend outerScope(&outer);
        {
            Dialogs::ScopedRecording dialogs;
            dialogs.answer(Button::No);
            dialogs.answer(Button::Cancel);
            const Buttons yesNoCancel = Button::Yes | Button::No | Button::Cancel;
            QCOMPARE(Dialogs::message("c", "1", Icon::Question, yesNoCancel), Button::No);
            QCOMPARE(Dialogs::message("c", "2", Icon::Question, yesNoCancel), Button::Cancel);
            QCOMPARE(Dialogs::message("c", "3", Icon::Question, yesNoCancel), Button::Yes);
            QCOMPARE(dialogs.pendingAnswers(), 0);

            dialogs.nextFileName(QStringLiteral("/a/合同.doc"));
            QCOMPARE(Dialogs::openFileName("打开", "/a", "Word (*.doc)"),
                     QStringLiteral("/a/合同.doc"));
            QCOMPARE(Dialogs::openFileName(), QString());
            QCOMPARE(dialogs.fileRequests.size(), 2);
            QCOMPARE(dialogs.fileRequests.first().filter, QStringLiteral("Word (*.doc)"));

            dialogs.clear();
            QCOMPARE(dialogs.count(), 0);
        }
        QCOMPARE(Dialogs::backend(), &outer);
        QCOMPARE(outer.count(), 0);
    }
};
QINTARA_TEST(TestDialogs)
#include "tst_dialogs.moc"

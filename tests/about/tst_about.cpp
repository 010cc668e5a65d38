#include "about/taboutfrm.h"
#include "common/testregistry.h"
#include "components/linklabel.h"
#include "platform/buildinfo.h"
#include "platform/gui/modal.h"
#include "platform/gui/shellopen.h"

#include <QGroupBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>

class TestAboutBox : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The same fixed texts at every showing; 确定 closes the box.
    void showTwice() {
        TAboutFrm about;
        for (int showing = 0; showing < 2; ++showing) {
            Modal::ScriptedModal modal;
            QStringList texts;
            modal.then([&texts](QDialog* d) {
                for (QLabel* l : d->findChildren<QLabel*>())
                    texts << l->text();
                QTest::mouseClick(d->findChild<QPushButton*>(QStringLiteral("Button1")),
                                  Qt::LeftButton);
                QVERIFY(!d->isVisible());
            });
            QCOMPARE(Modal::exec(&about), int(QDialog::Accepted));
            QCOMPARE(modal.seen, QStringList{QStringLiteral("AboutFrm")});
            QVERIFY(texts.contains(QStringLiteral("网址：")));
            QVERIFY(texts.contains(TAboutFrm::Address));
            QVERIFY(texts.contains(QStringLiteral("Qintara合同管理系统  版本 ") +
                                   QLatin1String(BuildInfo::version)));
        }
        QCOMPARE(about.windowTitle(), QStringLiteral("关于"));
        QCOMPARE(about.Button1->text(), QStringLiteral("确   定"));
        QCOMPARE(about.palette().color(QPalette::Window), QColor(Qt::white));
        // every piece inside the one group box
        for (QWidget* w : std::initializer_list<QWidget*>{about.Image1, about.Label1, about.Label2,
                                                          about.Label3, about.HttpLabel})
            QCOMPARE(w->parentWidget(), about.GroupBox1);
    }

    void theIconIsShown() {
        TAboutFrm about;
        QVERIFY(!about.Image1->pixmap().isNull());
        QCOMPARE(about.Image1->pixmap().size(), QSize(64, 64));
    }

    void theAddressOpensInTheBrowser() {
        TAboutFrm about;
        about.show();
        QVERIFY(QTest::qWaitForWindowExposed(&about));
        QCOMPARE(about.HttpLabel->cursor().shape(), Qt::PointingHandCursor);
        QVERIFY(about.HttpLabel->font().underline());
        QCOMPARE(about.HttpLabel->palette().color(QPalette::WindowText), QColor(Qt::blue));
        Shell::RecordingOpener opener;
        QTest::mouseClick(about.HttpLabel, Qt::LeftButton);
        QCOMPARE(opener.opened, QStringList{TAboutFrm::Address});
    }
};

QINTARA_TEST(TestAboutBox)
#include "tst_about.moc"

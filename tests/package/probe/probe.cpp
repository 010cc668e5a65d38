// Loaded into the installed program by Qt itself (QT_QPA_GENERIC_PLUGINS=qintaraprobe), it acts
// as the user at the screen: it notes each message box and the login window as they appear,
// answers the boxes from $QINTARA_PROBE_ANSWERS ("yes,no,cancel,ok" in order), and leaves the
// login with its "退出" button. What it saw goes to the file $QINTARA_PROBE_REPORT, one line each.
#include <QComboBox>
#include <QFile>
#include <QGenericPlugin>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {

QMessageBox::StandardButton button(const QString& answer) {
    if (answer == QLatin1String("yes"))
        return QMessageBox::Yes;
    if (answer == QLatin1String("no"))
        return QMessageBox::No;
    if (answer == QLatin1String("cancel"))
        return QMessageBox::Cancel;
    return QMessageBox::Ok;
}

class Probe : public QObject {
public:
    Probe()
        : m_answers(qEnvironmentVariable("QINTARA_PROBE_ANSWERS")
                        .split(QLatin1Char(','), Qt::SkipEmptyParts)) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* window = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::Show && window && window->isWindow())
            // after the window's own show handling, as a person sees it
            QTimer::singleShot(0, window, [this, window] { seen(window); });
        return false;
    }

private:
    void seen(QWidget* window) {
        if (auto* box = qobject_cast<QMessageBox*>(window)) {
            report({QStringLiteral("box"), box->windowTitle(), box->text()});
            const QString answer = m_answers.isEmpty() ? QString() : m_answers.takeFirst();
            if (QAbstractButton* b = box->button(button(answer)))
                QTest::mouseClick(b, Qt::LeftButton);
            else
                box->reject(); // the answer the test asked for is not offered: the test says so
        } else if (window->objectName() == QLatin1String("Login")) {
            auto* users = window->findChild<QComboBox*>(QStringLiteral("UserName"));
            QStringList names;
            for (int i = 0; users && i < users->count(); ++i)
                names << users->itemText(i);
            report({QStringLiteral("login"), window->windowTitle(), names.join(QLatin1Char(','))});
            QTest::mouseClick(window->findChild<QPushButton*>(QStringLiteral("BtNo")),
                              Qt::LeftButton);
        }
    }

    static void report(const QStringList& fields) {
        QFile file(qEnvironmentVariable("QINTARA_PROBE_REPORT"));
        if (file.open(QIODevice::Append))
            file.write(fields.join(QLatin1Char('|')).toUtf8().replace('\n', "\\n") + '\n');
    }

    QStringList m_answers;
};

} // namespace

class ProbePlugin : public QGenericPlugin {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID QGenericPluginFactoryInterface_iid FILE "probe.json")
public:
    QObject* create(const QString& key, const QString&) override {
        if (key != QLatin1String("qintaraprobe"))
            return nullptr;
        auto* probe = new Probe;
        QCoreApplication::instance()->installEventFilter(probe);
        return probe;
    }
};

#include "probe.moc"

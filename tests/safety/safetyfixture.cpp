#include "safetyfixture.h"

#include "data/database.h"
#include "data/tdmod.h"
#include "platform/paths.h"
#include "safety/thfu.h"
#include "shell/tfrmcompactmanager.h"

#include <QAction>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QListWidget>
#include <QPushButton>
#include <QSqlQuery>
#include <QTest>
#include <QTreeWidget>

SafetyFixture::SafetyFixture() {
    QDir().mkpath(Paths::mapped(QStringLiteral("D:\\")));
}

void SafetyFixture::addContracts() {
    for (const char* number : {"HT-002", "HT-001", "HT-003"})
        addReceivable(addContract(QString::fromUtf8(number)), 100);
}

QString SafetyFixture::real(const QString& windowsPath) {
    return Paths::mapped(windowsPath);
}

namespace {
QStringList valuesIn(const QString& path, const QString& sql) {
    Database db;
    db.open(path);
    QSqlQuery q = db.prepare(sql);
    Database::exec(q);
    QStringList values;
    while (q.next())
        values << q.value(0).toString();
    return values;
}
} // namespace

QStringList SafetyFixture::numbersIn(const QString& path) {
    return valuesIn(path, QStringLiteral("SELECT 合同编号 FROM Compact ORDER BY 合同编号"));
}

QStringList SafetyFixture::operatorsIn(const QString& path) {
    return valuesIn(path, QStringLiteral("SELECT OperatorName FROM Operator ORDER BY OperatorID"));
}

QStringList SafetyFixture::besideRegister() const {
    const QFileInfo live(databasePath());
    QStringList names = QDir(live.path()).entryList(QDir::Files | QDir::Hidden, QDir::Name);
    names.removeAll(live.fileName());
    return names;
}

QByteArray SafetyFixture::bytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void SafetyFixture::inBackup(const std::function<void(QDialog*)>& action) {
    modal.then(action);
    main().N10->trigger();
}

void SafetyFixture::inRestore(const std::function<void(QDialog*)>& action) {
    modal.then(action);
    main().N11->trigger();
}

void SafetyFixture::backupNow() {
    inBackup([](QDialog* window) { press(window); });
}

bool SafetyFixture::restoreFile(const QString& file, const QString& folder) {
    bool open = false;
    inRestore([&](QDialog* window) {
        auto* w = qobject_cast<THFu*>(window);
        QVERIFY(w);
        if (!folder.isEmpty()) {
            chooseDrive(w->DriveComboBox1, folder.left(2));
            activateFolder(w->DirectoryListBox1, folder);
        }
        clickFile(w->FileListBox1, file);
        press(w);
        open = w->isVisible();
    });
    return open;
}

QStringList SafetyFixture::column(Dataset* ds, const QString& field) {
    QStringList values;
    for (ds->first(); !ds->eof(); ds->next())
        values << ds->fieldByName(field)->asString();
    ds->first();
    return values;
}

QStringList SafetyFixture::contractsShown() const {
    return column(dm().TBCompacter, QStringLiteral("合同编号"));
}

// With the keyboard, as a user does without opening the list.
void SafetyFixture::chooseDrive(QComboBox* drives, const QString& drive) {
    drives->setFocus();
    while (drives->currentIndex() > 0)
        QTest::keyClick(drives, Qt::Key_Up);
    while (drives->currentText() != drive && drives->currentIndex() < drives->count() - 1)
        QTest::keyClick(drives, Qt::Key_Down);
    QCOMPARE(drives->currentText(), drive);
}

void SafetyFixture::activateFolder(QTreeWidget* folders, const QString& windowsPath) {
    QTreeWidgetItem* found = nullptr;
    for (QTreeWidgetItemIterator it(folders); *it; ++it)
        if ((*it)->data(0, Qt::UserRole).toString() == windowsPath)
            found = *it;
    QVERIFY2(found, qPrintable(windowsPath));
    const QPoint at = folders->visualItemRect(found).center();
    QTest::mouseClick(folders->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(folders->viewport(), Qt::LeftButton, {}, at);
}

void SafetyFixture::clickFile(QListWidget* files, const QString& name) {
    const QList<QListWidgetItem*> items = files->findItems(name, Qt::MatchExactly);
    QCOMPARE(items.size(), 1);
    QTest::mouseClick(files->viewport(), Qt::LeftButton, {},
                      files->visualItemRect(items.first()).center());
}

QStringList SafetyFixture::names(QListWidget* files) {
    QStringList result;
    for (int i = 0; i < files->count(); ++i)
        result << files->item(i)->text();
    return result;
}

void SafetyFixture::press(QDialog* window, const char* button) {
    auto* b = window->findChild<QPushButton*>(QString::fromUtf8(button));
    QVERIFY(b);
    QTest::mouseClick(b, Qt::LeftButton);
}

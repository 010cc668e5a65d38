#include "benchprogram.h"

#include "benchutil.h"
#include "platform/gui/modal.h"
#include "platform/paths.h"

#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QPushButton>
#include <cstdlib>

namespace Bench {

ProgramRoot::ProgramRoot(const QString& db, Register how) {
    const QString folder = dir.filePath(QStringLiteral("C/Zanbook"));
    QDir().mkpath(folder);
    const QString target = QDir(folder).filePath(QStringLiteral("Hestrel.mdb"));
    const QString source = QFileInfo(db).absoluteFilePath();
    if (!(how == Register::Linked ? QFile::link(source, target) : QFile::copy(source, target))) {
        note(QStringLiteral("cannot place the register in %1").arg(folder));
        std::exit(1);
    }
    QFile settings(settingsFile());
    if (!settings.open(QIODevice::WriteOnly) ||
        settings.write("[Settings]\nFirst=1\nDayTXing=7\n") < 0) {
        note(QStringLiteral("cannot write %1").arg(settingsFile()));
        std::exit(1);
    }
}

void useRoot(const QString& root) {
    Paths::setRoot(root);
    Paths::setSettingsFile(QDir(root).filePath(QStringLiteral("Settings.ini")));
}

Windows::Windows() {
    clock.start();
    Modal::setRunner([this](QDialog* dialog) { return run(dialog); });
}

Windows::~Windows() {
    Modal::setRunner({});
}

int Windows::run(QDialog* dialog) {
    if (dialog->objectName() == QLatin1String("Login")) {
        dialog->show(); // the showing fills the list of names
        auto* names = dialog->findChild<QComboBox*>(QStringLiteral("UserName"));
        names->setCurrentIndex(names->findText(QStringLiteral("管理员")));
        dialog->findChild<QLineEdit*>(QStringLiteral("Password"))->clear();
        dialog->findChild<QPushButton*>(QStringLiteral("BtYes"))->click();
        if (dialog->isVisible())
            dialog->reject();
        return dialog->result();
    }
    if (auto it = handlers.find(dialog->objectName()); it != handlers.end())
        return it->second(dialog);
    const bool reminders = dialog->objectName() == QLatin1String("TiX");
    if (reminders)
        decided = clock.nsecsElapsed(); // the check has decided to show it
    dialog->show();
    QApplication::processEvents();
    if (!reminders)
        decided = clock.nsecsElapsed();
    else
        shown = clock.nsecsElapsed();
    dialog->reject();
    return QDialog::Rejected;
}

double Windows::since(qint64 start, qint64 mark) const {
    return double((mark >= 0 ? mark : clock.nsecsElapsed()) - start) / 1e9;
}

} // namespace Bench

#include "firststart.h"

#include "platform/dialogs.h"
#include "platform/paths.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QProcess>

namespace {

const QString Caption = QStringLiteral("Qintara合同管理系统");

// Wait cursor for the time the tool runs; the demo takes a moment.
class BusyCursor {
public:
    BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~BusyCursor() { QApplication::restoreOverrideCursor(); }
    BusyCursor(const BusyCursor&) = delete;
    BusyCursor& operator=(const BusyCursor&) = delete;
};

} // namespace

bool FirstStart::prepare() {
    if (!Paths::installed())
        return true;
    // a missing folder would read as "cannot write" when the first-run values are written
    QDir().mkpath(QFileInfo(Paths::settingsFile()).absolutePath());
    const QString path = Paths::databaseFile();
    return QFileInfo::exists(path) || offerRegister(path);
}

bool FirstStart::offerRegister(const QString& path) {
    const QString question =
        QStringLiteral(
            "还没有合同登记库：\n%1\n\n"
            "是否创建演示库？演示库含示例合同和往来单位，可用“管理员”（密码为空）登录。\n\n"
            "选择“是”创建演示库，选择“否”创建空登记库，选择“取消”退出程序。")
            .arg(QDir::toNativeSeparators(path));
    const Dialogs::Button answer =
        Dialogs::message(Caption, question, Dialogs::Icon::Question,
                         Dialogs::Button::Yes | Dialogs::Button::No | Dialogs::Button::Cancel);
    if (answer != Dialogs::Button::Yes && answer != Dialogs::Button::No)
        return false;
    const QString command =
        answer == Dialogs::Button::Yes ? QStringLiteral("demo") : QStringLiteral("init");
    const QString problem = createRegister(command, path);
    if (problem.isEmpty())
        return true;
    Dialogs::message(Caption,
                     QStringLiteral("无法创建合同登记库：\n%1\n\n%2")
                         .arg(QDir::toNativeSeparators(path), problem),
                     Dialogs::Icon::Error, Dialogs::Button::Ok);
    return false;
}

QString FirstStart::createRegister(const QString& command, const QString& path) {
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder))
        return QStringLiteral("无法创建文件夹 %1。").arg(QDir::toNativeSeparators(folder));
    const QString tool = QDir(Paths::programFolder()).filePath(QStringLiteral("qintara-db"));
    BusyCursor busy;
    QProcess process;
    process.start(tool, {command, path});
    if (!process.waitForStarted())
        return QStringLiteral("找不到程序 %1。").arg(QDir::toNativeSeparators(tool));
    process.waitForFinished(-1);
    if (process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
        return {};
    // the tool's own words say what went wrong (a full disk, a folder that cannot be made)
    return QString::fromUtf8(process.readAllStandardError()).trimmed();
}

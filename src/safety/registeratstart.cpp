#include "registeratstart.h"

#include "data/registerbackup.h"
#include "data/registerlock.h"
#include "data/registerrestore.h"
#include "platform/dialogs.h"
#include "platform/paths.h"

namespace {

using Recovered = RegisterRestore::Recovered;

QString toldAfter(Recovered outcome) {
    switch (outcome) {
    case Recovered::Restored:
        return QStringLiteral("上次的数据恢复在最后几步被中断，恢复已经完成：\r\n"
                              "数据库现为所恢复的备份数据。");
    case Recovered::PutBack:
        return QStringLiteral("上次的数据恢复被中断，原来的数据库已放回：\r\n"
                              "所选的备份数据没有恢复。");
    case Recovered::Untouched:
        return QStringLiteral("上次的数据恢复被中断，数据库未作改动：\r\n"
                              "所选的备份数据没有恢复。");
    case Recovered::Nothing:
        break;
    }
    return {};
}

} // namespace

namespace RegisterAtStart {

bool prepare(RegisterLock& lock) {
    const QString live = Paths::databaseFile();
    RegisterLock::Holder holder;
    if (!lock.acquire(live, &holder)) {
        Dialogs::message(QStringLiteral("警告"),
                         QStringLiteral("数据库 C:\\Zanbook\\Hestrel.mdb 正由另一个合同管理程序使用"
                                        "（计算机 %1，进程 %2）。\r\n同一个数据库只能由一个程序"
                                        "打开，请先关闭那个程序。")
                             .arg(holder.host)
                             .arg(holder.pid),
                         Dialogs::Icon::Warning, Dialogs::Button::Ok);
        return false;
    }
    // a restore stopped half-way is finished or undone before anything looks at the register
    if (const QString told = toldAfter(RegisterRestore::recover(live)); !told.isEmpty())
        Dialogs::message(QStringLiteral("数据恢复"), told, Dialogs::Icon::Information,
                         Dialogs::Button::Ok);
    RegisterBackup::removeLeftovers(Paths::backupFolder());
    return true;
}

} // namespace RegisterAtStart

#include "sqlitereason.h"

#include <sqlite3.h>

namespace SqliteReason {

QString text(int resultCode) {
    switch (resultCode & 0xff) {
    case SQLITE_FULL:
        return QStringLiteral("磁盘空间不足");
    case SQLITE_CANTOPEN:
        return QStringLiteral("无法打开数据库文件");
    case SQLITE_BUSY:
    case SQLITE_LOCKED:
        return QStringLiteral("数据库正被另一个程序使用，请稍后再试");
    case SQLITE_READONLY:
    case SQLITE_PERM:
    case SQLITE_AUTH:
        return QStringLiteral("没有写入权限");
    case SQLITE_IOERR:
        return QStringLiteral("磁盘读写错误");
    case SQLITE_CORRUPT:
        return QStringLiteral("文件已损坏");
    case SQLITE_NOTADB:
        return QStringLiteral("不是数据库文件");
    case SQLITE_NOMEM:
        return QStringLiteral("内存不足");
    case SQLITE_TOOBIG:
        return QStringLiteral("数据过大");
    default:
        return QStringLiteral("数据库错误（代码 %1）").arg(resultCode);
    }
}

} // namespace SqliteReason

#include "chinesefilecolumns.h"

#include <QFileSystemModel>
#include <QLocale>

namespace {
enum Column { Name, Size, Type, Modified };
}

QVariant ChineseFileColumns::data(const QModelIndex& index, int role) const {
    const auto* files = qobject_cast<const QFileSystemModel*>(sourceModel());
    if (role != Qt::DisplayRole || !files || index.column() == Name)
        return QIdentityProxyModel::data(index, role);
    const QFileInfo info = files->fileInfo(mapToSource(index));
    const QLocale language; // the program's, set at start
    switch (index.column()) {
    case Size:
        // "KB" as on a Chinese desktop, rather than "KiB"
        return info.isDir()
                   ? QString()
                   : language.formattedDataSize(info.size(), 2, QLocale::DataSizeTraditionalFormat);
    case Type:
        return info.isDir() ? QStringLiteral("文件夹") : QIdentityProxyModel::data(index, role);
    case Modified:
        return language.toString(info.lastModified(), QLocale::ShortFormat);
    default:
        return QIdentityProxyModel::data(index, role);
    }
}

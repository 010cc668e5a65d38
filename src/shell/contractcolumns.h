#pragma once
// The columns every contract grid of the main window shows, widths in characters.
#include "data/datasetmodel.h"

inline QList<DatasetModel::Column> contractColumns() {
    auto column = [](const char* name, int width) {
        const QString field = QString::fromUtf8(name);
        return DatasetModel::Column{field, field, width};
    };
    return {column("合同编号", 18), column("合同名称", 38), column("往来单位", 40),
            column("合同金额", 20), column("签订日期", 18), column("收付类型", 10),
            column("所属部门", 20), column("责任人", 20)};
}

#include "contractchecks.h"

#include "data/dataset.h"
#include "editorparts.h"

namespace ContractChecks {

std::optional<QString> term(const Dataset& contracts) {
    const QDate start = contracts.value(QStringLiteral("开始日期")).toDate();
    const QDate end = contracts.value(QStringLiteral("截止日期")).toDate();
    if (start.isValid() && end.isValid() && end < start)
        return QStringLiteral("合同截止日期早于合同开始日期，请检查这两个日期！");
    return std::nullopt;
}

std::optional<QString> direction(const QString& direction, bool hasReceivables, bool hasPayables) {
    const std::pair<bool, QString> kinds[] = {{hasReceivables, EditorParts::Receipt},
                                              {hasPayables, EditorParts::Payment}};
    for (const auto& [has, kind] : kinds)
        if (has && direction != kind)
            return QStringLiteral("该合同已有%1记录，收付类型不能改为“%2”。如需修改，请先改回“%1”"
                                  "并删除全部%1记录。")
                .arg(kind, direction);
    return std::nullopt;
}

} // namespace ContractChecks

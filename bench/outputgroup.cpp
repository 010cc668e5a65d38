// The spreadsheet export of the whole contract list, as the main window's 导出到Excel writes it
// (on the benchmark register a list long enough for two worksheets).
#include "benchgroups.h"
#include "benchutil.h"
#include "data/tdmod.h"
#include "output/spreadsheetexport.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <memory>
#include <vector>

namespace Bench {

void runOutputGroup(const Context& ctx) {
    auto dm = std::make_unique<TDMod>(ctx.db);
    dm->TBCompacter->setSort(QStringLiteral("合同编号")); // the order of the first tab
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("合同表.xls"));
    const SpreadsheetExport::Definition contracts = SpreadsheetExport::contractList(*dm);
    std::vector<double> cli, exports;
    for (int i = 0; i < Repeats; ++i) {
        cli.push_back(sqliteCli(ctx));
        exports.push_back(seconds([&] { SpreadsheetExport::write(contracts, path); }));
    }
    note(QStringLiteral("%1 contracts written to %2 MB")
             .arg(dm->TBCompacter->recordCount())
             .arg(QFileInfo(path).size() / 1048576.0, 0, 'f', 1));
    const double cliS = best("sqlite_cli_s", cli);
    const double exportS = best("export_contracts_s", exports);
    print("export_contracts_s", exportS, 3);
    print("export_contracts_ratio", exportS / cliS, 2);
}

} // namespace Bench

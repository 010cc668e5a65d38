// The data layer on its own: opening the data module and the contract list, moving between
// contracts with their schedules, saving a contract.
#include "benchgroups.h"
#include "benchutil.h"
#include "data/tdmod.h"

#include <algorithm>
#include <cstdlib>
#include <memory>
#include <vector>

namespace Bench {

namespace {
constexpr int Moves = 200;
}

void runDataGroup(const Context& ctx) {
    std::vector<double> cli;
    // The data module as the program starts it: every dataset opened.
    std::unique_ptr<TDMod> dm;
    const double openAll = seconds([&] {
        dm = std::make_unique<TDMod>(ctx.db);
        dm->openAll();
    });
    Dataset* c = dm->TBCompacter;
    const int contracts = c->recordCount();

    // The contract list on its own: TBServer and TBYinHuaShui stay open; the list is opened
    // and every row's looked-up and calculated fields are read once, as a grid shows them.
    const Field* derived[] = {c->fieldByName(QStringLiteral("往来单位")),
                              c->fieldByName(QStringLiteral("印花税率")),
                              c->fieldByName(QStringLiteral("印花税"))};
    double checksum = 0;
    std::vector<double> openContracts;
    for (int i = 0; i < Repeats; ++i) {
        cli.push_back(sqliteCli(ctx));
        c->close();
        openContracts.push_back(seconds([&] {
            c->open();
            for (int row = 0; row < c->recordCount(); ++row) {
                checksum += c->valueAt(row, derived[0]).toString().size();
                checksum += c->valueAt(row, derived[1]).toDouble();
                checksum += c->valueAt(row, derived[2]).toDouble();
            }
        }));
    }

    // Moving to another contract and reading its schedule, averaged over many contracts.
    Dataset* schedules[] = {dm->TBSKJiLu, dm->TBFKJiLu};
    const Field* amounts[2][2] = {{schedules[0]->fieldByName(QStringLiteral("应收金额")),
                                   schedules[0]->fieldByName(QStringLiteral("实收金额"))},
                                  {schedules[1]->fieldByName(QStringLiteral("应付金额")),
                                   schedules[1]->fieldByName(QStringLiteral("实付金额"))}};
    int instalments = 0;
    std::vector<double> scheduleMs;
    for (int round = 0; round < Repeats; ++round) {
        scheduleMs.push_back(seconds([&] {
                                 for (int i = 0; i < Moves; ++i) {
                                     c->setRecNo(1 + int((qint64(round * Moves + i) * 7919 + 13) %
                                                         std::max(contracts, 1)));
                                     for (int side = 0; side < 2; ++side) {
                                         Dataset* s = schedules[side];
                                         for (s->first(); !s->eof(); s->next()) {
                                             checksum += amounts[side][0]->asCurrency().toDouble() +
                                                         amounts[side][1]->asCurrency().toDouble();
                                             ++instalments;
                                         }
                                     }
                                 }
                             }) *
                             1000.0 / Moves);
    }

    // Saving a changed contract name; the after-save rule shows the list again. Changed and
    // changed back (an even number of saves), so the register ends as it was.
    std::vector<double> saves;
    c->setRecNo(std::max(contracts / 2, 1));
    const QString name = c->value(QStringLiteral("合同名称")).toString();
    const QString changed = name.left(45) + QStringLiteral("（修订）");
    for (int i = 0; i < Repeats + 1; ++i) {
        cli.push_back(sqliteCli(ctx));
        saves.push_back(seconds([&] {
            c->edit();
            c->fieldByName(QStringLiteral("合同名称"))->setValue(i % 2 == 0 ? changed : name);
            if (!c->post()) {
                note(QStringLiteral("the save was refused"));
                std::exit(1);
            }
        }));
    }

    note(QStringLiteral("%1 contracts; %2 instalments read in %3 moves; checksum %4")
             .arg(contracts)
             .arg(instalments)
             .arg(Repeats * Moves)
             .arg(checksum, 0, 'f', 2));
    const double cliS = best("sqlite_cli_s", cli);
    const double openContractsS = best("open_contracts_s", openContracts);
    const double saveS = best("save_contract_s", saves);
    print("sqlite_cli_s", cliS, 3);
    print("open_contracts_s", openContractsS, 3);
    print("open_contracts_ratio", openContractsS / cliS, 2);
    print("open_all_s", openAll, 3);
    print("schedule_ms", best("schedule_ms", scheduleMs), 3);
    print("save_contract_s", saveS, 3);
    print("save_contract_ratio", saveS / cliS, 2);
    print("peak_rss_mb", peakRssMb(), 1);
}

} // namespace Bench

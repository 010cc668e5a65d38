// qintara-bench: times the data layer on a large register against the sqlite3 command-line tool.
// Prints one "name: value" line per figure on stdout; notes go to stderr.
//
// Each timed step runs several times, interleaved with runs of the sqlite3 reference, and the
// best time of each counts: on a shared machine the best run is the one least disturbed by
// other work, and interleaving exposes both sides to the same conditions.
// QINTARA_BENCH_VERBOSE=1 lists every sample on stderr.
#include "data/tdmod.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStandardPaths>
#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <vector>

namespace {

constexpr int Repeats = 5;
constexpr int Moves = 200;

void note(const QString& text) {
    std::fprintf(stderr, "qintara-bench: %s\n", qUtf8Printable(text));
}

double best(const char* name, const std::vector<double>& samples) {
    if (qEnvironmentVariableIsSet("QINTARA_BENCH_VERBOSE")) {
        QStringList all;
        for (double x : samples)
            all << QString::number(x, 'f', 4);
        note(QStringLiteral("%1 samples: %2").arg(QLatin1String(name), all.join(QLatin1Char(' '))));
    }
    return *std::min_element(samples.begin(), samples.end());
}

double seconds(const std::function<void()>& work) {
    QElapsedTimer t;
    t.start();
    work();
    return double(t.nsecsElapsed()) / 1e9;
}

void print(const char* name, double value, int decimals) {
    std::printf("%s: %.*f\n", name, decimals, value);
    std::fflush(stdout);
}

// Peak resident set of this process, in MB.
double peakRssMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

// The sqlite3 command-line tool printing the whole contract table to /dev/null.
double sqliteCli(const QString& sqlite3, const QString& db) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setProgram(sqlite3);
    p.setArguments({QStringLiteral("-batch"), db, QStringLiteral("select * from Compact")});
    QElapsedTimer t;
    t.start();
    p.start();
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        note(QStringLiteral("sqlite3 failed: %1").arg(QString::fromUtf8(p.readAllStandardError())));
        std::exit(1);
    }
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 2) {
        std::fputs("usage: qintara-bench REGISTER\n", stderr);
        return 2;
    }
    const QString db = args[1];
    if (!QFileInfo(db).isFile()) {
        note(QStringLiteral("%1 does not exist").arg(db));
        return 1;
    }
    QString sqlite3 = qEnvironmentVariable("QINTARA_SQLITE3");
    if (sqlite3.isEmpty())
        sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (sqlite3.isEmpty()) {
        note(QStringLiteral("the sqlite3 command-line tool is missing (package sqlite3)"));
        return 1;
    }

    // One untimed reference run brings the file into the page cache, so that every figure
    // below reads it from memory.
    std::vector<double> cli;
    sqliteCli(sqlite3, db);

    // The data module as the program starts it: every dataset opened.
    std::unique_ptr<TDMod> dm;
    const double openAll = seconds([&] { dm = std::make_unique<TDMod>(db); });
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
        cli.push_back(sqliteCli(sqlite3, db));
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

    // Saving a changed contract name; the after-save rule re-reads the list. Changed and
    // changed back (an even number of saves), so the register ends as it was.
    std::vector<double> saves;
    c->setRecNo(std::max(contracts / 2, 1));
    const QString name = c->value(QStringLiteral("合同名称")).toString();
    const QString changed = name.left(45) + QStringLiteral("（修订）");
    for (int i = 0; i < Repeats + 1; ++i) {
        cli.push_back(sqliteCli(sqlite3, db));
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
    return 0;
}

// qintara-bench: times the program on a large register against the sqlite3 command-line tool.
// Prints one "name: value" line per figure on stdout; notes go to stderr.
//
// Figures come in groups, each run in a process of its own (so peak memory is the group's):
// "qintara-bench REGISTER GROUP"; "qintara-bench --groups" lists them in order.
// Each timed step runs several times, interleaved with runs of the sqlite3 reference, and the
// best time of each counts: on a shared machine the best run is the one least disturbed by
// other work, and interleaving exposes both sides to the same conditions.
// QINTARA_BENCH_VERBOSE=1 lists every sample on stderr.
#include "benchgroups.h"
#include "benchutil.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <cstdio>

using namespace Bench;

namespace {

struct Group {
    const char* name;
    void (*run)(const Context&);
};

// In the order bench/run prints them.
const Group groups[] = {
    {"data", runDataGroup},     {"search", runSearchGroup}, {"money", runMoneyGroup},
    {"output", runOutputGroup}, {"safety", runSafetyGroup}, {"session", runSessionGroup},
    {"server", runServerGroup},
};

} // namespace

int main(int argc, char** argv) {
    if (argc == 2 && qstrcmp(argv[1], "--groups") == 0) {
        for (const Group& g : groups)
            std::printf("%s\n", g.name);
        return 0;
    }
    // Groups that drive windows need a GUI application; bench/run makes it offscreen.
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() == 4 && args[2] == QLatin1String("server-saver")) { // a server group operator
        runServerSaver(args[3].toInt());
        return 0;
    }
    if (args.size() != 3) {
        std::fputs("usage: qintara-bench REGISTER GROUP | --groups\n", stderr);
        return 2;
    }
    Context ctx{args[1], qEnvironmentVariable("QINTARA_SQLITE3")};
    if (!QFileInfo(ctx.db).isFile()) {
        note(QStringLiteral("%1 does not exist").arg(ctx.db));
        return 1;
    }
    if (ctx.sqlite3.isEmpty())
        ctx.sqlite3 = QStandardPaths::findExecutable(QStringLiteral("sqlite3"));
    if (ctx.sqlite3.isEmpty()) {
        note(QStringLiteral("the sqlite3 command-line tool is missing (package sqlite3)"));
        return 1;
    }
    for (const Group& g : groups)
        if (args[2] == QLatin1String(g.name)) {
            if (isStartupChild()) {
                g.run(ctx);
                return 0;
            }
            // Every group works on a copy: opening a register brings one made by an earlier
            // version up to date, and the cached register is never written.
            QTemporaryDir work;
            const QString copy = work.filePath(QStringLiteral("register.db"));
            if (!work.isValid() || !QFile::copy(ctx.db, copy)) {
                note(QStringLiteral("cannot copy %1 to work on").arg(ctx.db));
                return 1;
            }
            ctx.db = copy;
            // One untimed reference run brings the file into the page cache, so that every
            // figure reads it from memory.
            sqliteCli(ctx);
            g.run(ctx);
            return 0;
        }
    note(QStringLiteral("no group %1").arg(args[2]));
    return 2;
}

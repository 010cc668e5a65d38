// The program's own path on a large register: start-up until the login dialog shows (a fresh
// process each time), the reminder check after a login and the reminders window it shows,
// showing the payables window and its ageing page, and the memory once the payables and the
// reminders have been opened.
#include "benchgroups.h"
#include "benchprogram.h"
#include "benchutil.h"
#include "data/dataset.h"
#include "money/moneywindow.h"
#include "money/tfukfrm.h"
#include "platform/gui/modal.h"
#include "platform/paths.h"
#include "shell/appcontext.h"
#include "shell/startup.h"
#include "shell/tfrmcompactmanager.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <cstdio>
#include <cstdlib>
#include <memory>

namespace Bench {

namespace {

// Set in the environment of the process that starts the program once.
const char* const StartupChild = "QINTARA_BENCH_STARTUP_CHILD";
const char* const Shown = "login shown";

// The child: the program's entry sequence up to the first login dialog on the screen.
[[noreturn]] void startOnce(const QString& root) {
    useRoot(root);
    applyProgramFont();
    Modal::setRunner([](QDialog* dialog) {
        dialog->show();
        QApplication::processEvents();
        std::printf("%s\n", Shown);
        std::fflush(stdout);
        std::_Exit(0);
        return 0;
    });
    Startup startup;
    startup.run();
    note(QStringLiteral("the login dialog never showed"));
    std::_Exit(1);
}

// From starting the process to the line saying the login dialog is shown.
double startupSample(const Context& ctx, const QString& root) {
    QProcess p;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QLatin1String(StartupChild), root);
    // the child's warm-up run of the reference is a no-op: it times nothing but the program
    env.insert(QStringLiteral("QINTARA_SQLITE3"),
               QStandardPaths::findExecutable(QStringLiteral("true")));
    p.setProcessEnvironment(env);
    p.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer t;
    t.start();
    p.start(QCoreApplication::applicationFilePath(), {ctx.db, QStringLiteral("money")});
    QByteArray out;
    while (!out.contains(Shown) && p.waitForReadyRead(-1))
        out += p.readAllStandardOutput();
    const double s = double(t.nsecsElapsed()) / 1e9;
    p.waitForFinished(-1);
    if (!out.contains(Shown)) {
        note(QStringLiteral("start-up failed: %1").arg(QString::fromUtf8(out)));
        std::exit(1);
    }
    return s;
}

} // namespace

bool isStartupChild() {
    return qEnvironmentVariableIsSet(StartupChild);
}

void runMoneyGroup(const Context& ctx) {
    if (isStartupChild())
        startOnce(qEnvironmentVariable(StartupChild));

    ProgramRoot root(ctx.db);
    std::vector<double> cli, startups;
    for (int i = 0; i < Repeats; ++i) {
        cli.push_back(sqliteCli(ctx));
        startups.push_back(startupSample(ctx, root.path()));
    }

    useRoot(root.path());
    applyProgramFont();
    Windows windows;
    auto startup = std::make_unique<Startup>();
    if (!startup->run()) {
        note(QStringLiteral("the program did not start"));
        std::exit(1);
    }
    TfrmCompactManager* main = app().frmCompactManager;

    // The check decides before the lists are read; the window, as a user sees it, is up once
    // both are read.
    std::vector<double> checks, reminders, payables;
    for (int i = 0; i < Repeats; ++i) {
        cli.push_back(sqliteCli(ctx));
        windows.decided = windows.shown = -1;
        const qint64 fired = windows.clock.nsecsElapsed();
        main->Timer1Timer();
        checks.push_back(windows.since(fired));
        reminders.push_back(windows.since(fired, windows.shown));

        windows.decided = -1;
        const qint64 clicked = windows.clock.nsecsElapsed();
        main->SpeedButton6->click();
        payables.push_back(windows.since(clicked));
    }

    // The payables window up, then its ageing page: from choosing the tab until it is drawn.
    std::vector<double> ageing;
    const QString payablesWindow = app().fukfrm->objectName();
    windows.handlers[payablesWindow] = [&](QDialog* dialog) {
        dialog->show();
        QApplication::processEvents();
        QTabWidget* pages = static_cast<MoneyWindow*>(dialog)->PageControl1;
        const qint64 chosen = windows.clock.nsecsElapsed();
        pages->setCurrentIndex(pages->count() - 1);
        QApplication::processEvents();
        ageing.push_back(windows.since(chosen, windows.clock.nsecsElapsed()));
        dialog->reject();
        return int(QDialog::Rejected);
    };
    for (int i = 0; i < Repeats; ++i) {
        cli.push_back(sqliteCli(ctx));
        main->SpeedButton6->click();
    }
    windows.handlers.erase(payablesWindow);
    note(QStringLiteral("%1 open payable instalments listed")
             .arg(app().fukfrm->detail()->recordCount()));
    const double rss = peakRssMb();
    startup.reset();

    const double cliS = best("sqlite_cli_s", cli);
    const double startupS = best("startup_s", startups);
    const double checkS = best("reminder_check_s", checks);
    const double windowS = best("reminder_window_s", reminders);
    const double payablesS = best("payables_open_s", payables);
    const double ageingS = best("ageing_open_s", ageing);
    print("startup_s", startupS, 3);
    print("startup_ratio", startupS / cliS, 2);
    print("reminder_check_s", checkS, 3);
    print("reminder_check_ratio", checkS / cliS, 2);
    print("reminder_window_s", windowS, 3);
    print("reminder_window_ratio", windowS / cliS, 2);
    print("payables_open_s", payablesS, 3);
    print("payables_open_ratio", payablesS / cliS, 2);
    print("ageing_open_s", ageingS, 3);
    print("ageing_open_ratio", ageingS / cliS, 2);
    print("money_peak_rss_mb", rss, 1);
}

} // namespace Bench

// Backup and restore of the register, on a copy of it in a temporary folder, against a durable
// copy of the same file in the same run (cp, then fsync of the copy: a backup reports success
// only once it is on the disk); cp alone is printed for reference. A backup is the consistent
// copy from the open connection and its check; a restore is the settled copy, its check, the
// swap, and the open datasets opened again.
#include "benchgroups.h"
#include "benchutil.h"
#include "data/registerbackup.h"
#include "data/registerrestore.h"
#include "data/tdmod.h"
#include "platform/durablefile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <cstdlib>
#include <memory>
#include <stdexcept>
#include <vector>

namespace Bench {

namespace {

struct CopyTimes {
    double cp = 0;      // cp alone
    double durable = 0; // cp and the copy's fsync
};

// cp of the file to a new name beside it, then its flush; the new file removed afterwards.
CopyTimes cpSeconds(const QString& source, const QString& target) {
    QProcess p;
    QElapsedTimer t;
    t.start();
    p.start(QStringLiteral("cp"), {source, target});
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        note(QStringLiteral("cp failed: %1").arg(QString::fromUtf8(p.readAllStandardError())));
        std::exit(1);
    }
    CopyTimes times;
    times.cp = double(t.nsecsElapsed()) / 1e9;
    DurableFile::flush(target);
    times.durable = double(t.nsecsElapsed()) / 1e9;
    QFile::remove(target);
    return times;
}

template <class Work> double guarded(const char* what, Work work) {
    try {
        return seconds(work);
    } catch (const std::exception& e) {
        note(QStringLiteral("%1 failed: %2").arg(QLatin1String(what), QString::fromUtf8(e.what())));
        std::exit(1);
    }
}

} // namespace

void runSafetyGroup(const Context& ctx) {
    // Never the cached register itself: a copy in a folder of its own.
    QTemporaryDir dir;
    const QString live = dir.filePath(QStringLiteral("Hestrel.mdb"));
    const QString backup = dir.filePath(QStringLiteral("Hestrel-backup.mdb"));
    const QString reference = dir.filePath(QStringLiteral("cp.mdb"));
    DurableFile::copy(ctx.db, live);
    auto dm = std::make_unique<TDMod>(live);

    std::vector<double> cp, durable, backups, restores;
    auto copyOnce = [&] {
        const CopyTimes times = cpSeconds(live, reference);
        cp.push_back(times.cp);
        durable.push_back(times.durable);
    };
    for (int i = 0; i < Repeats; ++i) {
        copyOnce();
        QFile::remove(backup);
        backups.push_back(guarded("backup", [&] {
            if (RegisterBackup::run(dm->database(), backup, false) != RegisterBackup::Result::Done)
                throw std::runtime_error("the target exists");
        }));
    }
    for (int i = 0; i < Repeats; ++i) {
        copyOnce();
        restores.push_back(guarded("restore", [&] { RegisterRestore(*dm, {}).run(backup); }));
    }
    note(QStringLiteral("%1 contracts after the restores").arg(dm->TBCompacter->recordCount()));

    const double cpS = best("cp_s", cp);
    const double durableS = best("durable_cp_s", durable);
    const double backupS = best("backup_s", backups);
    const double restoreS = best("restore_s", restores);
    print("cp_s", cpS, 3);
    print("durable_cp_s", durableS, 3);
    print("backup_s", backupS, 3);
    print("backup_ratio", backupS / durableS, 2);
    print("restore_s", restoreS, 3);
    print("restore_ratio", restoreS / durableS, 2);
}

} // namespace Bench

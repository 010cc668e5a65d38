#include "benchutil.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Bench {

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

double peakRssMb() {
    QFile f(QStringLiteral("/proc/self/status"));
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmHWM:"))
            return line.mid(6).trimmed().split(' ').first().toDouble() / 1024.0;
    return -1;
}

double sqliteCli(const Context& ctx, const QString& sql) {
    QProcess p;
    p.setStandardOutputFile(QProcess::nullDevice());
    p.setProgram(ctx.sqlite3);
    p.setArguments({QStringLiteral("-batch"), ctx.db, sql});
    QElapsedTimer t;
    t.start();
    p.start();
    if (!p.waitForFinished(-1) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0) {
        note(QStringLiteral("sqlite3 failed: %1").arg(QString::fromUtf8(p.readAllStandardError())));
        std::exit(1);
    }
    return double(t.nsecsElapsed()) / 1e9;
}

} // namespace Bench

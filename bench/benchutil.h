#pragma once
// Shared pieces of qintara-bench: timing, printing and the sqlite3 reference.
#include <QString>
#include <functional>
#include <vector>

namespace Bench {

// Each timed step runs this many times; the best run counts.
constexpr int Repeats = 5;

// What every group of figures gets: the register and the sqlite3 tool.
struct Context {
    QString db;
    QString sqlite3;
};

void note(const QString& text);
// The best of the samples (listed on stderr with QINTARA_BENCH_VERBOSE=1).
double best(const char* name, const std::vector<double>& samples);
double seconds(const std::function<void()>& work);
void print(const char* name, double value, int decimals);
// Peak resident set of this process, in MB.
double peakRssMb();
// The sqlite3 command-line tool running one statement with its output thrown away; the
// reference is "select * from Compact", every contract printed.
double sqliteCli(const Context& ctx, const QString& sql = QStringLiteral("select * from Compact"));

} // namespace Bench

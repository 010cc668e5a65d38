#pragma once
// Fills a freshly created register with demo data or with a large benchmark load.
#include <QDate>
#include <QString>

class Database;

namespace Generator {

struct Counts {
    int partners = 0;
    int departments = 0;
    int contracts = 0;
    int receivable = 0; // AccountReceive rows
    int payable = 0;    // AccountPayable rows
    int stampTax = 0;   // StampTax rows
    int operators = 0;  // including 管理员
};

struct BenchSize {
    int contracts = 0;
    int instalments = 0;
    int partners = 500;
};

// A realistic small register: 30 partners, 8 departments, 200 contracts with schedules whose
// due dates lie around `today`, stamp-tax rates and two extra operators. The same register for
// the same `today` on every run.
Counts fillDemo(Database& db, QDate today);

// A large register for measurements: `size.contracts` contracts with about 2 KB of text each,
// `size.instalments` instalments over the receivable and payable contracts, `size.partners`
// partners. One transaction.
Counts fillBench(Database& db, const BenchSize& size, QDate today);

} // namespace Generator

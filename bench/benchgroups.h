#pragma once
// The groups of figures qintara-bench prints; each is one function, listed in bench.cpp.
#include "benchutil.h"

#include <functional>
#include <vector>

namespace Bench {

void runDataGroup(const Context& ctx);
void runSearchGroup(const Context& ctx);
void runMoneyGroup(const Context& ctx);
void runOutputGroup(const Context& ctx);
void runSafetyGroup(const Context& ctx);
void runSessionGroup(const Context& ctx);

void runServerGroup(const Context& ctx);
void runServerSaver(int seed);

// The main window's everyday commands, Repeats rounds through its buttons on the register the
// program opens (Paths), with the samples of each: a partner tab and back, 合同增加 until the
// editor shows, 保存 until ready, the delete answered Yes; then, if asked, the history window.
struct SessionSamples {
    std::vector<double> partnerTab, allTab, addOpen, saveReady, deletes, history;
    double peakRss = 0;
};
SessionSamples driveSession(const std::function<void()>& eachRound, bool withHistory);

// Whether this process is the money group's timed start of the program, which starts on the
// parent's copy of the register and must not make one of its own.
bool isStartupChild();

} // namespace Bench

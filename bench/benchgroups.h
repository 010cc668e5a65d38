#pragma once
// The groups of figures qintara-bench prints; each is one function, listed in bench.cpp.
#include "benchutil.h"

namespace Bench {

void runDataGroup(const Context& ctx);
void runSearchGroup(const Context& ctx);
void runMoneyGroup(const Context& ctx);
void runOutputGroup(const Context& ctx);
void runSafetyGroup(const Context& ctx);
void runSessionGroup(const Context& ctx);

// Whether this process is the money group's timed start of the program, which starts on the
// parent's copy of the register and must not make one of its own.
bool isStartupChild();

} // namespace Bench

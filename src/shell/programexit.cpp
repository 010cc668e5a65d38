#include "programexit.h"

namespace {
bool g_requested = false;
std::function<void()> g_stop;
} // namespace

namespace ProgramExit {

void request() {
    g_requested = true;
    if (g_stop)
        g_stop();
}

bool requested() {
    return g_requested;
}

void setStopper(std::function<void()> stop) {
    g_stop = std::move(stop);
}

void reset() {
    g_requested = false;
}

} // namespace ProgramExit

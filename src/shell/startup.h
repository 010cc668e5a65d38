#pragma once
// The entry sequence without the message loop: creates every window once, in order, into the
// AppContext, and shows the main window (which runs the first login). Destroying it destroys
// the windows and the data module and empties the AppContext.
#include "data/registerlock.h"

class Startup {
public:
    Startup();
    ~Startup();
    Startup(const Startup&) = delete;
    Startup& operator=(const Startup&) = delete;

    // False when the program has already ended (missing or unusable register, settings that
    // cannot be written, no login): then the message loop must not run.
    bool run();

private:
    bool createWindows();
    bool createDataModule();

    RegisterLock m_lock; // held until the data module is gone
};

// The program's look: Fusion is set by Application; this sets the font every text needs.
void applyProgramFont();

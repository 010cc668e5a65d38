#pragma once
// Another program's windows in the same process: while a switch lives, app() gives its context.
// Tests of several operators run two whole programs side by side this way.
#include "appcontext.h"

class AppContextSwitch {
public:
    explicit AppContextSwitch(AppContext& context);
    ~AppContextSwitch();
    AppContextSwitch(const AppContextSwitch&) = delete;
    AppContextSwitch& operator=(const AppContextSwitch&) = delete;

private:
    AppContext* m_previous;
};

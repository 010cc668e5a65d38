#include "appcontext.h"

#include "appswitch.h"

namespace {

AppContext*& current() {
    static AppContext context;
    static AppContext* shown = &context;
    return shown;
}

} // namespace

AppContext& app() {
    return *current();
}

AppContextSwitch::AppContextSwitch(AppContext& context) : m_previous(current()) {
    current() = &context;
}

AppContextSwitch::~AppContextSwitch() {
    current() = m_previous;
}

#include "appcontext.h"

AppContext& app() {
    static AppContext context;
    return context;
}

// The program: the entry sequence, then the message loop until the main window closes.
#include "platform/gui/accessiblenames.h"
#include "platform/gui/application.h"
#include "programexit.h"
#include "startup.h"

#include <QIcon>

int main(int argc, char** argv) {
    Application application(argc, argv);
    Application::setQuitOnLastWindowClosed(false); // the close sequence decides
    applyChineseLanguage();
    AccessibleNames::install(); // before any window, so every combo box gets its reading
    applyProgramFont();
    Application::setWindowIcon(QIcon(QStringLiteral(":/icon/qintara.svg")));
    ProgramExit::setStopper([] { QCoreApplication::exit(0); });
    Startup startup;
    bool running = false;
    runGuarded([&] { running = startup.run(); });
    return running ? Application::exec() : 0;
}

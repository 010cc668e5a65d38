// The program: the entry sequence, then the message loop until the main window closes.
#include "platform/buildinfo.h"
#include "platform/gui/accessiblenames.h"
#include "platform/gui/application.h"
#include "platform/paths.h"
#include "programexit.h"
#include "startup.h"

#include <QIcon>
#include <cstdio>
#include <cstring>

namespace {

// "--version" and "--help" answer on the terminal without opening a window (or needing a display).
bool answeredOnTerminal(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("qintara %s\n", BuildInfo::version);
            return true;
        }
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::printf("用法：qintara [--database postgresql://用户@服务器:端口/数据库] "
                        "[--version] [--help]\n"
                        "Qintara合同管理系统：合同登记、应收应付款、到期提醒、备份与恢复。\n"
                        "详见 man qintara。\n");
            return true;
        }
    }
    return false;
}

// "--database URL" or "--database=URL": the register on a server for this run.
bool takeDatabaseOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        QString address;
        if (std::strcmp(argv[i], "--database") == 0 && i + 1 < argc)
            address = QString::fromLocal8Bit(argv[i + 1]);
        else if (std::strncmp(argv[i], "--database=", 11) == 0)
            address = QString::fromLocal8Bit(argv[i] + 11);
        else if (std::strcmp(argv[i], "--database") != 0)
            continue;
        if (!address.startsWith(QLatin1String("postgres"), Qt::CaseInsensitive)) {
            std::fprintf(stderr, "qintara: --database 需要 postgresql:// 地址\n");
            return false;
        }
        Paths::setRegisterAddress(address);
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    if (answeredOnTerminal(argc, argv))
        return 0;
    if (!takeDatabaseOption(argc, argv))
        return 2;
    Application application(argc, argv);
    Application::setQuitOnLastWindowClosed(false); // the close sequence decides
    Application::setApplicationVersion(QString::fromLatin1(BuildInfo::version));
    // lets the desktop match the windows to the menu entry and its icon
    Application::setDesktopFileName(QString::fromLatin1(BuildInfo::appId));
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

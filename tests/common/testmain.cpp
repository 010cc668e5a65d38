#include "testregistry.h"
#include "testserver.h"

#include "platform/gui/accessiblenames.h"
#include "platform/gui/application.h"

#include <QApplication>
#include <QTest>
#include <memory>

namespace testing_support {
std::vector<Entry>& registry() {
    static std::vector<Entry> tests;
    return tests;
}
} // namespace testing_support

// Runs every registered class; "-only Name" limits the run to one class, other arguments go to
// QtTest (for example a test function's name).
int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    applyChineseLanguage(); // as the program does: tests see the texts users see
    AccessibleNames::install();
    QStringList args = app.arguments();
    QString only;
    if (int i = args.indexOf(QStringLiteral("-only")); i >= 0 && i + 1 < args.size()) {
        only = args.at(i + 1);
        args.remove(i, 2);
    }
    int failed = 0;
    const bool server = TestServer::active();
    for (auto& [name, make, backends] : testing_support::registry()) {
        if (!only.isEmpty() && only != QLatin1String(name))
            continue;
        if (server && backends == testing_support::Backends::FileOnly)
            continue;
        std::unique_ptr<QObject> test(make());
        failed += QTest::qExec(test.get(), args) != 0 ? 1 : 0;
    }
    return failed;
}

#include "application.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include "messageboxbackend.h"
#include "platform/dialogs.h"

#include <QStyleFactory>
#include <exception>

namespace {
void showException(const std::exception& e) {
    Dialogs::showError(QString::fromUtf8(e.what()));
}
} // namespace

Application::Application(int& argc, char** argv) : QApplication(argc, argv) {
    setStyle(QStyleFactory::create(QStringLiteral("Fusion")));
    if (!Dialogs::backend()) {
        m_messageBoxes = std::make_unique<MessageBoxBackend>();
        Dialogs::setBackend(m_messageBoxes.get());
    }
}

Application::~Application() {
    if (m_messageBoxes && Dialogs::backend() == m_messageBoxes.get())
        Dialogs::setBackend(nullptr);
}

bool Application::notify(QObject* receiver, QEvent* event) {
    return guardedNotify(receiver, event);
}

bool Application::guardedNotify(QObject* receiver, QEvent* event) {
    auto* app = static_cast<QApplication*>(QCoreApplication::instance());
    try {
        // qualified, so this is the plain delivery even when app is an Application
        return app->QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        showException(e);
        return false;
    }
}

void runGuarded(const std::function<void()>& code) {
    try {
        code();
    } catch (const std::exception& e) {
        showException(e);
    }
}

void applyChineseLanguage() {
    const QLocale chinese(QLocale::Chinese, QLocale::China);
    QLocale::setDefault(chinese);
    static QTranslator* qtTexts = nullptr;
    if (qtTexts)
        return;
    qtTexts = new QTranslator(QCoreApplication::instance());
    if (qtTexts->load(chinese, QStringLiteral("qtbase"), QStringLiteral("_"),
                      QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(qtTexts);
}

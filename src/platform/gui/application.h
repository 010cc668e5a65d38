#pragma once
// The application object: an exception that escapes an event handler is shown by the general
// error display and the program goes on.
#include <QApplication>
#include <functional>
#include <memory>

class MessageBoxBackend;

class Application : public QApplication {
    Q_OBJECT
public:
    // Installs the real message boxes unless a dialogs backend is already set.
    Application(int& argc, char** argv);
    ~Application() override;

    bool notify(QObject* receiver, QEvent* event) override;
    // What notify() does, on whatever QApplication is running (tests run under a plain one).
    static bool guardedNotify(QObject* receiver, QEvent* event);

private:
    std::unique_ptr<MessageBoxBackend> m_messageBoxes;
};

// Every text Qt itself shows (message box buttons, the file picker, calendars, dates and
// numbers) in Simplified Chinese, whatever the system's language.
void applyChineseLanguage();

// Runs code outside event delivery (start-up, command runners) the same way: a std::exception
// ends it and reaches the general error display.
void runGuarded(const std::function<void()>& code);

#pragma once
// Message boxes and the open-file dialog, behind a replaceable backend: the program installs one
// that shows real windows, tests install a RecordingBackend with scripted answers.
#include <QFlags>
#include <QList>
#include <QString>
#include <QStringList>

namespace Dialogs {

enum class Icon { None, Information, Warning, Error, Question };
enum class Button { None = 0, Ok = 1, Cancel = 2, Yes = 4, No = 8 };
Q_DECLARE_FLAGS(Buttons, Button)

struct Message {
    QString caption;
    QString text;
    Icon icon = Icon::None;
    Buttons buttons = Button::Ok;
    // The button Enter presses; None leaves it to the platform (its first of Ok and Yes).
    Button defaultButton = Button::None;
};

class Backend {
public:
    virtual ~Backend();
    // Shows the box modally and returns the button chosen.
    virtual Button show(const Message& message) = 0;
    // The chosen file, or empty when cancelled. The filter is in Qt's form ("Text (*.txt);;All
    // (*)").
    virtual QString openFileName(const QString& caption, const QString& dir,
                                 const QString& filter) = 0;
    // The path chosen to save to, or empty when cancelled; proposed is the name or path offered
    // first. Without an override the dialog is cancelled.
    virtual QString saveFileName(const QString& caption, const QString& proposed,
                                 const QString& filter);
};

// Not owned; nullptr removes the backend.
void setBackend(Backend* backend);
Backend* backend();

// The platform message box with its own caption. Without a backend the message goes to the log
// and the answer is Button::None.
Button message(const QString& caption, const QString& text, Icon icon, Buttons buttons,
               Button defaultButton = Button::None);
// A question whose Yes deletes or overwrites: question icon, Yes and No, with No the default
// button so that Enter keeps the data. True when the answer is Yes.
bool confirmDestructive(const QString& caption, const QString& text);
// The plain message box: OK button, no icon, captioned with the program's title.
void plain(const QString& text);

// What the program calls itself: its main window's title and the caption of the plain message
// box and the general error display.
QString programName();
// programName() unless a test set another title.
QString programTitle();
// Empty goes back to programName().
void setProgramTitle(const QString& title);

// Empty when cancelled or when there is no backend.
QString openFileName(const QString& caption = {}, const QString& dir = {},
                     const QString& filter = {});

// Empty when cancelled or when there is no backend.
QString saveFileName(const QString& caption, const QString& proposed, const QString& filter = {});

// The text the general error display shows: "." appended unless the text is empty or already
// ends in "." or in a character that sorts before it, or in a Chinese sentence end (。！？).
QString errorDisplayText(const QString& text);
// The general error display: the text above, error icon, OK button, the program's title.
void showError(const QString& text);

// Installs a backend for a scope and puts the previous one back.
class ScopedBackend {
public:
    explicit ScopedBackend(Backend* backend);
    ~ScopedBackend();
    ScopedBackend(const ScopedBackend&) = delete;
    ScopedBackend& operator=(const ScopedBackend&) = delete;

private:
    Backend* m_previous;
};

// Records what would have been shown and answers from queues.
class RecordingBackend : public Backend {
public:
    struct FileRequest {
        QString caption;
        QString dir; // the start folder; for a save, the name offered
        QString filter;
    };

    QList<Message> shown;
    QList<FileRequest> fileRequests;

    // Queued answers are used once each, in order. With none queued a box is answered Ok if it
    // offers Ok, else Yes, else its first button (order Ok, Yes, No, Cancel).
    void answer(Button button) { m_answers.append(button); }
    // Queues the Enter key: the box's default button, or the platform's (Ok, else Yes) when it
    // names none.
    void pressEnter() { m_answers.append(Button::None); }
    // Queued file names for openFileName and saveFileName, in the order they are asked; empty
    // (cancelled) when none is queued.
    void nextFileName(const QString& fileName) { m_fileNames.append(fileName); }

    int count() const { return int(shown.size()); }
    const Message& last() const { return shown.last(); }
    QStringList texts() const;
    int pendingAnswers() const { return int(m_answers.size()); }
    int pendingFileNames() const { return int(m_fileNames.size()); }
    // Forgets what was shown and asked, and drops queued answers and file names.
    void clear();

    Button show(const Message& message) override;
    QString openFileName(const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& proposed,
                         const QString& filter) override;

private:
    QList<Button> m_answers;
    QStringList m_fileNames;
};

// A RecordingBackend that is installed for its own lifetime.
class ScopedRecording : public RecordingBackend {
public:
    ScopedRecording() : m_scope(this) {}

private:
    ScopedBackend m_scope;
};

} // namespace Dialogs

Q_DECLARE_OPERATORS_FOR_FLAGS(Dialogs::Buttons)

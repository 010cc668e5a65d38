#include "dialogs.h"

#include <QDebug>

namespace {
Dialogs::Backend* g_backend = nullptr;
QString g_programTitle;

// The button Enter presses on a platform box.
Dialogs::Button enterAnswer(const Dialogs::Message& message) {
    using Dialogs::Button;
    if (message.defaultButton != Button::None)
        return message.defaultButton;
    for (Button b : {Button::Ok, Button::Yes}) {
        if (message.buttons.testFlag(b))
            return b;
    }
    return Button::None;
}
} // namespace

namespace Dialogs {

Backend::~Backend() = default;

QString Backend::saveFileName(const QString&, const QString&, const QString&) {
    return {};
}

void setBackend(Backend* backend) {
    g_backend = backend;
}

Backend* backend() {
    return g_backend;
}

Button message(const QString& caption, const QString& text, Icon icon, Buttons buttons,
               Button defaultButton) {
    const Message m{caption, text, icon, buttons, defaultButton};
    if (!g_backend) {
        qWarning().noquote() << caption << ":" << text;
        return Button::None;
    }
    return g_backend->show(m);
}

bool confirmDestructive(const QString& caption, const QString& text) {
    return message(caption, text, Icon::Question, Button::Yes | Button::No, Button::No) ==
           Button::Yes;
}

void plain(const QString& text) {
    message(programTitle(), text, Icon::None, Button::Ok);
}

QString programName() {
    return QStringLiteral("Qintara合同管理系统");
}

QString programTitle() {
    return g_programTitle.isEmpty() ? programName() : g_programTitle;
}

void setProgramTitle(const QString& title) {
    g_programTitle = title;
}

QString openFileName(const QString& caption, const QString& dir, const QString& filter) {
    return g_backend ? g_backend->openFileName(caption, dir, filter) : QString();
}

QString saveFileName(const QString& caption, const QString& proposed, const QString& filter) {
    return g_backend ? g_backend->saveFileName(caption, proposed, filter) : QString();
}

QString errorDisplayText(const QString& text) {
    static const QString chineseEnds = QStringLiteral("。！？");
    if (text.isEmpty() || text.back().unicode() <= u'.' || chineseEnds.contains(text.back()))
        return text;
    return text + QLatin1Char('.');
}

void showError(const QString& text) {
    message(programTitle(), errorDisplayText(text), Icon::Error, Button::Ok);
}

ScopedBackend::ScopedBackend(Backend* backend) : m_previous(g_backend) {
    g_backend = backend;
}

ScopedBackend::~ScopedBackend() {
    g_backend = m_previous;
}

QStringList RecordingBackend::texts() const {
    QStringList result;
    for (const Message& m : shown)
        result.append(m.text);
    return result;
}

void RecordingBackend::clear() {
    shown.clear();
    fileRequests.clear();
    m_answers.clear();
    m_fileNames.clear();
}

Button RecordingBackend::show(const Message& message) {
    shown.append(message);
    if (!m_answers.isEmpty()) {
        const Button queued = m_answers.takeFirst();
        return queued == Button::None ? enterAnswer(message) : queued;
    }
    // the order the buttons stand in on a platform box
    for (Button b : {Button::Ok, Button::Yes, Button::No, Button::Cancel}) {
        if (message.buttons.testFlag(b))
            return b;
    }
    return Button::None;
}

QString RecordingBackend::openFileName(const QString& caption, const QString& dir,
                                       const QString& filter) {
    fileRequests.append({caption, dir, filter});
    return m_fileNames.isEmpty() ? QString() : m_fileNames.takeFirst();
}

QString RecordingBackend::saveFileName(const QString& caption, const QString& proposed,
                                       const QString& filter) {
    fileRequests.append({caption, proposed, filter});
    return m_fileNames.isEmpty() ? QString() : m_fileNames.takeFirst();
}

} // namespace Dialogs

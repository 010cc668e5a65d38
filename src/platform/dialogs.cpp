#include "dialogs.h"

#include <QCoreApplication>
#include <QDebug>
#include <QFileInfo>

namespace {
Dialogs::Backend* g_backend = nullptr;
QString g_programTitle;
} // namespace

namespace Dialogs {

Backend::~Backend() = default;

void setBackend(Backend* backend) {
    g_backend = backend;
}

Backend* backend() {
    return g_backend;
}

Button message(const QString& caption, const QString& text, Icon icon, Buttons buttons) {
    const Message m{caption, text, icon, buttons};
    if (!g_backend) {
        qWarning().noquote() << caption << ":" << text;
        return Button::None;
    }
    return g_backend->show(m);
}

void plain(const QString& text) {
    message(programTitle(), text, Icon::None, Button::Ok);
}

QString programTitle() {
    if (!g_programTitle.isEmpty())
        return g_programTitle;
    if (!QCoreApplication::instance())
        return {};
    return QFileInfo(QCoreApplication::applicationFilePath())
        .fileName()
        .section(QLatin1Char('.'), 0, 0);
}

void setProgramTitle(const QString& title) {
    g_programTitle = title;
}

QString openFileName(const QString& caption, const QString& dir, const QString& filter) {
    return g_backend ? g_backend->openFileName(caption, dir, filter) : QString();
}

QString errorDisplayText(const QString& text) {
    if (text.isEmpty() || text.back().unicode() <= u'.')
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
    if (!m_answers.isEmpty())
        return m_answers.takeFirst();
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

} // namespace Dialogs

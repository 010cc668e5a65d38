#include "progressshown.h"

#include <QCoreApplication>
#include <QProgressDialog>
#include <climits>

namespace {
// A copy shorter than this shows nothing.
constexpr qint64 ShowAfterMs = 400;
} // namespace

ProgressShown::ProgressShown(QWidget* parent, const QString& text, Stop stop)
    : m_dialog(new QProgressDialog(parent)), m_stop(stop) {
    m_dialog->setObjectName(QStringLiteral("Progress"));
    m_dialog->setWindowTitle(parent ? parent->windowTitle() : QString());
    m_dialog->setLabelText(text);
    m_dialog->setCancelButton(nullptr);
    // shown and repainted from here, never by its own timer or a nested event loop
    m_dialog->setWindowModality(Qt::NonModal);
    m_dialog->setMinimumDuration(INT_MAX);
    m_dialog->setAutoClose(false);
    m_dialog->setAutoReset(false);
    m_dialog->setRange(0, 1000);
    m_dialog->setMinimumWidth(360);
    m_dialog->hide();
    if (stop == Stop::Offered) {
        // the rest of the program takes no input while the dialog is up
        m_dialog->setCancelButtonText(QStringLiteral("停止"));
        m_dialog->setWindowModality(Qt::ApplicationModal);
        m_dialog->show();
    }
    m_started.start();
}

ProgressShown::~ProgressShown() {
    delete m_dialog;
}

DurableFile::Progress ProgressShown::callback() {
    return [this](qint64 done, qint64 total) { report(done, total); };
}

void ProgressShown::report(qint64 done, qint64 total) {
    if (total > 0) {
        m_dialog->setRange(0, 1000);
        m_dialog->setValue(int(done * 1000 / total));
    } else {
        m_dialog->setRange(0, 0);
    }
    if (!m_dialog->isVisible()) {
        if (m_started.elapsed() < ShowAfterMs)
            return;
        m_dialog->show();
    }
    QCoreApplication::processEvents(m_stop == Stop::Offered ? QEventLoop::AllEvents
                                                            : QEventLoop::ExcludeUserInputEvents);
}

bool ProgressShown::stopped() const {
    return m_dialog->wasCanceled();
}

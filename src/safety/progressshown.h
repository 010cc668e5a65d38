#pragma once
// A progress dialog for a long copy: it appears only when the work takes a moment, repaints
// while the work goes on, and takes no input, so nothing else runs in between. A stoppable one
// appears at once with a 停止 button, the one input it takes; the work asks stopped() between
// its steps.
#include "platform/durablefile.h"

#include <QElapsedTimer>
#include <QString>

class QProgressDialog;
class QWidget;

class ProgressShown {
public:
    enum class Stop { NotOffered, Offered };

    ProgressShown(QWidget* parent, const QString& text, Stop stop = Stop::NotOffered);
    ~ProgressShown();
    ProgressShown(const ProgressShown&) = delete;
    ProgressShown& operator=(const ProgressShown&) = delete;

    // The callback for the data layer: done of total, or total 0 while the amount is unknown.
    DurableFile::Progress callback();
    void report(qint64 done, qint64 total);
    // Whether the user pressed 停止 (or closed the dialog).
    bool stopped() const;

private:
    QProgressDialog* m_dialog;
    QElapsedTimer m_started;
    Stop m_stop;
};

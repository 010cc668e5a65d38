#pragma once
// The dialogs backend that shows real windows.
#include "platform/dialogs.h"

class MessageBoxBackend : public Dialogs::Backend {
public:
    Dialogs::Button show(const Dialogs::Message& message) override;
    QString openFileName(const QString& caption, const QString& dir,
                         const QString& filter) override;
    QString saveFileName(const QString& caption, const QString& proposed,
                         const QString& filter) override;
};

#pragma once
// Due-date reminders (placeholder until the window is built).
#include <QDialog>

class TTiX : public QDialog {
    Q_OBJECT
public:
    explicit TTiX(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("TiX"));
        setWindowTitle(QStringLiteral("合同提醒"));
    }

    // The one-time check after each login; lists what falls due.
    void autoCheck() {}
};

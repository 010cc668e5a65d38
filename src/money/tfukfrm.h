#pragma once
// Payables by date, by supplier and by month (placeholder until the window is built).
#include <QDialog>

class Tfukfrm : public QDialog {
    Q_OBJECT
public:
    explicit Tfukfrm(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("fukfrm"));
        setWindowTitle(QStringLiteral("应付款表"));
    }
};

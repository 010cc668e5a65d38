#pragma once
// Receivables by date, by customer and by month (placeholder until the window is built).
#include <QDialog>

class Tshkfrm : public QDialog {
    Q_OBJECT
public:
    explicit Tshkfrm(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("shkfrm"));
        setWindowTitle(QStringLiteral("应收款表"));
    }
};

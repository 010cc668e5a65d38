#pragma once
// Printed record of a receivable contract (placeholder until the window is built).
#include <QDialog>

class TSKPrint : public QDialog {
    Q_OBJECT
public:
    explicit TSKPrint(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("SKPrint"));
    }
};

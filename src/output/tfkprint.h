#pragma once
// Printed record of a payable contract (placeholder until the window is built).
#include <QDialog>

class TFKPrint : public QDialog {
    Q_OBJECT
public:
    explicit TFKPrint(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("FKPrint"));
    }
};

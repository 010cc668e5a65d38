#pragma once
// Printed record of another contract (placeholder until the window is built).
#include <QDialog>

class TQTPrint : public QDialog {
    Q_OBJECT
public:
    explicit TQTPrint(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("QTPrint"));
    }
};

#pragma once
// Backup of the register file (placeholder until the window is built).
#include <QDialog>

class TBFen : public QDialog {
    Q_OBJECT
public:
    explicit TBFen(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("BFen"));
        setWindowTitle(QStringLiteral("数据备份"));
    }
};

#pragma once
// Restore of the register file from a backup (placeholder until the window is built).
#include <QDialog>

class THFu : public QDialog {
    Q_OBJECT
public:
    explicit THFu(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("HFu"));
        setWindowTitle(QStringLiteral("数据恢复"));
    }
};

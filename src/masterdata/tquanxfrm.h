#pragma once
// Operators and their rights (placeholder until the window is built).
#include <QDialog>

class Tquanxfrm : public QDialog {
    Q_OBJECT
public:
    explicit Tquanxfrm(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("quanxfrm"));
        setWindowTitle(QStringLiteral("用户管理"));
    }
};

#pragma once
// Departments (placeholder until the window is built).
#include <QDialog>

class TBuMenGLi : public QDialog {
    Q_OBJECT
public:
    explicit TBuMenGLi(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("BuMenGLi"));
        setWindowTitle(QStringLiteral("部门管理"));
    }

    // Set while the contract editor opens the window to pick a department.
    bool BMbji = false;
};

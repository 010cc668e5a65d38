#pragma once
// The about box (placeholder until the window is built).
#include <QDialog>

class TAboutFrm : public QDialog {
    Q_OBJECT
public:
    explicit TAboutFrm(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("AboutFrm"));
        setWindowTitle(QStringLiteral("关于"));
    }
};

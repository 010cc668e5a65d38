#pragma once
// Business partners (placeholder until the window is built).
#include <QDialog>

class TWLDanWei : public QDialog {
    Q_OBJECT
public:
    explicit TWLDanWei(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("WLDanWei"));
        setWindowTitle(QStringLiteral("往来单位管理"));
    }

    // Set while the contract editor opens the window to pick a partner.
    bool Biaoji = false;
};

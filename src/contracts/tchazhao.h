#pragma once
// Contract search (placeholder until the window is built).
#include <QDialog>

class TChaZhao : public QDialog {
    Q_OBJECT
public:
    explicit TChaZhao(QWidget* parent = nullptr) : QDialog(parent) {
        setObjectName(QStringLiteral("ChaZhao"));
        setWindowTitle(QStringLiteral("合同查找"));
    }
};
